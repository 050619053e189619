#include "users/numbers_file.h"

#include "base/file_io.h"
#include "base/program_dir.h"

static std::string NumbersFilePath()
{
    return ProgramPath("\\Numaut.dat");
}

static std::string NumbersCopyPath()
{
    return ProgramPath("\\NumAut.sav");
}

void CreateNumbersFile()
{
    NumbersTable& table = CurrentNumbersTable();
    ClearNumbersTable(table);
    table.head = static_cast<uint32_t>(UserCount());
    SaveNumbersFile();
}

bool SaveNumbersFile()
{
    return ReplaceFileSafely(NumbersFilePath(), EncodeNumbersFile(CurrentNumbersTable()));
}

void LoadNumbersFile()
{
    std::vector<uint8_t> bytes(kNumbersFileSize);
    long long got = ReadFileAt(NumbersFilePath(), 0, bytes);
    if (got < 0) {
        CreateNumbersFile();
        return;
    }
    bytes.resize(static_cast<size_t>(got));
    DecodeNumbersFile(bytes, CurrentNumbersTable());
}

// Both copies go through a whole read and a safe replacement: the file the
// server reads is never left half-written, whatever fails.
void SaveNumbersCopy()
{
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(NumbersFilePath());
    if (!bytes || !ReplaceFileSafely(NumbersCopyPath(), *bytes))
        DeleteNumbersCopy();
}

void RestoreNumbersCopy()
{
    std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(NumbersCopyPath());
    if (bytes && !bytes->empty())  // never the file replaced by nothing
        ReplaceFileSafely(NumbersFilePath(), *bytes);
}

void DeleteNumbersCopy()
{
    RemoveFile(NumbersCopyPath());
}
