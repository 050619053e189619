#include "gateways/gateway_registry.h"

#include <cstring>

#include "gateways/file_name.h"
#include "gateways/gateway_config_dialog.h"
#include "gateways/line_files.h"
#include "journal/journal_file.h"
#include "base/date_time.h"
#include "base/directory_ops.h"
#include "base/file_io.h"
#include "base/modal_seam.h"
#include "base/profile.h"
#include "base/program_dir.h"

GatewayTable Gateways;
int CurrentGateway = 0;

static INT_PTR (*ConfigDialogForTests)(HWND owner);

void SetConfigDialogForTests(INT_PTR (*dialog)(HWND owner))
{
    ConfigDialogForTests = dialog;
}

// The configuration dialog's result. A dialog that could not be created
// answers -1, which must not pass for a confirmation.
static INT_PTR RunConfigDialog(HWND owner)
{
    INT_PTR result = ConfigDialogForTests ? ConfigDialogForTests(owner) : RunGatewayConfigDialog(owner);
    return result == -1 ? 0 : result;
}

static std::string TablePath()
{
    return ProgramPath("\\admin.dat");
}

static bool IsGatewayPosition(int position)
{
    return position >= 0 && position < Gateways.count;
}

// admin.dat was there but could not be read by the last load: the table in
// memory is not its content, and must not be written over it.
static bool TableUnreadable;

