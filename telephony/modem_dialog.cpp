#include "telephony/modem_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/app.h"
#include "base/modal_seam.h"
#include "base/program_dir.h"
#include "resources/resource.h"
#include "telephony/modem_entries.h"
#include "telephony/telephony.h"
#include "whconfig/whconfig.h"

namespace {

constexpr int kEntryHeight = 18;
constexpr int kTextLeft = 18;  // the icon takes the 18 pixels before
constexpr int kIconSize = 16;
constexpr DWORD kAppletSettleTime = 2000;  // ms for the applet's changes to reach telephony
constexpr size_t kPropertiesNameLength = 63;
constexpr char kConfigUser[] = "Administrateur";

// The Modems applet's entry in "shell32.dll"; the platform declares it
// nowhere.
typedef void(WINAPI* ControlRunDllFn)(HWND window, HINSTANCE instance, LPCSTR command, DWORD show);

ModemRequest& RequestOf(HWND dialog)
{
    return *reinterpret_cast<ModemRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

HWND ModemList(HWND dialog)
{
    return GetDlgItem(dialog, IDC_MODEM_LIST);
}

int EntryCount(HWND dialog)
{
    auto count = SendMessageA(ModemList(dialog), LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

int SelectedEntry(HWND dialog)
{
    auto index = SendMessageA(ModemList(dialog), LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

DWORD EntryId(HWND list, int index)
{
    return static_cast<DWORD>(SendMessageA(list, LB_GETITEMDATA, index, 0));
}

std::string EntryText(HWND list, int index)
{
    auto length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length < 0)
        return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    auto copied = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

std::string LoadText(UINT id)
{
    char text[512];
    int n = LoadStringA(AppInstance, id, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

// whconfig.dll of the program directory, loaded for one use.
class Whconfig {
public:
    Whconfig() : module_(LoadLibraryA(ProgramPath("\\whconfig.dll").c_str())) {}
    ~Whconfig()
    {
        if (module_)
            FreeLibrary(module_);
    }
    Whconfig(const Whconfig&) = delete;
    Whconfig& operator=(const Whconfig&) = delete;

    template <typename Function>
    Function Entry(const char* name) const
    {
        FARPROC found = module_ ? GetProcAddress(module_, name) : nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
    }
    template <typename Function>
    Function Entry(int ordinal) const
    {
        return Entry<Function>(MAKEINTRESOURCEA(ordinal));
    }

private:
    HMODULE module_;
};

struct FillContext {
    HWND list;
    std::string select;  // emptied once an entry is selected by it
};

int AddModemEntry(const char* name, DWORD id, void* context)
{
    auto& fill = *static_cast<FillContext*>(context);
    auto index = SendMessageA(fill.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (index < 0)
        return 1;
    SendMessageA(fill.list, LB_SETITEMDATA, index, id);
    if (!fill.select.empty() && fill.select == name) {
        SendMessageA(fill.list, LB_SETCURSEL, index, 0);
        fill.select.clear();
    }
    return 1;
}

void UpdateModemButtons(HWND dialog)
{
    int count = EntryCount(dialog);
    bool removable = count >= 2 || (count == 1 && IsLineDeviceId(EntryId(ModemList(dialog), 0)));
    EnableWindow(GetDlgItem(dialog, IDC_MODEM_REMOVE), removable);
    EnableWindow(GetDlgItem(dialog, IDC_MODEM_PROPERTIES), count > 0);
    EnableWindow(GetDlgItem(dialog, IDOK), count > 0);
}

// Lists the candidate modems again, selecting the entry named `select`, or
// with no name the entry selected now; the first entry when neither is found.
void FillModemList(HWND dialog, const char* select)
{
    HWND list = ModemList(dialog);
    FillContext fill{list, select ? std::string(select) : std::string()};
    if (!select) {
        int selected = SelectedEntry(dialog);
        if (selected >= 0)
            fill.select = EntryText(list, selected);
    }
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    int count = StartTelephony();
    if (count > 0)
        EnumerateModems(count, AddModemEntry, &fill);
    if (SelectedEntry(dialog) < 0 && EntryCount(dialog) > 0)
        SendMessageA(list, LB_SETCURSEL, 0, 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateModemButtons(dialog);
}

// Runs the platform's Modems applet ("MODEM.CPL"; with `add`, its add-modem
// wizard) over `owner`, then gives its changes time to reach telephony.
// Removing is asked first.
void RunModemsApplet(HWND owner, bool add)
{
    if (!add && ShowMessageBox(owner, LoadText(IDS_REMOVE_MODEMS).c_str(), nullptr, MB_YESNO) != IDYES)
        return;
    const char* command = add ? "MODEM.CPL,,ADD" : "MODEM.CPL";
    if (!owner)
        owner = GetActiveWindow();

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = AppInstance;
    windowClass.lpszClassName = "Control";
    RegisterClassA(&windowClass);  // already there after the first time
    RECT place{};
    if (owner)
        GetWindowRect(owner, &place);
    HWND popup = CreateWindowExA(0, "Control", "", WS_POPUP | WS_VISIBLE, place.left, place.top, 0, 0, owner,
                                 nullptr, AppInstance, nullptr);

    char system[MAX_PATH];
    UINT n = GetSystemDirectoryA(system, MAX_PATH);
    HMODULE shell = n > 0 && n < MAX_PATH ? LoadLibraryA((std::string(system, n) + "\\shell32.dll").c_str())
                                          : nullptr;
    auto runApplet = shell ? reinterpret_cast<ControlRunDllFn>(
                                 reinterpret_cast<void*>(GetProcAddress(shell, "Control_RunDLL")))
                           : nullptr;
    if (runApplet) {
        if (popup) {
            EnableWindow(owner, FALSE);
            runApplet(popup, nullptr, command, SW_SHOWNORMAL);
            EnableWindow(owner, TRUE);
        } else {
            runApplet(owner, nullptr, command, SW_SHOWNORMAL);
        }
    }
    if (shell)
        FreeLibrary(shell);

    if (popup)
        DestroyWindow(popup);
    if (owner) {
        RedrawWindow(owner, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (HWND parent = GetParent(owner))
            RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    Sleep(kAppletSettleTime);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

// Hands the selected modem to whconfig.dll and closes the dialog once the
// library has written the line (1) or failed (0); stays when the library asks
// for another choice. `standard` is 0 on the advanced way.
void AcceptModem(HWND dialog, int standard)
{
    int selected = SelectedEntry(dialog);
    if (selected < 0)
        return;
    ModemRequest& request = RequestOf(dialog);
    HWND list = ModemList(dialog);
    std::string text = EntryText(list, selected);
    DWORD id = EntryId(list, selected);

    Whconfig library;
    auto open = library.Entry<decltype(&WhcOpenConfig)>(kWhcOpenConfigOrdinal);
    if (!open || !open(dialog, request.workDir, 1, kConfigUser)) {
        EndDialog(dialog, 0);
        return;
    }
    std::memset(request.modemName, 0, sizeof request.modemName);
    std::memcpy(request.modemName, text.data(), std::min(text.size(), sizeof request.modemName - 1));
    const char* name = id == kSoftModemId ? kSoftModemArgument : text.c_str();
    int result = kWhcRefused;
    if (request.mode == kModemAddLine) {
        if (auto add = library.Entry<decltype(&WhcAddLine)>(kWhcAddLineOrdinal))
            result = add(dialog, name, standard);
    } else if (auto change = library.Entry<decltype(&WhcChangeLine)>(kWhcChangeLineOrdinal)) {
        result = change(dialog, name, request.lineIndex, standard);
    }
    if (auto close = library.Entry<decltype(&WhcCloseConfig)>(kWhcCloseConfigOrdinal))
        close(dialog, 1);
    if (result != kWhcStay)
        EndDialog(dialog, result == kWhcDone ? 1 : 0);
}

void ShowModemProperties(HWND dialog)
{
    int selected = SelectedEntry(dialog);
    if (selected < 0)
        return;
    HWND list = ModemList(dialog);
    DWORD id = EntryId(list, selected);
    if (IsLineDeviceId(id)) {
        lineConfigDialog(id, dialog, nullptr);
        return;
    }
    Whconfig library;
    if (id == kSoftModemId) {
        if (auto show = library.Entry<decltype(&WhcShowSoftModem)>(kWhcShowSoftModemOrdinal))
            show(dialog);
    } else if (auto show = library.Entry<decltype(&whcGetSpecialProperties)>(kWhcSpecialPropertiesName)) {
        show(dialog, EntryText(list, selected).substr(0, kPropertiesNameLength).c_str());
    }
}

void AcceptAdvanced(HWND dialog)
{
    if (ShowMessageBox(dialog, LoadText(IDS_ADVANCED_MODEM).c_str(), nullptr, MB_OKCANCEL) == IDOK)
        AcceptModem(dialog, 0);
}

void AddModem(HWND dialog)
{
    RunModemsApplet(dialog, true);
    FillModemList(dialog, nullptr);
}

void RemoveModem(HWND dialog)
{
    RunModemsApplet(dialog, false);
    FillModemList(dialog, nullptr);
}

void OpenModemDialog(HWND dialog, ModemRequest& request)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&request));
    request.modemName[kModemNameLength - 1] = 0;
    FillModemList(dialog, request.modemName);
    if (EntryCount(dialog) == 0) {
        HWND parent = GetParent(dialog);
        RunModemsApplet(parent ? parent : dialog, true);
        FillModemList(dialog, nullptr);
        if (EntryCount(dialog) == 0)
            EndDialog(dialog, 0);
        else
            AcceptModem(dialog, 1);
    } else if (EntryCount(dialog) == 1 && request.autoAccept) {
        AcceptModem(dialog, 1);
    }
}

// The program's own modem icon for the soft modem and the special names; the
// telephony's icon of a line device belongs to telephony and is never
// destroyed here. Either way a 16 x 16 copy is drawn, then destroyed.
void DrawEntryIcon(HDC dc, const RECT& entry, DWORD id)
{
    HICON icon = nullptr;
    HICON own = nullptr;
    if (IsLineDeviceId(id)) {
        if (lineGetIcon(id, nullptr, &icon) < 0)
            icon = nullptr;
    } else {
        own = static_cast<HICON>(LoadImageA(AppInstance, MAKEINTRESOURCEA(IDI_MODEM), IMAGE_ICON, kIconSize,
                                            kIconSize, 0));
        icon = own;
    }
    if (!icon)
        return;
    if (HICON copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, kIconSize, kIconSize, 0))) {
        DrawIconEx(dc, entry.left, entry.top, copy, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
        DestroyIcon(copy);
    }
    if (own)
        DestroyIcon(own);
}

void DrawModemEntry(const DRAWITEMSTRUCT& item)
{
    RECT textArea = item.rcItem;
    textArea.left = item.rcItem.left + kTextLeft;
    // An empty list with the focus: only its focus frame.
    if (item.itemID == static_cast<UINT>(-1) || (item.itemAction & ODA_FOCUS)) {
        if ((item.itemAction & ODA_FOCUS) || (item.itemState & ODS_FOCUS))
            DrawFocusRect(item.hDC, &textArea);
        return;
    }
    bool selected = item.itemState & ODS_SELECTED;
    RECT iconArea = item.rcItem;
    iconArea.right = textArea.left;
    FillRect(item.hDC, &iconArea, GetSysColorBrush(COLOR_WINDOW));
    DrawEntryIcon(item.hDC, item.rcItem, static_cast<DWORD>(item.itemData));
    COLORREF oldText = SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    COLORREF oldBack = SetBkColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    std::string text = EntryText(item.hwndItem, static_cast<int>(item.itemID));
    ExtTextOutA(item.hDC, item.rcItem.left + kTextLeft + 2, item.rcItem.top + 2, ETO_OPAQUE, &textArea, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
    SetTextColor(item.hDC, oldText);
    SetBkColor(item.hDC, oldBack);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(item.hDC, &textArea);
}

INT_PTR CALLBACK ModemDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenModemDialog(dialog, *reinterpret_cast<ModemRequest*>(lParam));
        return TRUE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kEntryHeight;
        return TRUE;
    case WM_DRAWITEM:
        DrawModemEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_MODEM_LIST:
            if (HIWORD(wParam) == LBN_DBLCLK)
                AcceptModem(dialog, 1);
            return TRUE;
        case IDOK:                 AcceptModem(dialog, 1); return TRUE;
        case IDCANCEL:             EndDialog(dialog, 0); return TRUE;
        case IDC_MODEM_ADD:        AddModem(dialog); return TRUE;
        case IDC_MODEM_REMOVE:     RemoveModem(dialog); return TRUE;
        case IDC_MODEM_PROPERTIES: ShowModemProperties(dialog); return TRUE;
        case IDC_MODEM_ADVANCED:   AcceptAdvanced(dialog); return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunModemDialog(HWND owner, ModemRequest& request)
{
    return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_MODEMS), owner, ModemDialog,
                           reinterpret_cast<LPARAM>(&request));
}
