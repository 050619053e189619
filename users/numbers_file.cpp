#include "users/numbers_file.h"

#include "shell/file_io.h"
#include "shell/program_dir.h"

static std::string NumbersFilePath()
{
    return ProgramPath("\\Numaut.dat");
}

void CreateNumbersFile()
{
    NumbersTable& table = CurrentNumbersTable();
    ClearNumbersTable(table);
    table.head = static_cast<uint32_t>(UserCount());
    SaveNumbersFile();
}

void SaveNumbersFile()
{
    ReplaceFileSafely(NumbersFilePath(), EncodeNumbersFile(CurrentNumbersTable()));
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
