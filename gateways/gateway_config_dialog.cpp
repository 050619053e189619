#include "gateways/gateway_config_dialog.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/app.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"
#include "base/window_utils.h"
#include "gateways/dial_up_entries.h"
#include "gateways/gateway_registry.h"
#include "gateways/gateways_window_model.h"
#include "gateways/line_files.h"
#include "journal/journal_view.h"
#include "resources/resource.h"
#include "states/activity_files.h"
#include "telephony/modem_dialog.h"
#include "telephony/telephony.h"

namespace {

constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintPeriod = 1000;  // ms
constexpr ULONG_PTR kConfigHelpContext = 103;
// "&Modifier" hands its line to the line-chosen step once its command is over.
constexpr UINT kLineChosenMessage = WM_APP + 1;
constexpr int kRowHeight = 16;
constexpr int kPrefixLength = 4;
constexpr int kEditTextSize = 128;
constexpr unsigned kSpecialNameSize = 128;
constexpr DWORD kTapiVersion = 0x00010004;
constexpr char kErrorCaption[] = "ERREUR";

const char* const kDialTypes[] = {"Décimale", "Fréquence vocale"};
const char* const kSpeakerModes[] = {"Inactif", "Actif jusqu'à la connexion", "Toujours actif",
                                     "Actif après la connexion"};

struct NetworkChoice {
    uint8_t flag;  // in a line's networkFlags
    uint8_t type;  // networkType
    const char* name;
};
const NetworkChoice kNetworks[] = {{1, kNetworkRtc, "RTC"}, {2, kNetworkGsm, "GSM"}, {4, kNetworkRnis, "RNIS"}};

// Hidden while "Routage IP" is checked.
const int kLineConfigurationControls[] = {
    IDC_CONFIG_MODIFY,           IDC_CONFIG_QUOREL_GROUP,   IDC_CONFIG_QUOREL_DIALING, IDC_CONFIG_PREFIX_LABEL,
    IDC_CONFIG_PREFIX,           IDC_CONFIG_PREFIX_ENABLED, IDC_CONFIG_DIAL_TYPE_LABEL, IDC_CONFIG_DIAL_TYPE,
    IDC_CONFIG_WINDOWS_GROUP,    IDC_CONFIG_WINDOWS_DIALING, IDC_CONFIG_LOCATIONS,     IDC_CONFIG_LOCATION_MODIFY,
    IDC_CONFIG_LINE_GROUP,       IDC_CONFIG_SPEAKER_LABEL,  IDC_CONFIG_SPEAKER,        IDC_CONFIG_NETWORK_LABEL,
    IDC_CONFIG_NETWORK,          IDC_CONFIG_RAS,
};

// The dialog's state; one dialog is open at a time.
struct ConfigState {
    int position = 0;              // the gateway's position, the key of its activity record
    std::string dir;               // its directory
    std::string workDirName;       // "pass<number>\cfgtemp\", as the modem configuration library takes it
    std::string editedName;
    bool dialogDirty = false;      // a change reached the work copy or the name
    INT_PTR dialogResult = 0;
    DWORD savedLocation = 0;
    bool locationsKnown = false;   // the platform listed its dialling locations at opening
    int directIpAccess = 0;
    int directIpAtOpen = 0;
    uint8_t dialingAtOpen = 0;
    int addedLineIndex = 0;
    bool linesReadable = true;     // the line files could be read whole: they may be committed
    bool entriesStale = false;     // lines moved or changed device: every entry is written again at "OK"
    std::array<bool, MaxLines> entryToDelete{};  // entries of removed lines, deleted at "OK"
    std::array<bool, MaxLines> slotsHeld{};      // slots this dialog turned from idle to held
    bool showingLine = false;      // the controls are being filled, not changed by the administrator
    int shownLine = -1;            // the line whose settings the controls show
};

ConfigState State;

HWND Item(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

std::string AdminIni()
{
    return ProgramPath("\\admin.ini");
}

std::string WhconfigIni()
{
    return ProgramPath("\\whconfig.ini");
}

int LineCount()
{
    return std::min<int>(WorkLines.tableHeader.count, MaxLines);
}

int SelectedLine(HWND dialog)
{
    auto selected = SendMessageA(Item(dialog, IDC_CONFIG_LINES), LB_GETCURSEL, 0, 0);
    return selected >= 0 && selected < LineCount() ? static_cast<int>(selected) : -1;
}

int SlotOf(int line)
{
    if (line < 0 || line >= LineCount())
        return -1;
    int slot = WorkLineSlots[line];
    return slot >= 0 && slot < MaxLines ? slot : -1;
}

bool IsHeld(int line)
{
    int slot = SlotOf(line);
    return slot >= 0 && LineState(State.position, slot) == kLineStateUnreachable;
}

std::string ItemText(HWND dialog, int id, size_t limit)
{
    char text[kEditTextSize] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, strnlen(text, std::min(limit, sizeof text - 1)));
}

void ShowError(HWND dialog, const char* text)
{
    ShowMessageBox(dialog, text, kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

// ---- Holding the lines

// Each change starts from the record as the server left it and writes only
// the bytes it means to change.
static void HoldSlot(int slot)
{
    if (slot < 0 || LineState(State.position, slot) != kLineStateIdle)
        return;
    SetLineState(State.position, slot, kLineStateUnreachable);
    WriteGatewayByte(State.position, LineStateAt(slot));
    State.slotsHeld[slot] = true;
}

static void HoldIdleLines()
{
    ReadGatewayRecord(State.position);
    for (int line = 0; line < LineCount(); ++line)
        HoldSlot(SlotOf(line));
}

// Only the lines this dialog held: a line the server itself marked held
// stays so.
static void ReleaseLinesHeldHere()
{
    ReadGatewayRecord(State.position);
    for (int slot = 0; slot < MaxLines; ++slot) {
        if (State.slotsHeld[slot] && LineState(State.position, slot) == kLineStateUnreachable) {
            SetLineState(State.position, slot, kLineStateIdle);
            WriteGatewayByte(State.position, LineStateAt(slot));
        }
    }
    State.slotsHeld.fill(false);
}

static void MarkConfigurationChanged()
{
    ReadGatewayRecord(State.position);
    SetConfigChanged(State.position, true);
    WriteGatewayByte(State.position, kConfigChangedAt);
}

// ---- The controls

static void Enable(HWND dialog, int id, bool enabled)
{
    EnableWindow(Item(dialog, id), enabled);
}

// Everything that changes a line needs the line held; its dialling settings
// follow the chosen source of dialling properties. Lines are added whatever
// the gateway has, once no line of it is in the server's hands.
static void ApplyEnableRule(HWND dialog, int line)
{
    bool held = IsHeld(line);
    bool windows = WorkLines.settingsHeader.useWindowsDialing != 0;
    Enable(dialog, IDC_CONFIG_ADD, held || line < 0);
    for (int id : {IDC_CONFIG_REMOVE, IDC_CONFIG_MODIFY, IDC_CONFIG_NETWORK, IDC_CONFIG_SPEAKER})
        Enable(dialog, id, held);
    for (int id : {IDC_CONFIG_DIAL_TYPE, IDC_CONFIG_PREFIX, IDC_CONFIG_PREFIX_ENABLED})
        Enable(dialog, id, held && !windows);
    for (int id : {IDC_CONFIG_LOCATIONS, IDC_CONFIG_LOCATION_MODIFY})
        Enable(dialog, id, held && windows);
}

static void UpdateEntryButton(HWND dialog)
{
    Enable(dialog, IDC_CONFIG_RAS, LineCount() > 0 && DialUpFunctionsAvailable() && IsMinitelIpEnabled());
}

static void ShowLineConfiguration(HWND dialog, bool shown)
{
    for (int id : kLineConfigurationControls)
        ShowWindow(Item(dialog, id), shown ? SW_SHOW : SW_HIDE);
}

static void FillList(HWND list, const char* const* texts, size_t count)
{
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < count; ++i)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
}

static void FillLineList(HWND dialog)
{
    HWND list = Item(dialog, IDC_CONFIG_LINES);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int line = 0; line < LineCount(); ++line)
        SendMessageA(list, LB_ADDSTRING, 0, line);
}

static void SelectLine(HWND dialog, int line)
{
    SendMessageA(Item(dialog, IDC_CONFIG_LINES), LB_SETCURSEL, line, 0);
}

static void FillNetworkList(HWND dialog, int line)
{
    HWND list = Item(dialog, IDC_CONFIG_NETWORK);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    if (line < 0)
        return;
    uint8_t flags = WorkLines.records[line].networkFlags;
    for (const NetworkChoice& network : kNetworks) {
        if (network.flag & (flags ? flags : 1)) {
            auto item = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(network.name));
            SendMessageA(list, CB_SETITEMDATA, item, network.type);
        }
    }
    auto items = SendMessageA(list, CB_GETCOUNT, 0, 0);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    for (LRESULT i = 0; i < items; ++i) {
        if (SendMessageA(list, CB_GETITEMDATA, i, 0) == WorkLines.settings[line].networkType)
            SendMessageA(list, CB_SETCURSEL, i, 0);
    }
}

