// TEMPORARY: plain copies until the numbers file's own copy functions land.
#include <windows.h>

#include "shell/program_dir.h"
#include "users/numbers_file.h"

void SaveNumbersCopy()
{
    CopyFileA(ProgramPath("\\NumAut.dat").c_str(), ProgramPath("\\NumAut.sav").c_str(), FALSE);
}

void RestoreNumbersCopy()
{
    CopyFileA(ProgramPath("\\NumAut.sav").c_str(), ProgramPath("\\NumAut.dat").c_str(), FALSE);
}

void DeleteNumbersCopy()
{
    DeleteFileA(ProgramPath("\\NumAut.sav").c_str());
}
