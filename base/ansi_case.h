// Letter case of the Windows-1252 code page, and the case-insensitive text
// comparisons and replacement built on it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The upper case of a Windows-1252 byte, as the system's ANSI upper-casing
// gives it: a-z, the accented letters à to þ (not the sign ÷), and š, œ, ž,
// ÿ (to Š, Œ, Ž, Ÿ). ß and µ, which have no capital in the code page, and
// every other byte are their own upper case.
uint8_t UpperCaseAnsi(uint8_t byte);

// True when the two texts are equal once both are upper-cased byte by byte
// with UpperCaseAnsi.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// A copy of `source` where every occurrence of `find`, compared without
// regard to letter case, is replaced by `replacement` as written. The source
// is walked from its start: after an occurrence the walk goes on just past it,
// otherwise one byte further. An empty `find` finds nothing.
std::string ReplaceAll(std::string_view source, std::string_view find, std::string_view replacement);
