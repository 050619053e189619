// The two activity records the server and the console share: the layout of
// ActUser.dat (1000 records of 3 bytes) and ActPass.dat (8 records of 19
// bytes), and the field work on their in-memory images. Every access checks
// the record and line numbers: a number out of range reads 0 and changes
// nothing. Bytes the console does not interpret are never touched.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "gateways/gateway_table.h"

constexpr size_t kUserActivityRecordSize = 3;
constexpr int kUserActivityRecordCount = 1000;
constexpr size_t kUserActivitySize = kUserActivityRecordSize * kUserActivityRecordCount;
static_assert(kUserActivitySize == 3000);

constexpr size_t kGatewayActivityRecordSize = 19;
constexpr int kGatewayActivityRecordCount = 8;
constexpr size_t kGatewayActivitySize = kGatewayActivityRecordSize * kGatewayActivityRecordCount;
static_assert(kGatewayActivitySize == 152);

// Fields of a user record (byte 1 belongs to the server).
constexpr size_t kUserActiveAt = 0;
constexpr size_t kPasswordChangedAt = 2;

// Fields of a gateway record (byte 1 and the byte after each line state
// belong to the server).
constexpr size_t kGatewayActiveAt = 0;
constexpr size_t kConfigChangedAt = 2;
constexpr size_t kFirstLineStateAt = 3;
constexpr size_t kLineStateStride = 2;
static_assert(kFirstLineStateAt + kLineStateStride * (MaxLines - 1) < kGatewayActivityRecordSize);

// Where the state of line k lies in a gateway record.
constexpr size_t LineStateAt(int k)
{
    return kFirstLineStateAt + kLineStateStride * static_cast<size_t>(k);
}

// What the server says a line is doing. The console holds a line by setting
// it to kLineStateUnreachable while it configures the gateway.
enum LineStateValue : uint8_t {
    kLineStateIdle = 0,
    kLineStateUnreachable = 1,
    kLineStateInitialising = 2,
    kLineStateDialling = 3,
    kLineStateInUse = 4,
};

using UserActivityImage = std::array<uint8_t, kUserActivitySize>;
using GatewayActivityImage = std::array<uint8_t, kGatewayActivitySize>;

// Where record i (user) or j (gateway) starts in its file; nothing when the
// number is out of range.
std::optional<size_t> UserActivityRecordAt(int i);
std::optional<size_t> GatewayActivityRecordAt(int j);

// The bytes of one record in the image; empty when the number is out of range.
std::span<const uint8_t> UserRecordBytes(const UserActivityImage& image, int i);
std::span<const uint8_t> GatewayRecordBytes(const GatewayActivityImage& image, int j);

// One byte field of a record (one of the offsets above).
uint8_t GetUserField(const UserActivityImage& image, int i, size_t field);
void SetUserField(UserActivityImage& image, int i, size_t field, uint8_t value);
uint8_t GetGatewayField(const GatewayActivityImage& image, int j, size_t field);
void SetGatewayField(GatewayActivityImage& image, int j, size_t field, uint8_t value);

// The state of line k of gateway j.
uint8_t GetLineState(const GatewayActivityImage& image, int j, int k);
void SetLineState(GatewayActivityImage& image, int j, int k, uint8_t state);

// Holding a gateway's lines while its configuration is edited: every idle
// line of gateway j becomes held, or every held line becomes idle again.
// Each returns whether any line changed.
bool HoldIdleLines(GatewayActivityImage& image, int j);
bool ReleaseHeldLines(GatewayActivityImage& image, int j);
// Every held line of every gateway becomes idle.
bool ReleaseAllHeldLines(GatewayActivityImage& image);

// The Active byte of every record, as the lists of the windows test them.
void CopyUserActiveFlags(const UserActivityImage& image, std::span<int32_t, kUserActivityRecordCount> flags);
void CopyGatewayActiveFlags(const GatewayActivityImage& image,
                            std::span<int32_t, kGatewayActivityRecordCount> flags);