static void ShowSpeakerMode(HWND dialog, int line)
{
    if (line >= 0)
        ReadSpeakerMode(Item(dialog, IDC_CONFIG_SPEAKER), line, State.dir);
}

static void ShowLineSettings(HWND dialog)
{
    int line = SelectedLine(dialog);
    State.showingLine = true;
    State.shownLine = line;
    FillNetworkList(dialog, line);
    const LineSettings* settings = line >= 0 ? &WorkLines.settings[line] : nullptr;
    SendMessageA(Item(dialog, IDC_CONFIG_DIAL_TYPE), CB_SETCURSEL,
                 settings ? settings->dialType : static_cast<WPARAM>(-1), 0);
    SetDlgItemTextA(dialog, IDC_CONFIG_PREFIX, settings ? settings->prefix : "");
    CheckDlgButton(dialog, IDC_CONFIG_PREFIX_ENABLED, settings && settings->prefixEnabled ? BST_CHECKED : BST_UNCHECKED);
    ApplyEnableRule(dialog, line);
    if (!settings)
        SendMessageA(Item(dialog, IDC_CONFIG_SPEAKER), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ShowSpeakerMode(dialog, line);
    State.showingLine = false;
}

static void CheckDialingSource(HWND dialog)
{
    int id = WorkLines.settingsHeader.useWindowsDialing ? IDC_CONFIG_WINDOWS_DIALING : IDC_CONFIG_QUOREL_DIALING;
    CheckRadioButton(dialog, IDC_CONFIG_QUOREL_DIALING, IDC_CONFIG_WINDOWS_DIALING, id);
}

// ---- Opening and closing

static void OpenConfigDialog(HWND dialog)
{
    State = ConfigState{};
    State.position = CurrentGateway;
    if (State.position < 0 || State.position >= Gateways.count) {
        EndDialog(dialog, 0);
        return;
    }
    LoadDialUpFunctions();
    SetTimer(dialog, kRepaintTimer, kRepaintPeriod, nullptr);
    CentreWindow(dialog);

    const GatewayRecord& gateway = Gateways.slots[State.position];
    State.dir = GatewayDirectory(State.position);
    State.editedName = std::string(GatewayNameOf(gateway).substr(0, kGatewayNameLength));
    char workDir[32];
    std::snprintf(workDir, sizeof workDir, "pass%d\\cfgtemp\\", static_cast<int>(gateway.number));
    State.workDirName = workDir;
    WritePrivateProfileStringA("General", "CFGTEMP", workDir, WhconfigIni().c_str());
    WriteProfileInt("General", "GESTIONCFG", 0, WhconfigIni());
    State.linesReadable = OpenWorkCopy(dialog, State.dir);

    SendMessageA(Item(dialog, IDC_CONFIG_NAME), EM_LIMITTEXT, kGatewayNameLength, 0);
    SetDlgItemTextA(dialog, IDC_CONFIG_NAME, State.editedName.c_str());
    FillList(Item(dialog, IDC_CONFIG_DIAL_TYPE), kDialTypes, std::size(kDialTypes));
    FillList(Item(dialog, IDC_CONFIG_SPEAKER), kSpeakerModes, std::size(kSpeakerModes));

    HoldIdleLines();
    FillLineList(dialog);
    if (LineCount() > 0)
        SelectLine(dialog, 0);
    UpdateEntryButton(dialog);

    SendMessageA(Item(dialog, IDC_CONFIG_PREFIX), EM_LIMITTEXT, kPrefixLength, 0);
    CheckDialingSource(dialog);
    State.savedLocation = GetCurrentLocation(nullptr);
    FillLocationList(Item(dialog, IDC_CONFIG_LOCATIONS));
    State.locationsKnown = SendMessageA(Item(dialog, IDC_CONFIG_LOCATIONS), CB_GETCOUNT, 0, 0) > 0;
    ShowLineSettings(dialog);
    State.dialogDirty = false;

    std::string routing = ReadProfileText("SpecialNames", "Routage IP", "", WhconfigIni(), kSpecialNameSize);
    if (routing.empty()) {
        ShowWindow(Item(dialog, IDC_CONFIG_DIRECT_IP), SW_HIDE);
    } else {
        State.directIpAccess = ReadDirectIpAccess(State.position) != 0;
        CheckDlgButton(dialog, IDC_CONFIG_DIRECT_IP, State.directIpAccess ? BST_CHECKED : BST_UNCHECKED);
        if (State.directIpAccess)
            ShowLineConfiguration(dialog, false);
    }
    State.directIpAtOpen = State.directIpAccess;
    State.dialingAtOpen = WorkLines.settingsHeader.useWindowsDialing;
}

static void CloseConfigDialog(HWND dialog)
{
    if (State.dialogDirty)
        MarkGatewayChanged(State.position);
    KillTimer(dialog, kRepaintTimer);
    ReleaseLinesHeldHere();
    DiscardWorkCopy(State.dir);
    WorkLines = LineTables{};
    WorkLineSlots = FirstLineSlots();
    UnloadDialUpFunctions();
    RefreshJournalView();
    EndDialog(dialog, State.dialogResult);
}

// ---- Lines

// After "Modems" wrote line `line` into the work copy: the line is loaded,
// held and selected. A work copy that does not show it leaves the lines as
// they were. Whether the line was taken.
static bool TakeChosenLine(HWND dialog, int line, bool deviceChanged)
{
    int selected = SelectedLine(dialog);
    WorkReload reload = ReloadWorkCopy(dialog, State.dir + "\\cfgtemp", line);
    if (reload != WorkReload::Done) {
        if (reload == WorkReload::Unreadable)
            State.linesReadable = false;  // what the library left cannot be committed
        else {
            WriteWorkLineRecords(State.dir);
            WriteWorkLineSettings(State.dir);
        }
        FillLineList(dialog);
        SelectLine(dialog, selected);
        ShowLineSettings(dialog);
        return false;
    }
    WriteWorkLineRecords(State.dir);
    WriteWorkLineSettings(State.dir);
    FillLineList(dialog);
    ReadGatewayRecord(State.position);
    HoldSlot(SlotOf(line));
    SelectLine(dialog, line);
    ShowLineSettings(dialog);
    State.dialogDirty = true;
    State.entriesStale = State.entriesStale || deviceChanged;
    return true;
}

static int LineLimit()
{
    return ReadProfileInt("Reseau", "type", 0, AdminIni()) == 0 ? MaxLines - 1 : MaxLines;
}

static ModemRequest RequestFor(int32_t mode, int line)
{
    ModemRequest request;
    request.mode = mode;
    request.autoAccept = 1;
    request.lineIndex = line;
    request.workDir = State.workDirName.c_str();
    if (mode != kModemAddLine)
        std::memcpy(request.modemName, WorkLines.records[line].modemName, kModemNameLength - 1);
    return request;
}

static void AddLine(HWND dialog)
{
    int count = LineCount();
    if (count >= LineLimit() || (State.directIpAccess && count >= 1)) {
        ShowMessageBox(dialog, "Le nombre maximum de modems pour une passerelle est atteint.", "Attention",
                       MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    State.addedLineIndex = count;
    ModemRequest request = RequestFor(kModemAddLine, count);
    if (RunModemDialog(dialog, request) != 1)
        return;
    if (!TakeChosenLine(dialog, State.addedLineIndex, false))
        return;
    CreateLineEntry(State.addedLineIndex);
    State.entryToDelete[State.addedLineIndex] = false;
    UpdateEntryButton(dialog);
}

static void ChangeLineDevice(HWND dialog)
{
    int line = SelectedLine(dialog);
    if (line < 0 || !IsHeld(line))
        return;
    State.addedLineIndex = line;
    ModemRequest request = RequestFor(kModemChangeLine, line);
    if (RunModemDialog(dialog, request) == 1)
        PostMessageA(dialog, kLineChosenMessage, static_cast<WPARAM>(line), 0);
}

// Entries belong to line indexes: the highest one is left over. It goes at
// "OK", with the entries of the lines that moved written again, so that
// "Annuler" leaves every committed line its entry.
static void RemoveSelectedLine(HWND dialog)
{
    int line = SelectedLine(dialog);
    if (line < 0 || !IsHeld(line))
        return;  // the server's: nothing to ask, nothing done
    if (ShowMessageBox(dialog, "Voulez-vous vraiment supprimer ce modem?", "Attention",
                       MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    if (!RemoveLine(State.dir, line))
        return;
    int count = LineCount();
    FillLineList(dialog);
    if (count > 0)
        SelectLine(dialog, std::min(line, count - 1));
    State.entryToDelete[count] = true;
    State.entriesStale = true;
    WriteWorkLineRecords(State.dir);
    WriteWorkLineSettings(State.dir);
    ShowLineSettings(dialog);
    UpdateEntryButton(dialog);
    State.dialogDirty = true;
}

// ---- The selected line's settings

// The line whose setting the administrator changed, or -1 when no held line
// is selected or the controls are only being filled.
static int EditedLine(HWND dialog)
{
    int line = SelectedLine(dialog);
    return !State.showingLine && IsHeld(line) ? line : -1;
}

// Showing another held line puts its prefix into the field again, which
// counts as a change of it, as typing does: "Annuler" asks, and the server
// is told. A line the server uses is only looked at.
static void ChangeSelectedLine(HWND dialog)
{
    int before = State.shownLine;
    ShowLineSettings(dialog);
    int line = SelectedLine(dialog);
    if (line != before && IsHeld(line))
        State.dialogDirty = true;
}

static void StoreLineSettings()
{
    WriteWorkLineSettings(State.dir);
    State.dialogDirty = true;
}

static void ChangeNetworkType(HWND dialog)
{
    int line = EditedLine(dialog);
    HWND list = Item(dialog, IDC_CONFIG_NETWORK);
    auto item = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (line < 0 || item == CB_ERR)
        return;
    WorkLines.settings[line].networkType = static_cast<uint8_t>(SendMessageA(list, CB_GETITEMDATA, item, 0));
    StoreLineSettings();
    State.entriesStale = true;  // the entry's device may be another one now
    State.showingLine = true;
    ShowSpeakerMode(dialog, line);  // kept in the file of the new network
    State.showingLine = false;
}

static void ChangeDialType(HWND dialog)
{
    int line = EditedLine(dialog);
    auto item = SendMessageA(Item(dialog, IDC_CONFIG_DIAL_TYPE), CB_GETCURSEL, 0, 0);
    if (line < 0 || item < 0 || item >= static_cast<LRESULT>(std::size(kDialTypes)))
        return;
    WorkLines.settings[line].dialType = static_cast<uint8_t>(item);
    StoreLineSettings();
}

static void ChangePrefixEnabled(HWND dialog)
{
    int line = EditedLine(dialog);
    if (line < 0)
        return;
    WorkLines.settings[line].prefixEnabled = IsDlgButtonChecked(dialog, IDC_CONFIG_PREFIX_ENABLED) == BST_CHECKED;
    StoreLineSettings();
}

static void ChangePrefix(HWND dialog)
{
    int line = EditedLine(dialog);
    if (line < 0)
        return;
    SetPrefix(WorkLines.settings[line], ItemText(dialog, IDC_CONFIG_PREFIX, kEditTextSize - 1));
    StoreLineSettings();
}

static void ChangeSpeakerMode(HWND dialog)
{
    int line = EditedLine(dialog);
    if (line >= 0 && WriteSpeakerMode(Item(dialog, IDC_CONFIG_SPEAKER), line, State.dir))
        State.dialogDirty = true;
}

static void ChangeName(HWND dialog)
{
    State.editedName = ItemText(dialog, IDC_CONFIG_NAME, kGatewayNameLength);
    State.dialogDirty = true;
}

// ---- Dialling properties and direct IP access

static void ChooseDialingSource(HWND dialog, bool windows)
{
    WorkLines.settingsHeader.useWindowsDialing = windows ? 1 : 0;
    CheckDialingSource(dialog);
    ApplyEnableRule(dialog, SelectedLine(dialog));
}

// The permanent identifier of the location selected in the list, or nothing.
static bool SelectedLocation(HWND dialog, DWORD& location)
{
    HWND list = Item(dialog, IDC_CONFIG_LOCATIONS);
    auto item = SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR)
        return false;
    location = static_cast<DWORD>(SendMessageA(list, CB_GETITEMDATA, item, 0));
    return true;
}

static void EditDialingProperties(HWND dialog)
{
    DWORD location;
    if (SelectedLocation(dialog, location))
        lineSetCurrentLocation(LineApp, location);
    lineTranslateDialog(LineApp, 0, kTapiVersion, dialog, nullptr);
    HWND list = Item(dialog, IDC_CONFIG_LOCATIONS);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    FillLocationList(list);
}

static void ToggleDirectIpAccess(HWND dialog)
{
    State.directIpAccess = IsDlgButtonChecked(dialog, IDC_CONFIG_DIRECT_IP) == BST_CHECKED;
    ShowLineConfiguration(dialog, !State.directIpAccess);
}

static void EditSelectedEntry(HWND dialog)
{
    EditLineEntry(dialog, SelectedLine(dialog));
}

static void ShowConfigHelp(HWND dialog)
{
    ShowHelpFile(dialog, ProgramPath("\\admin.hlp"), HELP_CONTEXT, kConfigHelpContext);
}

// ---- "OK" and "Annuler"

// The entries of the lines as they now are: written again when lines moved
// or changed device, and those of removed lines deleted.
static void UpdateLineEntries()
{
    int count = LineCount();
    if (State.entriesStale) {
        for (int line = 0; line < count; ++line) {
            if (!CreateLineEntry(line))
                DeleteLineEntry(line);  // its device is gone: no entry rather than another line's
        }
    }
    for (int index = count; index < MaxLines; ++index) {
        if (State.entryToDelete[index])
            DeleteLineEntry(index);
    }
}

// Writes and commits the work copy, then the gateway table: each step is
// checked, and when one fails the steps before are undone, so that the
// server never sees half a configuration. Whether it was all saved.
static bool SaveConfiguration(HWND dialog)
{
    if (!State.linesReadable) {
        ShowError(dialog, "Les fichiers des lignes de cette passerelle n'ont pas pu être lus : "
                          "la configuration ne peut pas être enregistrée.");
        return false;
    }
    WorkLines.settingsHeader.commitMark = 0;
    CommitUndo undo;
    if (!WriteWorkLineRecords(State.dir) || !WriteWorkLineSettings(State.dir) ||
        !CommitWorkCopy(State.dir, &undo)) {
        ShowError(dialog, "Les fichiers des lignes de la passerelle n'ont pas pu être enregistrés.\n"
                          "La configuration n'a pas été modifiée.");
        return false;
    }
    GatewayRecord& gateway = Gateways.slots[State.position];
    GatewayRecord before = gateway;
    SetGatewayName(gateway, State.editedName);
    gateway.modemCount = static_cast<uint32_t>(LineCount());
    if (!SaveGatewayTable()) {
        gateway = before;
        UndoCommit(undo);
        ShowError(dialog, "La liste des passerelles (admin.dat) n'a pas pu être enregistrée.\n"
                          "La configuration n'a pas été modifiée.");
        return false;
    }
    return true;
}

static void ConfirmConfiguration(HWND dialog)
{
    State.editedName = ItemText(dialog, IDC_CONFIG_NAME, kGatewayNameLength);
    if (IsGatewayNameTaken(State.editedName.c_str())) {
        char text[256];
        std::snprintf(text, sizeof text, "%s est le nom d'une autre passerelle.\nVeuillez en changer.",
                      State.editedName.c_str());
        ShowMessageBox(dialog, text, "Modification d'un passerelle", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!SaveConfiguration(dialog))
        return;
    MarkConfigurationChanged();
    State.dialogResult = 1;
    DWORD location;
    if (SelectedLocation(dialog, location))
        lineSetCurrentLocation(LineApp, location);
    State.directIpAccess = IsDlgButtonChecked(dialog, IDC_CONFIG_DIRECT_IP) == BST_CHECKED;
    WriteDirectIpAccess(State.position, State.directIpAccess);
    UpdateLineEntries();
    if (WorkLines.settingsHeader.useWindowsDialing != State.dialingAtOpen ||
        State.directIpAccess != State.directIpAtOpen)
        State.dialogDirty = true;
    CloseConfigDialog(dialog);
}

static void CancelConfiguration(HWND dialog)
{
    State.dialogResult = 0;
    if (State.dialogDirty && ShowMessageBox(dialog, "Voulez-vous vraiment ignorer les modifications ?", "Attention",
                                      MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    if (State.locationsKnown)
        lineSetCurrentLocation(LineApp, State.savedLocation);
    CloseConfigDialog(dialog);
}

// ---- Timer and drawing

// Lines the server let go meanwhile are held too; the controls follow the
// selected line's state.
static void RefreshLines(HWND dialog)
{
    HoldIdleLines();
    ApplyEnableRule(dialog, SelectedLine(dialog));
    InvalidateRect(Item(dialog, IDC_CONFIG_LINES), nullptr, FALSE);
}

// The device's name in the first 70 %, the word of the line's state in the
// rest.
static void DrawLine(const DRAWITEMSTRUCT* item)
{
    if (item->itemID == static_cast<UINT>(-1))
        return;
    if (item->itemAction == ODA_FOCUS) {
        DrawFocusRect(item->hDC, &item->rcItem);
        return;
    }
    auto line = static_cast<int>(item->itemID);
    bool selected = item->itemState & ODS_SELECTED;
    int saved = SaveDC(item->hDC);
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const RECT& row = item->rcItem;
    int width = row.right - row.left;
    int nameWidth = width * 70 / 100;
    if (line < LineCount()) {
        const char* name = WorkLines.records[line].modemName;
        std::string text(name, strnlen(name, kModemNameSize));
        FitText(item->hDC, text, nameWidth);
        TextOutA(item->hDC, row.left + 2, row.top, text.c_str(), static_cast<int>(text.size()));
        int slot = SlotOf(line);
        std::string state = slot >= 0 ? LineStateWord(LineState(State.position, slot)) : "";
        FitText(item->hDC, state, width - nameWidth);
        TextOutA(item->hDC, row.left + nameWidth, row.top, state.c_str(), static_cast<int>(state.size()));
    }
    RestoreDC(item->hDC, saved);
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(item->hDC, &item->rcItem);
}

// ---- The procedure

static INT_PTR OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case IDC_CONFIG_NAME:
        if (code == EN_CHANGE)
            ChangeName(dialog);
        return TRUE;
    case IDC_CONFIG_LINES:
        if (code == LBN_SELCHANGE)
            ChangeSelectedLine(dialog);
        return TRUE;
    case IDC_CONFIG_PREFIX:
        if (code == EN_CHANGE)
            ChangePrefix(dialog);
        return TRUE;
    case IDC_CONFIG_NETWORK:
        if (code == CBN_SELCHANGE)
            ChangeNetworkType(dialog);
        return TRUE;
    case IDC_CONFIG_DIAL_TYPE:
        if (code == CBN_SELCHANGE)
            ChangeDialType(dialog);
        return TRUE;
    case IDC_CONFIG_SPEAKER:
        if (code == CBN_SELCHANGE)
            ChangeSpeakerMode(dialog);
        return TRUE;
    case IDC_CONFIG_PREFIX_ENABLED:  ChangePrefixEnabled(dialog); return TRUE;
    case IDC_CONFIG_ADD:             AddLine(dialog); return TRUE;
    case IDC_CONFIG_MODIFY:          ChangeLineDevice(dialog); return TRUE;
    case IDC_CONFIG_REMOVE:          RemoveSelectedLine(dialog); return TRUE;
    case IDC_CONFIG_QUOREL_DIALING:  ChooseDialingSource(dialog, false); return TRUE;
    case IDC_CONFIG_WINDOWS_DIALING: ChooseDialingSource(dialog, true); return TRUE;
    case IDC_CONFIG_LOCATION_MODIFY: EditDialingProperties(dialog); return TRUE;
    case IDC_CONFIG_DIRECT_IP:       ToggleDirectIpAccess(dialog); return TRUE;
    case IDC_CONFIG_RAS:             EditSelectedEntry(dialog); return TRUE;
    case IDC_CONFIG_HELP:
    case ID_HELP_KEY:                ShowConfigHelp(dialog); return TRUE;
    case IDOK:                       ConfirmConfiguration(dialog); return TRUE;
    case IDCANCEL:                   CancelConfiguration(dialog); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK GatewayConfigDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:     OpenConfigDialog(dialog); return TRUE;
    case WM_MEASUREITEM:    reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kRowHeight; return TRUE;
    case WM_DRAWITEM:       DrawLine(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_TIMER:          RefreshLines(dialog); return TRUE;
    case kLineChosenMessage: TakeChosenLine(dialog, static_cast<int>(wParam), true); return TRUE;
    case WM_COMMAND:        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

INT_PTR RunGatewayConfigDialog(HWND owner)
{
    return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_GATEWAY_CONFIG), owner, GatewayConfigDialog, 0);
}
