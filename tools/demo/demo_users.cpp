#include "tools/demo/demo_users.h"

#include <array>
#include <cstring>
#include <memory>
#include <span>

#include "tools/demo/demo_files.h"
#include "tools/demo/demo_office.h"
#include "users/numbers_record.h"
#include "users/user_record.h"
#include "users/user_sort.h"

// Sorted by name, as the console's set-up leaves the table.
bool WriteUsers()
{
    auto usersTable = std::make_unique<UserTable>();  // too large for the stack
    auto numbersTable = std::make_unique<NumbersTable>();
    UserTable& users = *usersTable;
    NumbersTable& numbers = *numbersTable;
    std::array<uint32_t, MaxUsers> positions{};
    int count = 0;
    for (const DemoUser& demo : DemoUsers) {
        UserRecord& user = users.records[count];
        std::strncpy(user.name, demo.name, kMaxNameLength);
        std::strncpy(user.password, demo.password, kMaxNameLength);
        ScrambleText(user.password);
        user.category = demo.administrator ? CategoryAdministrator : CategoryUser;
        user.station = static_cast<uint16_t>(count);
        user.multiSession = demo.multiSession;
        NumbersRecord& forbidden = numbers.records[count];
        for (const char* number : demo.forbidden)
            std::strncpy(forbidden.numbers[forbidden.count++], number, kNumberSize - 1);
        positions[count] = count;
        ++count;
    }
    users.header = DefaultUserTableHeader(static_cast<uint16_t>(count));
    numbers.head = static_cast<uint32_t>(count);
    SortRecordsByName(std::span(users.records).first(count), std::span(numbers.records).first(count),
                      std::span(positions).first(count));
    return SaveFile("reseau.dat", EncodeUserFile(DefaultUserFileHeader(), users, MaxUsers)) &&
           SaveFile("Numaut.dat", EncodeNumbersFile(numbers));
}
