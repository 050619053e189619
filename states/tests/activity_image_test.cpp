#include "states/activity_image.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "tests/fixtures/byte_fixture.h"

namespace {

using byte_fixture::ChangedBytes;

template <size_t N>
std::array<uint8_t, N> Pattern()
{
    std::array<uint8_t, N> image;
    for (size_t n = 0; n < N; ++n)
        image[n] = static_cast<uint8_t>(n * 7 + 3);
    return image;
}

}  // namespace

TEST(ActivityImage, EachUserFieldIsOneByteAtItsFileOffset)
{
    struct Case {
        const char* name;
        int record;
        size_t field;
        size_t fileOffset;
    } cases[] = {
        {"Active of user 0", 0, kUserActiveAt, 0},
        {"PasswordChanged of user 0", 0, kPasswordChangedAt, 2},
        {"PasswordChanged of user 5", 5, kPasswordChangedAt, 17},
        {"Active of user 999", 999, kUserActiveAt, 2997},
        {"PasswordChanged of user 999", 999, kPasswordChangedAt, 2999},
    };
    for (const auto& c : cases) {
        UserActivityImage before{}, image{};
        SetUserField(image, c.record, c.field, 0xA5);
        EXPECT_EQ(ChangedBytes(before, image), std::vector<size_t>{c.fileOffset}) << c.name;
        EXPECT_EQ(GetUserField(image, c.record, c.field), 0xA5) << c.name;
    }
}

TEST(ActivityImage, EachGatewayFieldIsOneByteAtItsFileOffset)
{
    struct Case {
        const char* name;
        std::function<void(GatewayActivityImage&)> set;
        std::function<uint8_t(const GatewayActivityImage&)> get;
        size_t fileOffset;
    } cases[] = {
        {"Active of gateway 0", [](auto& g) { SetGatewayField(g, 0, kGatewayActiveAt, 0xA5); },
         [](const auto& g) { return GetGatewayField(g, 0, kGatewayActiveAt); }, 0},
        {"ConfigChanged of gateway 7", [](auto& g) { SetGatewayField(g, 7, kConfigChangedAt, 0xA5); },
         [](const auto& g) { return GetGatewayField(g, 7, kConfigChangedAt); }, 135},
        {"line 0 of gateway 0", [](auto& g) { SetLineState(g, 0, 0, 0xA5); },
         [](const auto& g) { return GetLineState(g, 0, 0); }, 3},
        {"line 7 of gateway 0", [](auto& g) { SetLineState(g, 0, 7, 0xA5); },
         [](const auto& g) { return GetLineState(g, 0, 7); }, 17},
        {"line 3 of gateway 2", [](auto& g) { SetLineState(g, 2, 3, 0xA5); },
         [](const auto& g) { return GetLineState(g, 2, 3); }, 47},
        {"line 0 of gateway 7", [](auto& g) { SetLineState(g, 7, 0, 0xA5); },
         [](const auto& g) { return GetLineState(g, 7, 0); }, 136},
        {"line 7 of gateway 7", [](auto& g) { SetLineState(g, 7, 7, 0xA5); },
         [](const auto& g) { return GetLineState(g, 7, 7); }, 150},
    };
    for (const auto& c : cases) {
        GatewayActivityImage before{}, image{};
        c.set(image);
        EXPECT_EQ(ChangedBytes(before, image), std::vector<size_t>{c.fileOffset}) << c.name;
        EXPECT_EQ(c.get(image), 0xA5) << c.name;
    }
}

TEST(ActivityImage, RecordBytesAreTheRecordsSlice)
{
    auto users = Pattern<3000>();
    auto span = UserRecordBytes(users, 5);
    ASSERT_EQ(span.size(), 3u);
    EXPECT_EQ(span.data(), users.data() + 15);
    EXPECT_EQ(UserActivityRecordAt(999), 2997u);

    auto gateways = Pattern<152>();
    auto record = GatewayRecordBytes(gateways, 7);
    ASSERT_EQ(record.size(), 19u);
    EXPECT_EQ(record.data(), gateways.data() + 133);
    EXPECT_EQ(GatewayActivityRecordAt(1), 19u);
}

TEST(ActivityImage, NumbersOutOfRangeReadZeroAndChangeNothing)
{
    const auto users = Pattern<3000>();
    for (int i : {-1, 1000, 1001, INT_MIN, INT_MAX}) {
        auto image = users;
        SetUserField(image, i, kUserActiveAt, 0);
        SetUserField(image, i, kPasswordChangedAt, 0);
        EXPECT_EQ(image, users) << i;
        EXPECT_EQ(GetUserField(image, i, kUserActiveAt), 0) << i;
        EXPECT_TRUE(UserRecordBytes(image, i).empty()) << i;
        EXPECT_FALSE(UserActivityRecordAt(i).has_value()) << i;
    }
    auto image = users;
    SetUserField(image, 0, 3, 0);  // a field past the record would be the next record
    EXPECT_EQ(image, users);

    const auto gateways = Pattern<152>();
    struct Case { int gateway, line; } cases[] = {{-1, 0}, {8, 0}, {INT_MAX, 0}, {0, -1}, {0, 8}, {7, INT_MIN}};
    for (const auto& c : cases) {
        auto g = gateways;
        SetLineState(g, c.gateway, c.line, 0);
        EXPECT_EQ(g, gateways) << c.gateway << "/" << c.line;
        EXPECT_EQ(GetLineState(g, c.gateway, c.line), 0) << c.gateway << "/" << c.line;
    }
    for (int j : {-1, 8, INT_MIN, INT_MAX}) {
        GatewayActivityImage g;
        g.fill(1);  // every line held, so that any release would show
        const auto held = g;
        SetGatewayField(g, j, kConfigChangedAt, 0);
        EXPECT_FALSE(ReleaseHeldLines(g, j)) << j;
        EXPECT_EQ(g, held) << j;
        EXPECT_EQ(GetGatewayField(g, j, kGatewayActiveAt), 0) << j;
        g.fill(0);
        const auto idle = g;
        EXPECT_FALSE(HoldIdleLines(g, j)) << j;
        EXPECT_EQ(g, idle) << j;
        EXPECT_FALSE(GatewayRecordBytes(held, j).size()) << j;
    }
    auto g = gateways;
    SetGatewayField(g, 7, 19, 0);
    EXPECT_EQ(g, gateways);
}

