#include "users/login_check.h"

#include <cstring>
#include <optional>
#include <vector>

#include "base/file_io.h"
#include "base/le_bytes.h"
#include "base/modal_seam.h"
#include "users/user_database.h"

// The first slot whose name is the login, letter case ignored; -1 when none.
static int FindLoginSlot(const UserTable& table, const char* login)
{
    for (int i = 0; i < MaxUsers; ++i)
        if (lstrcmpiA(table.records[i].name, login) == 0)
            return i;
    return -1;
}

// Writes the users' records back right after the table header, the rest of
// the file as it is; the file is replaced whole, so that it never holds half
// of them. A file still in an older layout (its conversion could not be
// written) is written converted: 136-byte records in it would garble it.
static bool WriteUserRecordsBack(const std::string& path, const UserFileHeader& header, const UserTable& table)
{
    if (LayoutOf(header) != UserLayout::Serveur3)
        return ReplaceFileSafely(path, EncodeUserFile(header, table, table.header.userCount));
    std::optional<std::vector<uint8_t>> file = ReadWholeFile(path);
    if (!file)
        return false;
    size_t at = size_t{header.tableHeaderOffset} + kUserTableHeaderSize;
    size_t end = at + table.header.userCount * kUserRecordSize;
    if (file->size() < end)
        file->resize(end);
    std::span<uint8_t> out(*file);
    for (size_t i = 0; i < table.header.userCount; ++i)
        WriteUserRecord(table.records[i], out.subspan(at + i * kUserRecordSize).first<kUserRecordSize>());
    return ReplaceFileSafely(path, *file);
}

// What the first-login rule did.
enum class FirstLogin { notApplied, stored, notRecorded };

// While a user's stored password is still the user's name, the password typed
// at login becomes the stored one. The record takes it only once the file
// holds it.
static FirstLogin ApplyFirstLogin(const std::string& path, const UserFileHeader& header, UserTable& table,
                                  UserRecord& record, const char* password)
{
    std::string typed = UpperCaseText(password);
    char stored[sizeof record.password];
    std::memcpy(stored, record.password, sizeof stored);
    UnscrambleText(stored);
    if (lstrcmpiA(stored, record.name) != 0 || lstrcmpiA(typed.c_str(), stored) == 0)
        return FirstLogin::notApplied;
    // Stored cut short or garbled, the password could never be typed again.
    if (!IsStorablePassword(typed.c_str()))
        return FirstLogin::notRecorded;
    UserRecord changed = record;
    // The whole field is rewritten: nothing of the old password stays after the new one.
    WriteText(std::span(reinterpret_cast<uint8_t*>(changed.password), sizeof changed.password), 0,
              sizeof changed.password, typed);
    ScrambleText(changed.password);
    UserRecord before = record;
    record = changed;
    if (WriteUserRecordsBack(path, header, table))
        return FirstLogin::stored;
    record = before;
    return FirstLogin::notRecorded;
}

static void ReportPasswordNotRecorded(HWND owner)
{
    ShowMessageBox(owner, "Le nouveau mot de passe n'a pas pu être enregistré dans reseau.dat : la connexion est refusée.",
                   "Erreur mot de passe", MB_OK | MB_ICONSTOP);
}

// FindUserForLogin, telling also whether a first login's password could not
// be recorded (then reported, and the user's record keeps its password).
static int FindUser(HWND owner, const std::string& dir, const char* login, const char* password, UserRecord& out,
                    bool& notRecorded)
{
    notRecorded = false;
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
    if (slot < table.header.userCount && ApplyFirstLogin(path, header, table, record, password) == FirstLogin::notRecorded) {
        ReportPasswordNotRecorded(owner);
        notRecorded = true;
    }
    out = record;
    return 1;
}

int FindUserForLogin(HWND owner, const std::string& dir, const char* login, const char* password, UserRecord& out)
{
    bool notRecorded;
    return FindUser(owner, dir, login, password, out, notRecorded);
}

LoginVerdict CheckLogin(HWND owner, const std::string& dir, const char* login, const char* password)
{
    UserRecord record;
    bool notRecorded;
    if (!FindUser(owner, dir, login, password, record, notRecorded))
        return LoginVerdict::refused;
    if (notRecorded)
        return LoginVerdict::passwordNotRecorded;
    char stored[sizeof record.password];
    std::memcpy(stored, record.password, sizeof stored);
    UnscrambleText(stored);
    if (record.category != CategoryAdministrator)
        return LoginVerdict::refused;
    return lstrcmpiA(password ? password : "", stored) == 0 ? LoginVerdict::accepted : LoginVerdict::refused;
}

int CheckAdministrator(HWND owner, const std::string& dir, const char* login, const char* password)
{
    return CheckLogin(owner, dir, login, password) == LoginVerdict::accepted ? 1 : 0;
}
