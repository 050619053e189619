// Picture buttons ("$BtnBulle") and the tooltip popup ("Bulle").
#pragma once
#include <windows.h>

constexpr UINT BULLE_REQUEST = WM_USER + 762;   // to "Bulle": show the tooltip of the hovered control
constexpr UINT BBM_GETENABLED = WM_USER + 763;  // to "$BtnBulle": returns SoftEnabled

// The platform's button procedure and the size of its per-window data, taken
// when "$BtnBulle" is registered; SoftEnabled lives right after that data.
extern WNDPROC BaseButtonProc;
extern int BaseButtonExtraBytes;

LRESULT CALLBACK BtnBulleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK BulleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The hooks of the main window's thread, installed once the main window
// exists and left in place until the process ends.
LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MsgFilterHookProc(int code, WPARAM wParam, LPARAM lParam);
