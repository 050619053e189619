#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_fit.h"

// Input: the width in the first two bytes, then the text; a character is as
// wide as its byte value modulo 17.
static int Measure(std::string_view text)
{
    int width = 0;
    for (char c : text)
        width += static_cast<uint8_t>(c) % 17;
    return width;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    int width = static_cast<int16_t>(data[0] | (data[1] << 8));
    const std::string original(reinterpret_cast<const char*>(data + 2), size - 2);
    std::string text = original;
    FitText(text, width, Measure);
    const int dots = Measure("...");
    if (original.empty() || Measure(original) < width || Measure(original) + dots <= width) {
        if (text != original)  // left as it was
            __builtin_trap();
        return 0;
    }
    // Shortened: the longest beginning shorter than the text that fits with
    // "..." after it (possibly none), then "...".
    if (text.size() < 3 || text.compare(text.size() - 3, 3, "...") != 0)
        __builtin_trap();
    size_t kept = text.size() - 3;
    if (kept >= original.size() || original.compare(0, kept, text, 0, kept) != 0)
        __builtin_trap();
    if (kept > 0 && Measure(text) > width)
        __builtin_trap();
    if (kept + 1 < original.size() && Measure(std::string_view(original).substr(0, kept + 1)) + dots <= width)
        __builtin_trap();
    return 0;
}
