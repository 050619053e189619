// The picture entries of zemoctln.dll, as the console calls them, on the
// console's own picture resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>

#include "resources/resource.h"
#include "tests/wine/test_pixels.h"
#include "zemoctln/zemoctln.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

const int kPictureResources[] = {IDB_TOOL_USERS,     IDB_TOOL_GATEWAYS,  IDB_TOOL_PREFERENCES, IDB_TOOL_QUIT,
                                 IDB_TOOL_HELP,      IDB_GATEWAY_ADD,    IDB_GATEWAY_MODIFY,   IDB_GATEWAY_DELETE,
                                 IDB_GATEWAY_QUIT,   IDB_GATEWAY_HELP,   IDB_ACTIVE_MARK};

HINSTANCE Program()
{
    return GetModuleHandleA(nullptr);
}

// The picture as stored, with no colour replaced.
PixelImage StoredPicture(int resource)
{
    HANDLE bitmap = LoadImageA(Program(), MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    PixelImage image = ReadImage(static_cast<HBITMAP>(bitmap));
    DeleteObject(bitmap);
    return image;
}

PixelImage LoadedPicture(int resource)
{
    HBITMAP bitmap = ZemoLoadBitmap(Program(), resource);
    PixelImage image = ReadImage(bitmap);
    DeleteObject(bitmap);
    return image;
}

// The four button colours of the system, put back as they were after the test.
class ButtonColoursTest : public ::testing::Test {
protected:
    static constexpr int kElements[4] = {COLOR_BTNTEXT, COLOR_BTNSHADOW, COLOR_BTNFACE, COLOR_BTNHIGHLIGHT};

    void SetUp() override
    {
        for (int i = 0; i < 4; ++i)
            saved_[i] = GetSysColor(kElements[i]);
    }
    void TearDown() override
    {
        SetSysColors(4, kElements, saved_);
        ZemoSysColorChanged();
    }
    static void SetButtonColours(const COLORREF (&colours)[4])
    {
        ASSERT_TRUE(SetSysColors(4, kElements, colours));
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(GetSysColor(kElements[i]), colours[i]) << "element " << kElements[i];
    }

private:
    COLORREF saved_[4] = {};
};

TEST_F(ButtonColoursTest, LoadedPicturesFollowTheSystemColoursAndKeepMagenta)
{
    // text, shadow, face, highlight
    const COLORREF schemes[][4] = {
        {RGB(0, 0, 0), RGB(128, 128, 128), RGB(192, 192, 192), RGB(255, 255, 255)},
        {RGB(10, 20, 30), RGB(40, 50, 60), RGB(200, 100, 50), RGB(250, 240, 230)},
        {RGB(255, 255, 0), RGB(0, 0, 128), RGB(0, 0, 0), RGB(0, 255, 255)},
    };
    for (const auto& scheme : schemes) {
        SetButtonColours(scheme);
        ZemoSysColorChanged();
        const std::map<COLORREF, COLORREF> expected = {
            {RGB(0, 0, 0), scheme[0]},
            {RGB(128, 128, 128), scheme[1]},
            {RGB(192, 192, 192), scheme[2]},
            {RGB(255, 255, 255), scheme[3]},
        };
        for (int resource : kPictureResources) {
            SCOPED_TRACE(testing::Message() << "resource " << resource << ", face " << ColourText(scheme[2]));
            PixelImage stored = StoredPicture(resource);
            PixelImage loaded = LoadedPicture(resource);
            ASSERT_FALSE(stored.pixels.empty());
            ASSERT_EQ(loaded.width, stored.width);
            ASSERT_EQ(loaded.height, stored.height);
            std::set<COLORREF> replaced;
            for (int y = 0; y < stored.height; ++y) {
                for (int x = 0; x < stored.width; ++x) {
                    COLORREF original = stored.At(x, y);
                    auto entry = expected.find(original);
                    COLORREF want = entry == expected.end() ? original : entry->second;
                    if (entry != expected.end())
                        replaced.insert(original);
                    ASSERT_EQ(loaded.At(x, y), want) << "pixel " << x << "," << y << " stored as " << ColourText(original)
                                                     << ", loaded as " << ColourText(loaded.At(x, y));
                }
            }
            // Every picture is drawn on light grey or magenta, with black lines.
            EXPECT_TRUE(replaced.count(RGB(0, 0, 0)));
            if (resource == IDB_ACTIVE_MARK)
                EXPECT_EQ(loaded.At(0, 0), kMagenta);
            else
                EXPECT_EQ(loaded.At(0, 0), scheme[2]);
        }
    }
}

TEST_F(ButtonColoursTest, GreyedVariantIsANewEmbossedBitmapAndLeavesTheOriginal)
{
    const COLORREF scheme[4] = {RGB(0, 0, 0), RGB(128, 128, 128), RGB(192, 192, 192), RGB(255, 255, 255)};
    SetButtonColours(scheme);
    ZemoSysColorChanged();
    for (int resource : {IDB_GATEWAY_ADD, IDB_GATEWAY_MODIFY, IDB_GATEWAY_DELETE}) {
        SCOPED_TRACE(testing::Message() << "resource " << resource);
        HBITMAP original = ZemoLoadBitmap(Program(), resource);
        ASSERT_NE(original, nullptr);
        PixelImage before = ReadImage(original);

        HBITMAP greyed = ZemoGreyBitmap(original, 1, 1, 0, 0);
        ASSERT_NE(greyed, nullptr);
        EXPECT_NE(greyed, original);
        EXPECT_EQ(ReadImage(original).pixels, before.pixels) << "the original changed";

        PixelImage grey = ReadImage(greyed);
        ASSERT_EQ(grey.width, before.width);
        ASSERT_EQ(grey.height, before.height);
        int shadows = 0, highlights = 0;
        for (int y = 0; y < grey.height; ++y) {
            for (int x = 0; x < grey.width; ++x) {
                COLORREF pixel = grey.At(x, y);
                ASSERT_TRUE(pixel == scheme[1] || pixel == scheme[2] || pixel == scheme[3])
                    << "pixel " << x << "," << y << " is " << ColourText(pixel);
                if (before.At(x, y) == RGB(0, 0, 0)) {
                    EXPECT_EQ(pixel, scheme[1]) << "black line at " << x << "," << y;
                }
                shadows += pixel == scheme[1];
                highlights += pixel == scheme[3];
            }
        }
        EXPECT_GT(shadows, 0);
        EXPECT_GT(highlights, 0);
        DeleteObject(greyed);
        DeleteObject(original);
    }
}

TEST(ZemoBitmaps, MissingBitmapsGiveNothingAndDrawNothing)
{
    EXPECT_EQ(ZemoGreyBitmap(nullptr, 1, 1, 0, 0), nullptr);
    EXPECT_EQ(ZemoLoadBitmap(GetModuleHandleA(nullptr), 9999), nullptr);
    Canvas canvas(8, 8);
    RECT all{0, 0, 8, 8};
    FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ZemoDrawTransparent(canvas.Dc(), 0, 0, nullptr, kMagenta);
    PixelImage result = canvas.Take();
    for (COLORREF pixel : result.pixels)
        ASSERT_EQ(pixel, RGB(255, 255, 255));
}

// A 6 x 4 picture in which every third pixel is the transparent colour.
PixelImage TestPicture(COLORREF transparent)
{
    const COLORREF opaque[] = {RGB(255, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 128, 0), RGB(254, 0, 255)};
    PixelImage picture{6, 4, {}};
    for (int i = 0; i < 24; ++i)
        picture.pixels.push_back(i % 3 == 0 ? transparent : opaque[i % 5]);
    return picture;
}

// A destination whose every pixel differs from the others.
COLORREF Background(int x, int y)
{
    return RGB(10 * x + 3, 10 * y + 7, 77);
}

void CheckTransparentDraw(const PixelImage& picture, HBITMAP bitmap, int left, int top, COLORREF transparent)
{
    Canvas canvas(16, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
            SetPixel(canvas.Dc(), x, y, Background(x, y));
    SetTextColor(canvas.Dc(), RGB(1, 2, 3));
    SetBkColor(canvas.Dc(), RGB(4, 5, 6));
    ZemoDrawTransparent(canvas.Dc(), left, top, bitmap, transparent);
    EXPECT_EQ(GetTextColor(canvas.Dc()), RGB(1, 2, 3)) << "text colour of the caller's context";
    EXPECT_EQ(GetBkColor(canvas.Dc()), RGB(4, 5, 6)) << "background colour of the caller's context";
    PixelImage result = canvas.Take();
    ASSERT_EQ(result.width, 16);
    int drawn = 0;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            int sx = x - left, sy = y - top;
            bool inside = sx >= 0 && sy >= 0 && sx < picture.width && sy < picture.height;
            COLORREF want = Background(x, y);
            if (inside && picture.At(sx, sy) != transparent) {
                want = picture.At(sx, sy);
                ++drawn;
            }
            ASSERT_EQ(result.At(x, y), want) << "destination " << x << "," << y << " is " << ColourText(result.At(x, y));
        }
    }
    EXPECT_GT(drawn, 0);
}

