#include "tools/simulator/user_names.h"

#include <memory>

#include "users/user_record.h"

std::vector<std::string> ReadUserNames(std::span<const uint8_t> file)
{
    std::vector<std::string> names;
    UserFileHeader header;
    auto table = std::make_unique<UserTable>();
    if (DecodeUserFile(file, header, *table) == UserFileVerdict::Usable)
        for (int i = 0; i < table->header.userCount; ++i)
            names.emplace_back(table->records[i].name);
    return names;
}
