#include "gateways/line_slots.h"

#include <algorithm>

LineSlotMap FirstLineSlots()
{
    LineSlotMap slots{};
    for (int i = 0; i < MaxLines; ++i)
        slots[i] = static_cast<int8_t>(i);
    return slots;
}

void RemoveLineSlot(LineSlotMap& slots, int count, int index)
{
    count = std::clamp(count, 0, MaxLines);
    if (index < 0 || index >= count)
        return;
    std::copy(slots.begin() + index + 1, slots.begin() + count, slots.begin() + index);
    slots[count - 1] = -1;
}

int FreeLineSlot(const LineSlotMap& slots, int count)
{
    count = std::clamp(count, 0, MaxLines);
    for (int slot = 0; slot < MaxLines; ++slot) {
        if (std::find(slots.begin(), slots.begin() + count, slot) == slots.begin() + count)
            return slot;
    }
    return -1;
}