TEST(ZemoBitmaps, TransparentDrawKeepsTheDestinationUnderTheTransparentColour)
{
    const struct {
        COLORREF transparent;
        int left, top;
    } cases[] = {
        {kMagenta, 5, 3},
        {kMagenta, 0, 0},
        {kMagenta, -2, -1},  // partly off the destination
        {kMagenta, 13, 10},
        {RGB(0, 0, 0), 4, 4},
        {RGB(255, 255, 255), 1, 6},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << ColourText(test.transparent) << " at " << test.left << "," << test.top);
        PixelImage picture = TestPicture(test.transparent);
        HBITMAP bitmap = MakeScreenBitmap(picture);
        ASSERT_EQ(ReadImage(bitmap).pixels, picture.pixels);
        CheckTransparentDraw(picture, bitmap, test.left, test.top, test.transparent);
        DeleteObject(bitmap);
    }
}

TEST(ZemoBitmaps, ActiveMarkDrawsWithoutItsMagentaBackground)
{
    // As the lists do: the mark loaded once with LoadBitmap, drawn with magenta.
    HBITMAP mark = LoadBitmapA(Program(), MAKEINTRESOURCEA(IDB_ACTIVE_MARK));
    ASSERT_NE(mark, nullptr);
    PixelImage picture = ReadImage(mark);
    ASSERT_EQ(picture.width, 16);
    ASSERT_EQ(picture.height, 16);
    ASSERT_EQ(picture.At(0, 0), kMagenta);
    CheckTransparentDraw(picture, mark, 0, -2, kMagenta);
    DeleteObject(mark);
}

