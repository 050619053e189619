#include "base/ansi_case.h"

uint8_t UpperCaseAnsi(uint8_t byte)
{
    if (byte >= 'a' && byte <= 'z')
        return static_cast<uint8_t>(byte - 0x20);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)  // à..þ, not ÷
        return static_cast<uint8_t>(byte - 0x20);
    switch (byte) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default:   return byte;
    }
}

static bool MatchesAt(std::string_view source, size_t at, std::string_view upperFind)
{
    for (size_t i = 0; i < upperFind.size(); ++i) {
        if (UpperCaseAnsi(static_cast<uint8_t>(source[at + i])) != static_cast<uint8_t>(upperFind[i]))
            return false;
    }
    return true;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (UpperCaseAnsi(static_cast<uint8_t>(a[i])) != UpperCaseAnsi(static_cast<uint8_t>(b[i])))
            return false;
    }
    return true;
}

std::string ReplaceAll(std::string_view source, std::string_view find, std::string_view replacement)
{
    if (find.empty())
        return std::string(source);
    std::string upperFind(find);
    for (char& c : upperFind)
        c = static_cast<char>(UpperCaseAnsi(static_cast<uint8_t>(c)));

    std::string out;
    out.reserve(source.size());
    size_t at = 0;
    // An occurrence must lie wholly inside the source: the tail shorter than
    // the text to find is copied as it is.
    while (at < source.size()) {
        if (source.size() - at >= find.size() && MatchesAt(source, at, upperFind)) {
            out += replacement;
            at += find.size();
        } else {
            out += source[at];
            ++at;
        }
    }
    return out;
}
