// Every modal thing the console raises on the platform goes through here, so
// that tests can answer it and record what was asked.
#pragma once
#include <windows.h>

#include <string>

// MessageBoxA, or the test's answer.
int ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// WinHelpA, or the test's record of it.
BOOL ShowHelpFile(HWND owner, const std::string& helpFile, UINT command, ULONG_PTR data);

// What a test puts in place of the platform. Each member left null falls back
// to the platform call.
struct ModalSeam {
    int (*messageBox)(void* context, HWND owner, const char* text, const char* caption, UINT type) = nullptr;
    BOOL (*help)(void* context, HWND owner, const char* helpFile, UINT command, ULONG_PTR data) = nullptr;
    void* context = nullptr;
};

// nullptr puts the platform back.
void SetModalSeamForTests(const ModalSeam* seam);
