#include "users/login_check.h"

#include <cstring>
#include <vector>

#include "base/file_io.h"
#include "base/le_bytes.h"
#include "users/user_database.h"

// The first slot whose name is the login, letter case ignored; -1 when none.
static int FindLoginSlot(const UserTable& table, const char* login)
{
    for (int i = 0; i < MaxUsers; ++i)
        if (lstrcmpiA(table.records[i].name, login) == 0)
            return i;
    return -1;
}

// Writes the users' records back in place, right after the table header.
static void WriteUserRecordsInPlace(const std::string& path, const UserFileHeader& header, const UserTable& table)
{
    std::vector<uint8_t> bytes(table.header.userCount * kUserRecordSize);
    std::span<uint8_t> out(bytes);
    for (size_t i = 0; i < table.header.userCount; ++i)
        WriteUserRecord(table.records[i], out.subspan(i * kUserRecordSize).first<kUserRecordSize>());
    WriteFileAt(path, uint64_t{header.tableHeaderOffset} + kUserTableHeaderSize, bytes);
}

// While a user's stored password is still the user's name, the password typed
// at login becomes the stored one.
static void ApplyFirstLogin(const std::string& path, const UserFileHeader& header, UserTable& table,
                            UserRecord& record, const char* password)
{
    std::string typed = UpperCaseText(password);
    char stored[sizeof record.password];
    std::memcpy(stored, record.password, sizeof stored);
    UnscrambleText(stored);
    if (lstrcmpiA(stored, record.name) != 0 || lstrcmpiA(typed.c_str(), stored) == 0)
        return;
    // Stored cut short or garbled, the password could never be typed again.
    if (!IsStorablePassword(typed.c_str()))
        return;
    // The whole field is rewritten: nothing of the old password stays after the new one.
    WriteText(std::span(reinterpret_cast<uint8_t*>(record.password), sizeof record.password), 0,
              sizeof record.password, typed);
    ScrambleText(record.password);
    // A file still in an older layout (its conversion could not be written)
    // has 128-byte records: 136-byte ones written into it would garble it.
    if (LayoutOf(header) == UserLayout::Serveur3)
        WriteUserRecordsInPlace(path, header, table);
}

int FindUserForLogin(HWND owner, const std::string& dir, const char* login, const char* password, UserRecord& out)
{
    if (!login)
        login = "";
    if (!password)
        password = "";
    FreeUserTable();
    CreateUserDatabase(owner, dir);
    LoadUserDatabase(owner, dir);

    std::string path = dir + "\\reseau.dat";
    UserFileHeader header;
    UserTable& table = CurrentUserTable();
    UserFileReading reading = ReadUserDatabaseFile(path, header, table);
    if (!reading.opened) {
        ReportMissingUserFile(owner);
        return 0;
    }
    if (reading.verdict != UserFileVerdict::Usable) {
        ReportUnusableUserFile(owner);
        return 0;
    }
    int slot = FindLoginSlot(table, login);
    if (slot < 0) {
        FreeUserTable();
        return 0;
    }
    UserRecord& record = table.records[slot];
    // A slot past the users is empty: there is no user there to give a password.
    if (slot < table.header.userCount)
        ApplyFirstLogin(path, header, table, record, password);
    out = record;
    return 1;
}

int CheckAdministrator(HWND owner, const std::string& dir, const char* login, const char* password)
{
    UserRecord record;
    if (!FindUserForLogin(owner, dir, login, password, record))
        return 0;
    char stored[sizeof record.password];
    std::memcpy(stored, record.password, sizeof stored);
    UnscrambleText(stored);
    if (record.category != CategoryAdministrator)
        return 0;
    return lstrcmpiA(password ? password : "", stored) == 0 ? 1 : 0;
}
