#include "users/numbers_file.h"

#include "base/file_io.h"
#include "base/program_dir.h"

static std::string NumbersFilePath(int workCopy = 0)
{
    return ProgramPath(workCopy ? "\\usertemp\\Numaut.dat" : "\\Numaut.dat");
}

static std::string NumbersCopyPath()
{
    return ProgramPath("\\NumAut.sav");
}

// True when a file is at `path` that cannot be opened for reading now.
static bool IsThereButUnreadable(const std::string& path)
{
    File file(path, FileAccess::read, FileCreation::existing);
    return !file.ok() && !file.missing();
}

void CreateNumbersFile(int workCopy)
{
    NumbersTable& table = CurrentNumbersTable();
    ClearNumbersTable(table);
    table.head = static_cast<uint32_t>(UserCount());
    CreateNewFileSafely(NumbersFilePath(workCopy), EncodeNumbersFile(table));
}

bool SaveNumbersFile(int workCopy)
{
    std::string path = NumbersFilePath(workCopy);
    if (IsThereButUnreadable(path))
        return false;  // it may hold numbers this table never had
    return ReplaceFileSafely(path, EncodeNumbersFile(CurrentNumbersTable()));
}

NumbersReading LoadNumbersFile(int workCopy)
{
    std::string path = NumbersFilePath(workCopy);
    std::vector<uint8_t> bytes(kNumbersFileSize);
    File file(path, FileAccess::read, FileCreation::existing);
    long long got = file.ok() ? file.Read(bytes) : -1;
    if (got < 0) {
        if (file.missing()) {
            CreateNumbersFile(workCopy);
            return NumbersReading::missing;
        }
        FreeNumbersTable();
        return NumbersReading::unreadable;
    }
    bytes.resize(static_cast<size_t>(got));
    DecodeNumbersFile(bytes, CurrentNumbersTable());
    return NumbersReading::read;
}

NumbersReading OpenNumbersWorkCopy()
{
    std::string work = NumbersFilePath(1);
    RemoveFile(work);  // an older copy must not pass for this one
    NumbersReading found = NumbersReading::read;
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(NumbersFilePath());
    if (!bytes) {
        if (ExaminePath(NumbersFilePath()) != PathState::missing)
            return NumbersReading::unreadable;
        // A missing file is made, as any load makes it, then copied.
        CreateNumbersFile();
        found = NumbersReading::missing;
        bytes = ReadWholeFile(NumbersFilePath());
    }
    if (!bytes || !ReplaceFileSafely(work, *bytes))
        return NumbersReading::notCopied;
    return found;
}

bool CommitNumbersWorkCopy()
{
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(NumbersFilePath(1));
    return bytes && ReplaceFileSafely(NumbersFilePath(), *bytes);
}

void DiscardNumbersWorkCopy()
{
    RemoveFile(NumbersFilePath(1));
}

void SaveNumbersCopy()
{
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(NumbersFilePath());
    if (!bytes || !ReplaceFileSafely(NumbersCopyPath(), *bytes))
        DeleteNumbersCopy();
}

void DeleteNumbersCopy()
{
    RemoveFile(NumbersCopyPath());
}
