#include "users/user_database.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "base/file_io.h"
#include "base/modal_seam.h"
#include "base/program_dir.h"
#include "users/windows_user.h"

static std::string UserFilePath(const std::string& dir)
{
    return dir + "\\reseau.dat";
}

static std::string WorkCopyDir()
{
    return ProgramPath("\\usertemp");
}

static std::string WorkCopyPath()
{
    return ProgramPath("\\usertemp\\reseau.dat");
}

void ReportUnusableUserFile(HWND owner)
{
    ShowMessageBox(owner, "Le fichier reseau.dat n'est pas utilisable.", "Erreur lecture fichier", MB_ICONSTOP);
}

void ReportMissingUserFile(HWND owner)
{
    ShowMessageBox(owner, "Fichier reseau.dat non trouvé.", "Erreur lecture de fichier", MB_ICONEXCLAMATION);
}

std::string UpperCaseText(std::string_view text)
{
    std::string upper(text);
    if (!upper.empty())
        CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    return upper;
}

UserFileReading ReadUserDatabaseFile(const std::string& path, UserFileHeader& header, UserTable& table)
{
    std::array<uint8_t, kUserFileHeaderSize> head{};
    long long got = ReadFileAt(path, 0, head);
    if (got < 0)
        return {};
    header = ParseUserFileHeader(std::span(head).first(static_cast<size_t>(got)));
    if (got < static_cast<long long>(kUserFileHeaderSize)) {
        ClearUserTable(table);
        return {true, UserFileVerdict::WrongIdentification};
    }
    // The table header and at most MaxUsers records: whatever the header
    // claims, nothing beyond what the table can hold is read.
    std::vector<uint8_t> rest(kUserTableSpan);
    got = ReadFileAt(path, header.tableHeaderOffset, rest);
    rest.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return {true, DecodeUserTable(header, rest, table)};
}

void CreateUserDatabase(HWND owner, const std::string& dir)
{
    std::string path = UserFilePath(dir);
    // Anything there, even a file that cannot be read now, is kept.
    if (ExaminePath(path) != PathState::missing)
        return;
    // The name field holds 20 characters: a longer Windows name is cut there,
    // and the first password is the name as stored.
    std::string name = GetWindowsUserName().substr(0, kMaxNameLength);
    auto table = std::make_unique<UserTable>();
    table->header = DefaultUserTableHeader(1);
    UserRecord& first = table->records[0];
    std::memcpy(first.name, name.c_str(), name.size() + 1);
    std::memcpy(first.password, name.c_str(), name.size() + 1);
    ScrambleText(first.password);
    first.category = CategoryAdministrator;
    // A file that another program made meanwhile is kept too, and is no failure.
    if (!CreateNewFileSafely(path, EncodeUserFile(DefaultUserFileHeader(), *table, MaxUsers)) &&
        ExaminePath(path) == PathState::missing)
        ShowMessageBox(owner, "Impossible de créer le fichier reseau.dat", "ERREUR", MB_ICONSTOP);
}

void LoadUserDatabase(HWND owner, const std::string& dir)
{
    std::string path = UserFilePath(dir);
    UserFileHeader header;
    UserFileReading reading = ReadUserDatabaseFile(path, header, CurrentUserTable());
    if (!reading.opened) {
        ReportMissingUserFile(owner);
        return;
    }
    if (reading.verdict != UserFileVerdict::Usable) {
        ReportUnusableUserFile(owner);
        return;
    }
    UserLayout layout = LayoutOf(header);
    if (layout == UserLayout::Serveur || layout == UserLayout::Serveur2) {
        // Rewritten whole as "Serveur3", or not at all: the old file stays
        // readable until the new one has taken its place.
        ReplaceFileSafely(path, EncodeUserFile(header, CurrentUserTable(), UserCount()));
    }
}

// The header to keep when saving over `path`. False when the file there is one
// the console cannot read: it may hold users that the table does not.
static bool HeaderToKeep(const std::string& path, UserFileHeader& header)
{
    std::array<uint8_t, kUserFileHeaderSize> head{};
    if (ReadFileAt(path, 0, head) < static_cast<long long>(kUserFileHeaderSize)) {
        header = DefaultUserFileHeader();  // missing or cut short: nothing to keep
        return true;
    }
    header = ParseUserFileHeader(head);
    std::array<uint8_t, kUserTableHeaderSize> tableHead{};
    ReadFileAt(path, header.tableHeaderOffset, tableHead);
    return JudgeUserFile(header, ParseUserTableHeader(tableHead)) == UserFileVerdict::Usable;
}

bool SaveUserDatabase(HWND owner, int workCopy)
{
    std::string path = workCopy ? WorkCopyPath() : UserFilePath(GetProgramDir());
    UserFileHeader header;
    if (!HeaderToKeep(path, header)) {
        ReportUnusableUserFile(owner);
        return false;
    }
    if (!ReplaceFileSafely(path, EncodeUserFile(header, CurrentUserTable(), MaxUsers))) {
        ReportMissingUserFile(owner);
        return false;
    }
    return true;
}

bool OpenUserWorkCopy()
{
    MakeDirectory(WorkCopyDir());
    auto bytes = ReadWholeFile(UserFilePath(GetProgramDir()));
    if (!bytes) {
        RemoveFile(WorkCopyPath());  // an older copy must not pass for this one
        return false;
    }
    return ReplaceFileSafely(WorkCopyPath(), *bytes);
}

bool CommitUserWorkCopy()
{
    // The work copy never replaces a reseau.dat the console cannot read: it
    // may hold users the copy does not.
    UserFileHeader header;
    if (!HeaderToKeep(UserFilePath(GetProgramDir()), header))
        return false;
    auto bytes = ReadWholeFile(WorkCopyPath());
    return bytes && ReplaceFileSafely(UserFilePath(GetProgramDir()), *bytes);
}

void DiscardUserWorkCopy()
{
    RemoveFile(WorkCopyPath());
    RemoveFile(WorkCopyDir() + "\\valide");  // a commit's mark, left by a commit that failed to remove it
    RemoveEmptyDirectory(WorkCopyDir());
}

int ReadStoredPassword(const char* name, char out[21])
{
    std::string wanted = UpperCaseText(name);
    auto scratch = std::make_unique<UserTable>();
    UserFileHeader header;
    UserFileReading reading = ReadUserDatabaseFile(UserFilePath(GetProgramDir()), header, *scratch);
    if (!reading.opened || reading.verdict != UserFileVerdict::Usable)
        return 0;
    for (int i = 0; i < scratch->header.userCount; ++i) {
        const UserRecord& record = scratch->records[i];
        if (UpperCaseText(record.name) == wanted) {
            std::memcpy(out, record.password, sizeof record.password);
            return 1;
        }
    }
    return 0;
}
