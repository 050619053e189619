#include "states/activity_files.h"

#include <span>
#include <string>

#include "base/file_io.h"
#include "base/program_dir.h"

UserActivityImage UserActivity{};
GatewayActivityImage GatewayActivity{};
std::array<int32_t, kUserActivityRecordCount> UserActiveFlags{};
std::array<int32_t, kGatewayActivityRecordCount> GatewayActiveFlags{};

static std::string UserActivityPath()
{
    return ProgramPath("\\ActUser.dat");
}

static std::string GatewayActivityPath()
{
    return ProgramPath("\\ActPass.dat");
}

// Reads from the start of the file over the image; what the file does not
// hold keeps its old bytes, and a file that cannot be opened changes nothing.
static void ReadIntoImage(const std::string& path, std::span<uint8_t> image)
{
    ReadFileAt(path, 0, image);
}

void ReadActivityFiles()
{
    ReadIntoImage(UserActivityPath(), UserActivity);
    ReadIntoImage(GatewayActivityPath(), GatewayActivity);
    CopyGatewayActiveFlags(GatewayActivity, GatewayActiveFlags);
    CopyUserActiveFlags(UserActivity, UserActiveFlags);
}

void LoadUserActivity()
{
    ReadIntoImage(UserActivityPath(), UserActivity);
    CopyUserActiveFlags(UserActivity, UserActiveFlags);
}

void WriteUserActivityRecord(int i)
{
    auto at = UserActivityRecordAt(i);
    if (at)
        WriteFileAt(UserActivityPath(), *at, UserRecordBytes(UserActivity, i));
}

void ClearPasswordChanged(int i)
{
    auto at = UserActivityRecordAt(i);
    if (!at)
        return;
    SetUserField(UserActivity, i, kPasswordChangedAt, 0);
    const uint8_t zero[1] = {0};
    WriteFileAt(UserActivityPath(), *at + kPasswordChangedAt, zero);
}

void ClearUserActive(int i)
{
    auto at = UserActivityRecordAt(i);
    if (!at)
        return;
    SetUserField(UserActivity, i, kUserActiveAt, 0);
    const uint8_t zero[1] = {0};
    WriteFileAt(UserActivityPath(), *at + kUserActiveAt, zero);
}

void ClearGatewayActive(int j)
{
    auto at = GatewayActivityRecordAt(j);
    if (!at)
        return;
    SetGatewayField(GatewayActivity, j, kGatewayActiveAt, 0);
    const uint8_t zero[1] = {0};
    WriteFileAt(GatewayActivityPath(), *at + kGatewayActiveAt, zero);
}

void WriteGatewayActivity(int j)
{
    if (j == -1) {
        // In place, not by replacing the file: the server keeps it open.
        WriteFileAt(GatewayActivityPath(), 0, GatewayActivity);
        return;
    }
    auto at = GatewayActivityRecordAt(j);
    if (at)
        WriteFileAt(GatewayActivityPath(), *at, GatewayRecordBytes(GatewayActivity, j));
}

bool ReleaseHeldLines()
{
    if (!ReleaseAllHeldLines(GatewayActivity))
        return false;
    WriteGatewayActivity(-1);
    return true;
}

bool UserActive(int i)
{
    return GetUserField(UserActivity, i, kUserActiveAt) != 0;
}

void SetUserActive(int i, bool active)
{
    SetUserField(UserActivity, i, kUserActiveAt, active ? 1 : 0);
}

bool PasswordChanged(int i)
{
    return GetUserField(UserActivity, i, kPasswordChangedAt) != 0;
}

bool GatewayActive(int j)
{
    return GetGatewayField(GatewayActivity, j, kGatewayActiveAt) != 0;
}

void SetGatewayActive(int j, bool active)
{
    SetGatewayField(GatewayActivity, j, kGatewayActiveAt, active ? 1 : 0);
}

bool ConfigChanged(int j)
{
    return GetGatewayField(GatewayActivity, j, kConfigChangedAt) != 0;
}

void SetConfigChanged(int j, bool changed)
{
    SetGatewayField(GatewayActivity, j, kConfigChangedAt, changed ? 1 : 0);
}

int LineState(int gateway, int line)
{
    return GetLineState(GatewayActivity, gateway, line);
}

void SetLineState(int gateway, int line, int state)
{
    if (state >= 0 && state <= 255)
        SetLineState(GatewayActivity, gateway, line, static_cast<uint8_t>(state));
}
