#include "gateways/line_slots.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> SlotsOf(const LineSlotMap& slots, int count)
{
    return std::vector<int>(slots.begin(), slots.begin() + count);
}

}  // namespace

TEST(LineSlots, LinesKeepTheirSlotsThroughRemovalsAndNewLinesTakeAFreeOne)
{
    // Each step: remove line `remove` (or add a line when -1) from `count`
    // lines; the slots of the lines afterwards.
    struct Step { int remove; int count; std::vector<int> slots; } steps[] = {
        {1, 3, {0, 2}},        // the middle of three: the third line stays in slot 2
        {-1, 2, {0, 2, 1}},    // a new line takes the slot left free
        {0, 3, {2, 1}},
        {-1, 2, {2, 1, 0}},
        {-1, 3, {2, 1, 0, 3}},
        {3, 4, {2, 1, 0}},     // the last line: nothing moves
    };
    LineSlotMap slots = FirstLineSlots();
    EXPECT_EQ(SlotsOf(slots, 8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    int n = 0;
    for (const Step& step : steps) {
        if (step.remove >= 0) {
            RemoveLineSlot(slots, step.count, step.remove);
            EXPECT_EQ(SlotsOf(slots, step.count - 1), step.slots) << "step " << n;
        } else {
            int slot = FreeLineSlot(slots, step.count);
            ASSERT_GE(slot, 0) << "step " << n;
            slots[step.count] = static_cast<int8_t>(slot);
            EXPECT_EQ(SlotsOf(slots, step.count + 1), step.slots) << "step " << n;
        }
        ++n;
    }
}

TEST(LineSlots, IndexesOutsideTheLinesChangeNothing)
{
    for (int index : {-1, 3, 8, 100}) {
        LineSlotMap slots = FirstLineSlots();
        RemoveLineSlot(slots, 3, index);
        EXPECT_EQ(slots, FirstLineSlots()) << index;
    }
    LineSlotMap slots = FirstLineSlots();
    RemoveLineSlot(slots, 20, 7);  // a count beyond eight is eight
    EXPECT_EQ(SlotsOf(slots, 7), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(LineSlots, EightLinesLeaveNoFreeSlot)
{
    LineSlotMap slots = FirstLineSlots();
    EXPECT_EQ(FreeLineSlot(slots, 0), 0);
    EXPECT_EQ(FreeLineSlot(slots, 7), 7);
    EXPECT_EQ(FreeLineSlot(slots, 8), -1);
    EXPECT_EQ(FreeLineSlot(slots, 12), -1);
}
