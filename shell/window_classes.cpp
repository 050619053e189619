#include "shell/window_classes.h"

#include "base/window_utils.h"
#include "journal/journal_view.h"
#include "resources/resource.h"
#include "shell/main_window.h"
#include "shell/tooltips.h"
#include "users/number_pool.h"

static bool RegisterOwnClass(const char* name, WNDPROC procedure, UINT style, HICON icon, HBRUSH background,
                             HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

bool RegisterWindowClasses(HINSTANCE instance)
{
    WNDCLASSA button;
    if (!GetClassInfoA(nullptr, "Button", &button))
        return false;
    BaseButtonExtraBytes = button.cbWndExtra;
    return RegisterNumberPoolClass(instance) && RegisterJournalPaneClass(instance) &&
           RegisterOwnClass("Administrateur", MainWindowProc, CS_HREDRAW | CS_VREDRAW,
                            LoadIconA(instance, MAKEINTRESOURCEA(IDI_ADMIN)),
                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), instance) &&
           RegisterOwnClass("Bulle", BulleProc, CS_SAVEBITS, nullptr, CreateSolidBrush(RGB(255, 255, 224)),
                            instance) &&
           RegisterClassCopy(instance, "Button", "$BtnBulle", BtnBulleProc, BaseButtonProc, 4,
                             LoadCursorA(instance, MAKEINTRESOURCEA(IDC_PICTURE_BUTTON)));
}
