#include "states/activity_image.h"

std::optional<size_t> UserActivityRecordAt(int i)
{
    if (i < 0 || i >= kUserActivityRecordCount)
        return std::nullopt;
    return kUserActivityRecordSize * static_cast<size_t>(i);
}

std::optional<size_t> GatewayActivityRecordAt(int j)
{
    if (j < 0 || j >= kGatewayActivityRecordCount)
        return std::nullopt;
    return kGatewayActivityRecordSize * static_cast<size_t>(j);
}

std::span<const uint8_t> UserRecordBytes(const UserActivityImage& image, int i)
{
    auto at = UserActivityRecordAt(i);
    if (!at)
        return {};
    return std::span<const uint8_t>(image).subspan(*at, kUserActivityRecordSize);
}

std::span<const uint8_t> GatewayRecordBytes(const GatewayActivityImage& image, int j)
{
    auto at = GatewayActivityRecordAt(j);
    if (!at)
        return {};
    return std::span<const uint8_t>(image).subspan(*at, kGatewayActivityRecordSize);
}

uint8_t GetUserField(const UserActivityImage& image, int i, size_t field)
{
    auto at = UserActivityRecordAt(i);
    if (!at || field >= kUserActivityRecordSize)
        return 0;
    return image[*at + field];
}

void SetUserField(UserActivityImage& image, int i, size_t field, uint8_t value)
{
    auto at = UserActivityRecordAt(i);
    if (at && field < kUserActivityRecordSize)
        image[*at + field] = value;
}

uint8_t GetGatewayField(const GatewayActivityImage& image, int j, size_t field)
{
    auto at = GatewayActivityRecordAt(j);
    if (!at || field >= kGatewayActivityRecordSize)
        return 0;
    return image[*at + field];
}

void SetGatewayField(GatewayActivityImage& image, int j, size_t field, uint8_t value)
{
    auto at = GatewayActivityRecordAt(j);
    if (at && field < kGatewayActivityRecordSize)
        image[*at + field] = value;
}

static std::optional<size_t> LineStateField(int k)
{
    if (k < 0 || k >= MaxLines)
        return std::nullopt;
    return kFirstLineStateAt + kLineStateStride * static_cast<size_t>(k);
}

uint8_t GetLineState(const GatewayActivityImage& image, int j, int k)
{
    auto field = LineStateField(k);
    return field ? GetGatewayField(image, j, *field) : 0;
}

void SetLineState(GatewayActivityImage& image, int j, int k, uint8_t state)
{
    if (auto field = LineStateField(k))
        SetGatewayField(image, j, *field, state);
}

// Every line of gateway j in state `from` goes to state `to`.
static bool ChangeLineStates(GatewayActivityImage& image, int j, uint8_t from, uint8_t to)
{
    if (!GatewayActivityRecordAt(j))
        return false;
    bool changed = false;
    for (int k = 0; k < MaxLines; ++k) {
        if (GetLineState(image, j, k) == from) {
            SetLineState(image, j, k, to);
            changed = true;
        }
    }
    return changed;
}

bool HoldIdleLines(GatewayActivityImage& image, int j)
{
    return ChangeLineStates(image, j, kLineStateIdle, kLineStateUnreachable);
}

bool ReleaseHeldLines(GatewayActivityImage& image, int j)
{
    return ChangeLineStates(image, j, kLineStateUnreachable, kLineStateIdle);
}

bool ReleaseAllHeldLines(GatewayActivityImage& image)
{
    bool changed = false;
    for (int j = 0; j < kGatewayActivityRecordCount; ++j)
        changed = ReleaseHeldLines(image, j) || changed;
    return changed;
}

void CopyUserActiveFlags(const UserActivityImage& image, std::span<int32_t, kUserActivityRecordCount> flags)
{
    for (int i = 0; i < kUserActivityRecordCount; ++i)
        flags[i] = GetUserField(image, i, kUserActiveAt);
}

void CopyGatewayActiveFlags(const GatewayActivityImage& image, std::span<int32_t, kGatewayActivityRecordCount> flags)
{
    for (int j = 0; j < kGatewayActivityRecordCount; ++j)
        flags[j] = GetGatewayField(image, j, kGatewayActiveAt);
}