// ---- the resources themselves ----

// Offsets in a BITMAPINFOHEADER and in the entries of an icon group.
constexpr size_t kInfoWidth = 4, kInfoHeight = 8, kInfoBitCount = 14;
constexpr size_t kGroupCount = 4, kGroupEntries = 6, kGroupEntrySize = 14, kEntryWidth = 0, kEntryHeight = 1,
                 kEntryBitCount = 6;

const uint8_t* ResourceBytes(int number, const char* type, DWORD& size)
{
    HRSRC found = FindResourceA(Program(), MAKEINTRESOURCEA(number), type);
    size = found ? SizeofResource(Program(), found) : 0;
    return found ? static_cast<const uint8_t*>(LockResource(LoadResource(Program(), found))) : nullptr;
}

int32_t Int32At(const uint8_t* bytes, size_t offset)
{
    int32_t value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
}

uint16_t Word16At(const uint8_t* bytes, size_t offset)
{
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

TEST(ZemoResources, EveryPictureNumberLoadsAs16ColourBitmapOfItsSize)
{
    for (int resource : kPictureResources) {
        SCOPED_TRACE(testing::Message() << "resource " << resource);
        int side = resource == IDB_ACTIVE_MARK ? 16 : 32;
        DWORD size;
        const uint8_t* info = ResourceBytes(resource, MAKEINTRESOURCEA(2) /* RT_BITMAP */, size);
        ASSERT_NE(info, nullptr);
        ASSERT_GE(size, 40u + 16 * 4);
        EXPECT_EQ(Int32At(info, kInfoWidth), side);
        EXPECT_EQ(Int32At(info, kInfoHeight), side);
        EXPECT_EQ(Word16At(info, kInfoBitCount), 4);

        HBITMAP bitmap = ZemoLoadBitmap(Program(), resource);
        ASSERT_NE(bitmap, nullptr);
        BITMAP header{};
        ASSERT_TRUE(GetObjectA(bitmap, sizeof header, &header));
        EXPECT_EQ(header.bmWidth, side);
        EXPECT_EQ(header.bmHeight, side);
        DeleteObject(bitmap);
    }
}

TEST(ZemoResources, IconHolds32And16PixelImagesAndCursorIsAMonochromePointer)
{
    DWORD size;
    const uint8_t* group = ResourceBytes(IDI_ADMIN, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, size);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(Word16At(group, kGroupCount), 2);
    ASSERT_GE(size, kGroupEntries + 2 * kGroupEntrySize);
    std::set<int> sides;
    for (int i = 0; i < 2; ++i) {
        const uint8_t* entry = group + kGroupEntries + i * kGroupEntrySize;
        EXPECT_EQ(entry[kEntryWidth], entry[kEntryHeight]);
        EXPECT_EQ(Word16At(entry, kEntryBitCount), 4);
        sides.insert(entry[kEntryWidth]);
    }
    EXPECT_EQ(sides, (std::set<int>{16, 32}));
    for (int side : {32, 16}) {
        HANDLE icon = LoadImageA(Program(), MAKEINTRESOURCEA(IDI_ADMIN), IMAGE_ICON, side, side, 0);
        EXPECT_NE(icon, nullptr) << side;
        DestroyIcon(static_cast<HICON>(icon));
    }

    HCURSOR cursor = LoadCursorA(Program(), MAKEINTRESOURCEA(IDC_PICTURE_BUTTON));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.hbmColor, nullptr) << "a monochrome cursor has only its mask";
    // The finger tip, at the top of the picture, is the hot spot.
    EXPECT_LT(info.yHotspot, 3u);
    EXPECT_GT(info.xHotspot, 4u);
    EXPECT_LT(info.xHotspot, 28u);
    if (info.hbmMask) {
        BITMAP mask{};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, 32);
        EXPECT_EQ(mask.bmHeight, 64);
        DeleteObject(info.hbmMask);
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
}

}  // namespace
