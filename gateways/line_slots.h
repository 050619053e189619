// Which slot of the gateway's activity record each line of the work copy
// reports its state in. The server numbers the slots after the lines it was
// given; while the configuration dialog removes and adds lines, a line keeps
// the slot it had, and a new line takes a slot that no line uses. Pure: no
// platform.
#pragma once
#include <array>
#include <cstdint>

#include "gateways/line_records.h"

// Entry i: the slot of line i. Only the entries of the lines count.
using LineSlotMap = std::array<int8_t, MaxLines>;

// Every line in the slot of its own index, as the server has them.
LineSlotMap FirstLineSlots();

// Line `index` of `count` lines was removed: the slots of the following
// lines move one place down with their lines. An index outside the lines
// changes nothing.
void RemoveLineSlot(LineSlotMap& slots, int count, int index);

// The lowest slot that none of the first `count` lines uses, for a new line
// at index `count`; -1 when every slot is taken.
int FreeLineSlot(const LineSlotMap& slots, int count);
