#include <cstddef>
#include <cstdint>
#include <string_view>

#include "users/directory_name.h"

// A usable name never holds a separator, a colon or a control byte, and is
// never a relative step.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view name(reinterpret_cast<const char*>(data), size);
    if (!IsUsableDirectoryName(name))
        return 0;
    for (unsigned char c : name)
        if (c < 32 || c == '\\' || c == '/' || c == ':')
            __builtin_trap();
    if (name == "." || name == ".." || name.back() == '.' || name.back() == ' ')
        __builtin_trap();
    return 0;
}
