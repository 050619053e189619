#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/ansi_case.h"

static std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(UpperCaseAnsi(static_cast<uint8_t>(c)));
    return upper;
}

// Input: the length of the text to find in the first byte, that text, then
// the source.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t findLength = data[0] % 16 < rest.size() ? data[0] % 16 : rest.size();
    std::string_view find = rest.substr(0, findLength);
    std::string_view source = rest.substr(findLength);

    // Replacing by the text itself keeps the length and the upper case.
    std::string same = ReplaceAll(source, find, find);
    if (same.size() != source.size() || Upper(same) != Upper(source))
        __builtin_trap();
    // Removing never grows, and leaves no occurrence that lay in the source.
    std::string removed = ReplaceAll(source, find, "");
    if (removed.size() > source.size() || (find.empty() && removed != source))
        __builtin_trap();
    std::string marked = ReplaceAll(source, find, std::string(3, '\x01'));
    if (!find.empty() && Upper(source).find(Upper(find)) != std::string::npos &&
        marked.find("\x01\x01\x01") == std::string::npos)
        __builtin_trap();
    return 0;
}
