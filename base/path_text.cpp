#include "base/path_text.h"

std::string DirectoryOf(std::string_view path)
{
    size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos)
        return {};
    return std::string(path.substr(0, slash));
}
