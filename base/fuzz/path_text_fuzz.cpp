#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/path_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view path(reinterpret_cast<const char*>(data), size);
    std::string dir = DirectoryOf(path);
    if (dir.size() > path.size() || (!dir.empty() && path.substr(0, dir.size()) != dir))
        __builtin_trap();
    return 0;
}
