#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/ansi_case.h"
#include "users/directory_name.h"
#include "users/import_accounts.h"

// Account names as another program may give them: the input split at zero
// bytes, the first byte of each piece choosing the right, the last piece the
// Windows user. Whatever they are, every stored user has a whole name that
// can name its directory, no two names differ only in letter case, the count
// stays within the table, and the import ends with an administrator or says
// it has none.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto table = std::make_unique<UserTable>();
    table->header = DefaultUserTableHeader(0);
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view windowsUser;
    bool thisComputerOnly = size > 0 && (data[0] & 1);
    while (!input.empty()) {
        size_t end = input.find('\0');
        std::string_view piece = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        if (input.empty()) {
            windowsUser = piece;
            break;
        }
        bool administrator = !piece.empty() && (piece[0] & 2);
        uint16_t before = table->header.userCount;
        AccountVerdict verdict = TakeImportedAccount(*table, piece.empty() ? piece : piece.substr(1), administrator);
        if (table->header.userCount != before + (verdict == AccountVerdict::Taken ? 1 : 0))
            __builtin_trap();
    }
    ImportEnding ending = FinishImport(*table, windowsUser, thisComputerOnly);
    int count = table->header.userCount;
    if (count > MaxUsers)
        __builtin_trap();
    for (int i = 0; i < count; ++i) {
        const UserRecord& user = table->records[i];
        std::string_view name(user.name, strnlen(user.name, sizeof user.name));
        if (!IsUsableDirectoryName(name) || name.size() > kMaxNameLength || !IsStorableUserName(name))
            __builtin_trap();
        char password[sizeof user.password];
        std::memcpy(password, user.password, sizeof password);
        UnscrambleText(password);
        if (name != std::string_view(password, strnlen(password, sizeof password)))
            __builtin_trap();
        for (int j = 0; j < i; ++j)
            if (EqualIgnoringCase(name, table->records[j].name))
                __builtin_trap();
    }
    if (count > 0 && (ending == ImportEnding::NoAdministrator) == HasAdministrator(*table))
        __builtin_trap();
    return 0;
}
