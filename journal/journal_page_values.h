// How the journal page of the preferences reads its fields: the days of the
// purge and the positions of the gateway and user filters.
#pragma once
#include <optional>
#include <string_view>

// The days field as the C library's atoi reads it: blanks, an optional sign,
// then decimal digits up to the first other character; 0 when there is no
// digit. A number beyond the range of int is held at its limit.
int DaysFromText(std::string_view text);

// The days of a purge that is about to run. Only a whole number from 0 to
// maxDays is taken (blanks around it and a leading "+" allowed): a field
// without a number, with a negative one, with anything after it, or with one
// that the date arithmetic cannot carry back (more than maxDays) gives
// nothing, so that a slip of the keyboard never empties the journal.
std::optional<int> PurgeDaysFromText(std::string_view text, int maxDays);

// A filter position as the page stores it. Lists end with "Toutes"/"Tous" at
// position `count`, which means every entry; a position outside 0 to count
// (no entry selected, or settings that name an entry no longer there) means
// every entry too.
int FilterPosition(int position, int count);