namespace {

// A gateway record as the server might leave it: the kept bytes are set so
// that any change to them shows.
GatewayActivityImage GatewayWithLines(int j, std::array<uint8_t, 8> states)
{
    GatewayActivityImage image;
    image.fill(0xEE);
    size_t at = 19 * j;
    image[at + 0] = 1;  // Active
    image[at + 2] = 0;  // ConfigChanged
    for (size_t k = 0; k < 8; ++k)
        image[at + 3 + 2 * k] = states[k];
    return image;
}

std::array<uint8_t, 8> LineStatesOf(const GatewayActivityImage& image, int j)
{
    std::array<uint8_t, 8> states;
    for (size_t k = 0; k < 8; ++k)
        states[k] = image[19 * j + 3 + 2 * k];
    return states;
}

}  // namespace

TEST(ActivityImage, HoldingAndReleasingTouchOnlyTheGatewaysLineStates)
{
    struct Case {
        const char* name;
        int gateway;
        bool hold;
        std::array<uint8_t, 8> before, after;
        bool changed;
    } cases[] = {
        {"release 1,2,1", 2, false, {1, 2, 1, 0, 0, 0, 0, 0}, {0, 2, 0, 0, 0, 0, 0, 0}, true},
        {"release none held", 2, false, {0, 2, 3, 4, 0, 5, 0, 0}, {0, 2, 3, 4, 0, 5, 0, 0}, false},
        {"release last gateway", 7, false, {4, 1, 1, 1, 1, 1, 1, 1}, {4, 0, 0, 0, 0, 0, 0, 0}, true},
        {"hold idle lines", 0, true, {0, 2, 0, 3, 4, 0, 1, 0}, {1, 2, 1, 3, 4, 1, 1, 1}, true},
        {"hold with no idle line", 5, true, {2, 3, 4, 1, 2, 3, 4, 1}, {2, 3, 4, 1, 2, 3, 4, 1}, false},
    };
    for (const auto& c : cases) {
        auto image = GatewayWithLines(c.gateway, c.before);
        bool changed = c.hold ? HoldIdleLines(image, c.gateway) : ReleaseHeldLines(image, c.gateway);
        EXPECT_EQ(changed, c.changed) << c.name;
        EXPECT_EQ(LineStatesOf(image, c.gateway), c.after) << c.name;
        auto expected = GatewayWithLines(c.gateway, c.after);
        EXPECT_EQ(ChangedBytes(expected, image), std::vector<size_t>{}) << c.name;
    }
}

TEST(ActivityImage, ReleasingAllHeldLinesGoesThroughEveryGateway)
{
    auto image = GatewayWithLines(0, {1, 2, 1, 0, 0, 0, 0, 0});
    for (size_t k = 0; k < 8; ++k)
        image[19 * 7 + 3 + 2 * k] = k == 7 ? 1 : 3;
    EXPECT_TRUE(ReleaseAllHeldLines(image));
    EXPECT_EQ(LineStatesOf(image, 0), (std::array<uint8_t, 8>{0, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(LineStatesOf(image, 7), (std::array<uint8_t, 8>{3, 3, 3, 3, 3, 3, 3, 0}));

    auto released = image;
    EXPECT_FALSE(ReleaseAllHeldLines(image));
    EXPECT_EQ(image, released);
}

TEST(ActivityImage, FlagsCopyTheActiveByteOfEveryRecord)
{
    UserActivityImage users;
    users.fill(0x77);  // the other bytes of each record must not leak into the flags
    users[0] = 0;
    users[3 * 4] = 1;
    users[3 * 999] = 0xFF;
    std::array<int32_t, 1000> userFlags;
    userFlags.fill(-5);
    CopyUserActiveFlags(users, userFlags);
    EXPECT_EQ(userFlags[0], 0);
    EXPECT_EQ(userFlags[4], 1);
    EXPECT_EQ(userFlags[5], 0x77);
    EXPECT_EQ(userFlags[999], 255);

    GatewayActivityImage gateways;
    gateways.fill(0);
    gateways[19 * 3] = 2;
    gateways[19 * 3 + 1] = 9;
    gateways[19 * 7] = 0x80;
    std::array<int32_t, 8> gatewayFlags;
    gatewayFlags.fill(1);
    CopyGatewayActiveFlags(gateways, gatewayFlags);
    EXPECT_EQ(gatewayFlags, (std::array<int32_t, 8>{0, 0, 0, 2, 0, 0, 0, 128}));
}
