// Every modal thing the console raises on the platform goes through here, so
// that tests can answer it and record what was asked.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <prsht.h>

#include <string>

// MessageBoxA, or the test's answer.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// WinHelpA, or the test's record of it.
BOOL ShowHelpFile(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data);

// GetSaveFileNameA, or the test's answer (it fills the file name and returns
// TRUE, or returns FALSE as a cancel would).
BOOL ShowSaveFileDialog(OPENFILENAMEA* dialog);

// PrintDlgA, or the test's answer (it fills hDC and the other outputs the
// caller asked for, or returns FALSE as a cancel would).
BOOL ShowPrintDialog(PRINTDLGA* dialog);

// PropertySheetA, or the test's run of the sheet.
INT_PTR ShowPropertySheet(PROPSHEETHEADERA* header);

// What a test puts in place of the platform. Each member left null falls back
// to the platform call.
struct ModalSeam {
    int (*messageBox)(void* context, HWND owner, const char* text, const char* caption, UINT type) = nullptr;
    BOOL (*help)(void* context, HWND owner, const char* helpFile, UINT command, ULONG_PTR data) = nullptr;
    BOOL (*saveFile)(void* context, OPENFILENAMEA* dialog) = nullptr;
    BOOL (*print)(void* context, PRINTDLGA* dialog) = nullptr;
    INT_PTR (*propertySheet)(void* context, PROPSHEETHEADERA* header) = nullptr;
    void* context = nullptr;
};

// nullptr puts the platform back.
void SetModalSeamForTests(const ModalSeam* seam);