void LoadGatewayTable()
{
    std::string path = TablePath();
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        Gateways = GatewayTable{};
        TableUnreadable = ExaminePath(path) != PathState::missing;
        if (TableUnreadable) {
            ShowMessageBox(GetActiveWindow(),
                           "Le fichier admin.dat ne peut pas être lu : il est conservé tel quel, et les passerelles ne "
                           "peuvent pas être modifiées.",
                           "Erreur lecture de fichier", MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        CreateNewFileSafely(path, EncodeGatewayTable(Gateways));
        return;
    }
    TableUnreadable = false;
    Gateways = DecodeGatewayTable(*bytes);
    if (bytes->size() < kGatewayTableSize)
        SaveGatewayTable();
}

bool IsGatewayTableUnreadable()
{
    return TableUnreadable;
}

bool SaveGatewayTable()
{
    if (TableUnreadable)
        return false;
    return ReplaceFileSafely(TablePath(), EncodeGatewayTable(Gateways));
}

std::string GatewayDirectory(int position)
{
    uint32_t number = position >= 0 && position < MaxGateways ? Gateways.slots[position].number : 0;
    return ProgramPath("\\pass" + std::to_string(static_cast<int>(number)));
}

int AddGatewaySlot()
{
    int position = AddGatewaySlot(Gateways);
    if (position < 0)
        return -1;
    CurrentGateway = position;
    std::string dir = GatewayDirectory(position);
    MakeDirectory(dir);  // one left behind is used as it stands
    CreateLineFiles(dir);
    SaveGatewayTable();
    return position;
}

// The direct IP access of pass.ini belongs to the gateway, not to the
// position: when the gateways after `position` move one place down, each one's
// "AccesDirectIP" moves down with it (a missing key moves as a missing key),
// and the freed last position gets 0. No other key is touched, and a missing
// pass.ini, where every gateway has the default 0, is not created.
static void MoveDirectIpAccessDown(int position)
{
    std::string ini = ProgramPath("\\pass.ini");
    if (!FileExists(ini))
        return;
    constexpr char kMissing[] = "\x01";
    for (int k = position; k < MaxGateways - 1; ++k) {
        std::string value = ReadProfileText(FormatPassIniSection(k + 1).c_str(), "AccesDirectIP", kMissing, ini, 64);
        WritePrivateProfileStringA(FormatPassIniSection(k).c_str(), "AccesDirectIP",
                                   value == kMissing ? nullptr : value.c_str(), ini.c_str());
    }
    WriteProfileInt(FormatPassIniSection(MaxGateways - 1).c_str(), "AccesDirectIP", 0, ini);
}

void RemoveGatewayAt(int position)
{
    if (!IsGatewayPosition(position))
        return;
    std::string name(GatewayNameOf(Gateways.slots[position]));
    RemoveGatewayEntries(name.c_str());
    if (IsSafeFileName(name))
        RemoveFile(ProgramPath("\\" + name + ".pcp"));
    DeleteTree(GatewayDirectory(position));
    RemoveGatewaySlot(Gateways, position);
    SaveGatewayTable();
    MoveDirectIpAccessDown(position);
}

// A gateway whose creation was not confirmed takes nothing with it but its
// slot and its directory: the journal records and the ".pcp" file its
// default name would match belong to no gateway it ever had.
static void DropNewGatewayAt(int position)
{
    if (!IsGatewayPosition(position))
        return;
    DeleteTree(GatewayDirectory(position));
    RemoveGatewaySlot(Gateways, position);
    SaveGatewayTable();
}

bool RenameGatewayInJournal(const std::string& oldName, int position)
{
    if (!IsGatewayPosition(position))
        return false;
    std::string newName(GatewayNameOf(Gateways.slots[position]));
    if (newName == oldName)
        return false;
    RenameGatewayEntries(oldName.c_str(), newName.c_str());
    return true;
}

int IsGatewayNameTaken(const char* name)
{
    return IsGatewayNameTaken(Gateways, CurrentGateway, name) ? 1 : 0;
}

void MarkGatewayChanged(int position)
{
    std::string stamp;
    FormatStamp(stamp, 0);
    WritePrivateProfileStringA(FormatPassName(position).c_str(), "LastChange", stamp.c_str(),
                               AdminIniPath().c_str());
}

bool WriteForceActif(int position)
{
    if (!IsGatewayPosition(position))
        return false;
    std::string name(GatewayNameOf(Gateways.slots[position]));
    if (!IsSafeFileName(name))
        return false;
    return WriteProfileInt("Passerelle", "ForceActif", 1, ProgramPath("\\" + name + "\\pass.ini"));
}

void FillGatewayList(HWND gatewayList)
{
    SendMessageA(gatewayList, LB_RESETCONTENT, 0, 0);
    for (int position = 0; position < Gateways.count; ++position) {
        auto item = SendMessageA(gatewayList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        SendMessageA(gatewayList, LB_SETITEMDATA, item, position);
    }
    InvalidateRect(gatewayList, nullptr, TRUE);
}

static void NotifyGatewaySelection(HWND gatewayList)
{
    SendMessageA(GetParent(gatewayList), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(gatewayList), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(gatewayList));
}

static int SelectedPosition(HWND gatewayList)
{
    auto selected = SendMessageA(gatewayList, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

// Removes the gateway at `position` with `remove`, then refills the list and
// selects the same position, or the last one.
static void RemoveListedGateway(HWND gatewayList, HWND lineList, int position, void (*remove)(int position))
{
    if (!IsGatewayPosition(position))
        return;
    remove(position);
    FillGatewayList(gatewayList);
    SendMessageA(lineList, LB_RESETCONTENT, 0, 0);
    int select = position < Gateways.count ? position : Gateways.count - 1;
    SendMessageA(gatewayList, LB_SETCURSEL, select, 0);  // -1: no selection
    NotifyGatewaySelection(gatewayList);
}

INT_PTR CreateGateway(HWND gatewayList, HWND lineList)
{
    HWND window = GetParent(gatewayList);
    int position = AddGatewaySlot();
    if (position < 0) {
        ShowMessageBox(window, "Vous ne pouvez plus créer de passerelle.", "Création passerelle",
                       MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    FillGatewayList(gatewayList);
    SendMessageA(gatewayList, LB_SETCURSEL, position, 0);

    INT_PTR result = RunConfigDialog(window);
    NotifyGatewaySelection(gatewayList);
    if (!result)
        RemoveListedGateway(gatewayList, lineList, position, DropNewGatewayAt);
    return result;
}

void DeleteGateway(HWND gatewayList, HWND lineList)
{
    RemoveListedGateway(gatewayList, lineList, SelectedPosition(gatewayList), RemoveGatewayAt);
}

void ModifyGateway(HWND gatewayList)
{
    int position = SelectedPosition(gatewayList);
    if (IsGatewayPosition(position)) {
        CurrentGateway = position;
        std::string oldName(GatewayNameOf(Gateways.slots[position]));
        RunConfigDialog(GetParent(gatewayList));
        RenameGatewayInJournal(oldName, position);
    }
    InvalidateRect(gatewayList, nullptr, TRUE);
}
