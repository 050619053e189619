#include "base/modal_seam.h"

static ModalSeam CurrentSeam;

void SetModalSeamForTests(const ModalSeam* seam)
{
    CurrentSeam = seam ? *seam : ModalSeam{};
}

int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    if (CurrentSeam.messageBox)
        return CurrentSeam.messageBox(CurrentSeam.context, owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}

BOOL ShowHelpFile(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data)
{
    if (CurrentSeam.help)
        return CurrentSeam.help(CurrentSeam.context, owner, helpFile.c_str(), command, data);
    return WinHelpA(owner, helpFile.c_str(), command, data);
}

BOOL ShowSaveFileDialog(OPENFILENAMEA* dialog)
{
    if (CurrentSeam.saveFile)
        return CurrentSeam.saveFile(CurrentSeam.context, dialog);
    return GetSaveFileNameA(dialog);
}

BOOL ShowPrintDialog(PRINTDLGA* dialog)
{
    if (CurrentSeam.print)
        return CurrentSeam.print(CurrentSeam.context, dialog);
    return PrintDlgA(dialog);
}

INT_PTR ShowPropertySheet(PROPSHEETHEADERA* header)
{
    if (CurrentSeam.propertySheet)
        return CurrentSeam.propertySheet(CurrentSeam.context, header);
    return PropertySheetA(header);
}
