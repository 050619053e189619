#include "shell/preferences.h"

#include <commctrl.h>
#include <prsht.h>

#include <array>
#include <string>

#include "aboutn/aboutn.h"
#include "base/app.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "journal/journal_page.h"
#include "resources/resource.h"

namespace {

constexpr ULONG_PTR kNetworkHelpContext = 106;
constexpr ULONG_PTR kIpAccessHelpContext = 107;

// Longest texts stored by the "Accès IP" page.
constexpr size_t kRasTextLength = 255;
constexpr size_t kServerTextLength = 31;

constexpr char kDefaultRasText[] = "Connexion Quorel sur IP n°";
constexpr char kDefaultDns[] = "minitelip.quorel.fr";
constexpr char kDefaultPort[] = "7516";

constexpr char kProtocolQuestion[] =
    "Le changement de protocole réseau va entraîner le redémarrage du réseau Quorel.\n"
    "Comfirmez-vous le changement de protocole?";

// The "Réseau" page: the values as read when the sheet opened, and as the
// page holds them. A page the administrator never opened keeps the values
// read, and OK writes them as it would have.
struct NetworkValues {
    bool tcpIp = false;          // "type" not 0
    bool checkStations = false;  // "check" not 0
    bool inhibit = false;        // "CnxFinEnabled" is 0
};

struct NetworkPage {
    NetworkValues read;
    NetworkValues chosen;
    bool applied = false;
};

// One text of the "Accès IP" page: the key's whole text, what the edit shows
// (at most `length` characters), and what it holds on OK.
struct IpText {
    const char* section;
    const char* key;
    const char* fallback;
    size_t length;
    int control;
    std::string read;
    std::string shown;
    std::string chosen;
};

struct IpAccessPage {
    std::array<IpText, 3> texts{{
        {"Minitel", "AccesRAS", kDefaultRasText, kRasTextLength, IDC_RAS_TEXT, {}, {}, {}},
        {"AccesIP", "DNS", kDefaultDns, kServerTextLength, IDC_DNS, {}, {}, {}},
        {"AccesIP", "Port", kDefaultPort, kServerTextLength, IDC_PORT, {}, {}, {}},
    }};
    bool forceIp = false;
    bool applied = false;
};

// Everything the sheet works on while it is open.
struct PreferencesSheet {
    bool journalApplied = false;
    NetworkPage network;
    IpAccessPage ipAccess;
};

// The key's whole text, however long.
std::string ReadWholeProfileText(const char* section, const char* key, const char* fallback)
{
    for (unsigned size = 256;; size *= 4) {
        std::string text = ReadProfileText(section, key, fallback, AdminIniPath(), size);
        if (text.size() + 1 < size || size >= (1u << 24))
            return text;
    }
}

std::string ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(item)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsChecked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void Check(HWND dialog, int id, bool checked)
{
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

template <typename Page>
Page* PageOf(HWND page)
{
    return reinterpret_cast<Page*>(GetWindowLongPtrA(page, DWLP_USER));
}

template <typename Page>
Page* AttachPage(HWND page, LPARAM lParam)
{
    LPARAM data = reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam;
    SetWindowLongPtrA(page, DWLP_USER, data);
    return reinterpret_cast<Page*>(data);
}

void ShowPageHelp(HWND page, ULONG_PTR context)
{
    ShowHelpFile(page, ProgramPath("\\admin.hlp"), HELP_CONTEXT, context);
}

// Answers the sheet's notifications for a page whose apply never refuses.
template <typename Page>
INT_PTR OnPageNotify(HWND page, const NMHDR* header, void (*apply)(HWND, Page&), ULONG_PTR helpContext)
{
    Page* data = PageOf<Page>(page);
    switch (header->code) {
    case PSN_APPLY:
        if (data)
            apply(page, *data);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_HELP:
        ShowPageHelp(page, helpContext);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

// "Réseau" ---------------------------------------------------------------------

static NetworkPage ReadNetworkPage()
{
    NetworkPage page;
    page.read.tcpIp = ReadProfileInt("Reseau", "type", 0, AdminIniPath()) != 0;
    page.read.checkStations = ReadProfileInt("Reseau", "check", 0, AdminIniPath()) != 0;
    page.read.inhibit = ReadProfileInt("Minitel", "CnxFinEnabled", 1, AdminIniPath()) == 0;
    page.chosen = page.read;
    return page;
}

// The protocol is written only when it really changed and the administrator
// agrees; "check" only when it changed; "CnxFinEnabled" always.
static void WriteNetworkPage(HWND owner, NetworkPage& page)
{
    page.applied = true;
    if (page.chosen.tcpIp != page.read.tcpIp &&
        ShowMessageBox(owner, kProtocolQuestion, "Administrateur", MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        WriteProfileInt("Reseau", "type", page.chosen.tcpIp ? 1 : 0, AdminIniPath());
    if (page.chosen.checkStations != page.read.checkStations)
        WriteProfileInt("Reseau", "check", page.chosen.checkStations ? 1 : 0, AdminIniPath());
    WriteProfileInt("Minitel", "CnxFinEnabled", page.chosen.inhibit ? 0 : 1, AdminIniPath());
}

static void OpenNetworkPage(HWND page, LPARAM lParam)
{
    const NetworkPage* data = AttachPage<NetworkPage>(page, lParam);
    Check(page, data->read.tcpIp ? IDC_PROTOCOL_TCPIP : IDC_PROTOCOL_IPX, true);
    Check(page, IDC_CHECK_STATIONS, data->read.checkStations);
    Check(page, IDC_INHIBIT_CONNECTION, data->read.inhibit);
}

static void ApplyNetworkPage(HWND page, NetworkPage& data)
{
    data.chosen.tcpIp = IsChecked(page, IDC_PROTOCOL_TCPIP);
    data.chosen.checkStations = IsChecked(page, IDC_CHECK_STATIONS);
    data.chosen.inhibit = IsChecked(page, IDC_INHIBIT_CONNECTION);
    WriteNetworkPage(page, data);
}

static INT_PTR CALLBACK NetworkPageDialog(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenNetworkPage(page, lParam);
        return TRUE;
    case WM_NOTIFY:
        return OnPageNotify<NetworkPage>(page, reinterpret_cast<const NMHDR*>(lParam), ApplyNetworkPage,
                                         kNetworkHelpContext);
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_HELP_KEY) {
            ShowPageHelp(page, kNetworkHelpContext);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// "Accès IP" -------------------------------------------------------------------

static IpAccessPage ReadIpAccessPage()
{
    IpAccessPage page;
    for (IpText& text : page.texts) {
        text.read = ReadWholeProfileText(text.section, text.key, text.fallback);
        text.shown = text.read.substr(0, text.length);
        text.chosen = text.shown;
    }
    page.forceIp = ReadProfileInt("Minitel", "ForceIP", 0, AdminIniPath()) != 0;
    return page;
}

// Every key is written. A text the administrator left as shown goes back
// whole, as it was read, so that a longer text set by an installer survives
// an OK that changed nothing; an edited one is cut to the length the server
// reads.
static void WriteIpAccessPage(IpAccessPage& page)
{
    page.applied = true;
    const IpText& ras = page.texts[0];
    auto stored = [](const IpText& text) {
        return text.chosen == text.shown ? text.read : text.chosen.substr(0, text.length);
    };
    WritePrivateProfileStringA(ras.section, ras.key, stored(ras).c_str(), AdminIniPath().c_str());
    WriteProfileInt("Minitel", "ForceIP", page.forceIp ? 1 : 0, AdminIniPath());
    for (size_t i = 1; i < page.texts.size(); ++i)
        WritePrivateProfileStringA(page.texts[i].section, page.texts[i].key, stored(page.texts[i]).c_str(),
                                   AdminIniPath().c_str());
}

static void OpenIpAccessPage(HWND page, LPARAM lParam)
{
    const IpAccessPage* data = AttachPage<IpAccessPage>(page, lParam);
    for (const IpText& text : data->texts) {
        SendDlgItemMessageA(page, text.control, EM_LIMITTEXT, text.length, 0);
        SetDlgItemTextA(page, text.control, text.shown.c_str());
    }
    Check(page, IDC_FORCE_IP, data->forceIp);
}

static void ApplyIpAccessPage(HWND page, IpAccessPage& data)
{
    for (IpText& text : data.texts)
        text.chosen = ItemText(page, text.control);
    data.forceIp = IsChecked(page, IDC_FORCE_IP);
    WriteIpAccessPage(data);
}

static INT_PTR CALLBACK IpAccessPageDialog(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenIpAccessPage(page, lParam);
        return TRUE;
    case WM_NOTIFY:
        return OnPageNotify<IpAccessPage>(page, reinterpret_cast<const NMHDR*>(lParam), ApplyIpAccessPage,
                                          kIpAccessHelpContext);
    case WM_COMMAND:
        if (LOWORD(wParam) == ID_HELP_KEY) {
            ShowPageHelp(page, kIpAccessHelpContext);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// The sheet ----------------------------------------------------------------------

static PROPSHEETPAGEA SheetPage(int dialog, DLGPROC procedure, void* data)
{
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_HASHELP;
    page.hInstance = AppInstance;
    page.pszTemplate = MAKEINTRESOURCEA(dialog);
    page.pfnDlgProc = procedure;
    page.lParam = reinterpret_cast<LPARAM>(data);
    return page;
}

// The platform's sheet creates a page only when it is first shown, and sends
// OK only to the pages it created: the pages the administrator never opened
// are written here, once the sheet has closed, from the values read.
void ShowPreferences(HWND owner)
{
    PreferencesSheet sheet;
    sheet.network = ReadNetworkPage();
    bool withIpAccess = ReadProfileInt("Minitel", "MinitelIP", 0, AdminIniPath()) != 0;
    if (withIpAccess)
        sheet.ipAccess = ReadIpAccessPage();

    PROPSHEETPAGEA pages[3] = {
        SheetPage(IDD_JOURNAL_PAGE, JournalPageDialog, &sheet.journalApplied),
        SheetPage(IDD_NETWORK_PAGE, NetworkPageDialog, &sheet.network),
        SheetPage(IDD_IP_ACCESS_PAGE, IpAccessPageDialog, &sheet.ipAccess),
    };
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = AppInstance;
    header.pszCaption = "Préférences";
    header.nPages = withIpAccess ? 3 : 2;
    header.nStartPage = 0;
    header.ppsp = pages;
    ShowPropertySheet(&header);

    if (!sheet.journalApplied)
        return;
    if (!sheet.network.applied)
        WriteNetworkPage(owner, sheet.network);
    if (withIpAccess && !sheet.ipAccess.applied)
        WriteIpAccessPage(sheet.ipAccess);
}

// About box ------------------------------------------------------------------------

void ShowAboutBox(HWND owner)
{
    HMODULE library = LoadLibraryA(ProgramPath("\\aboutn.dll").c_str());
    if (!library)
        return;
    auto entry = reinterpret_cast<AboutDialogEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(kAboutDialogOrdinal))));
    if (entry)
        entry(owner, "Administrateur Quorel", "Version " ADMIN_VERSION_TEXT,
              "Console d'administration du réseau Quorel");
    FreeLibrary(library);
}
