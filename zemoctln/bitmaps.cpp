// Picture bitmaps of the console: loaded in the current button colours,
// greyed for disabled buttons, drawn with one colour left transparent.
//
// The pictures are drawn in the classic 16-colour palette. Four of its
// colours stand for the button colours of the system and are replaced when a
// picture is loaded:
//   black        (0, 0, 0)       -> COLOR_BTNTEXT
//   dark grey    (128, 128, 128) -> COLOR_BTNSHADOW
//   light grey   (192, 192, 192) -> COLOR_BTNFACE
//   white        (255, 255, 255) -> COLOR_BTNHIGHLIGHT
// Every other colour is kept, magenta (255, 0, 255) in particular, which marks
// the transparent pixels of list markers.
#include "zemoctln/zemoctln.h"

#include <cstddef>
#include <cstdlib>

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
// Larger than any picture of the console; keeps a bad handle from asking for
// an absurd buffer.
constexpr int kMaxSide = 4096;
// Pixels darker than this (on a 0-255 scale) are the lines of a picture; the
// greyed variant keeps only them.
constexpr int kInkLuma = 160;

struct ButtonColours {
    bool valid = false;
    COLORREF text = 0, shadow = 0, face = 0, highlight = 0;
};

// Taken on first use and kept until ZemoSysColorChanged, so that the bitmaps
// of one toolbar never mix two colour schemes.
ButtonColours cachedColours;

const ButtonColours& CurrentColours()
{
    if (!cachedColours.valid) {
        cachedColours.text = GetSysColor(COLOR_BTNTEXT);
        cachedColours.shadow = GetSysColor(COLOR_BTNSHADOW);
        cachedColours.face = GetSysColor(COLOR_BTNFACE);
        cachedColours.highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
        cachedColours.valid = true;
    }
    return cachedColours;
}

// A top-down 32-bit copy of a bitmap; each pixel is 0x00RRGGBB.
class Pixels {
public:
    Pixels() = default;
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
    ~Pixels() { Free(); }

    bool Allocate(int width, int height)
    {
        Free();
        if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
            return false;
        data_ = static_cast<DWORD*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                              static_cast<size_t>(width) * height * sizeof(DWORD)));
        if (!data_)
            return false;
        width_ = width;
        height_ = height;
        return true;
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    DWORD* Data() { return data_; }
    const DWORD* Data() const { return data_; }
    DWORD& At(int x, int y) { return data_[static_cast<size_t>(y) * width_ + x]; }
    DWORD At(int x, int y) const { return data_[static_cast<size_t>(y) * width_ + x]; }
    size_t Count() const { return static_cast<size_t>(width_) * height_; }

private:
    void Free()
    {
        if (data_)
            HeapFree(GetProcessHeap(), 0, data_);
        data_ = nullptr;
        width_ = height_ = 0;
    }
    DWORD* data_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

DWORD PixelOf(COLORREF colour)
{
    return (static_cast<DWORD>(GetRValue(colour)) << 16) | (static_cast<DWORD>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

int LumaOf(DWORD pixel)
{
    int red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
    return (red * 299 + green * 587 + blue * 114) / 1000;
}

BITMAPINFO TopDownHeader(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The bitmap must not be selected into a device context.
bool ReadPixels(HBITMAP bitmap, Pixels& out)
{
    BITMAP header;
    if (!bitmap || GetObjectA(bitmap, sizeof header, &header) != sizeof header)
        return false;
    if (!out.Allocate(header.bmWidth, std::abs(header.bmHeight)))
        return false;
    BITMAPINFO info = TopDownHeader(out.Width(), out.Height());
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, out.Height(), out.Data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines == out.Height();
}

// A new bitmap in the format of the screen, like the ones LoadBitmap gives.
HBITMAP MakeBitmap(const Pixels& pixels)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, pixels.Width(), pixels.Height());
    if (bitmap) {
        BITMAPINFO info = TopDownHeader(pixels.Width(), pixels.Height());
        if (SetDIBits(screen, bitmap, 0, pixels.Height(), pixels.Data(), &info, DIB_RGB_COLORS) != pixels.Height()) {
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
    }
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void MapToButtonColours(Pixels& pixels)
{
    const ButtonColours& colours = CurrentColours();
    const struct {
        DWORD from;
        DWORD to;
    } map[] = {
        {0x000000, PixelOf(colours.text)},
        {0x808080, PixelOf(colours.shadow)},
        {0xC0C0C0, PixelOf(colours.face)},
        {0xFFFFFF, PixelOf(colours.highlight)},
    };
    DWORD* pixel = pixels.Data();
    for (size_t i = 0; i < pixels.Count(); ++i, ++pixel) {
        for (const auto& entry : map) {
            if (*pixel == entry.from) {
                *pixel = entry.to;
                break;
            }
        }
    }
}

bool IsInk(const Pixels& pixels, int x, int y, DWORD face)
{
    if (x < 0 || y < 0 || x >= pixels.Width() || y >= pixels.Height())
        return false;
    DWORD pixel = pixels.At(x, y);
    return pixel != face && pixel != PixelOf(kMagenta) && LumaOf(pixel) < kInkLuma;
}

// The classic disabled look: the lines of the picture in the shadow colour,
// with a highlight copy one pixel down and right, on the button face.
void EmbossInk(const Pixels& source, Pixels& out)
{
    const ButtonColours& colours = CurrentColours();
    DWORD face = PixelOf(colours.face);
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x) {
            DWORD pixel;
            if (IsInk(source, x, y, face))
                pixel = PixelOf(colours.shadow);
            else if (IsInk(source, x - 1, y - 1, face))
                pixel = PixelOf(colours.highlight);
            else if (source.At(x, y) == PixelOf(kMagenta))
                pixel = PixelOf(kMagenta);
            else
                pixel = face;
            out.At(x, y) = pixel;
        }
    }
}

// Holds a memory device context with one bitmap selected, undone on exit.
class MemoryDc {
public:
    MemoryDc(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like))
    {
        if (dc_ && bitmap)
            old_ = SelectObject(dc_, bitmap);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc()
    {
        if (old_)
            SelectObject(dc_, old_);
        if (dc_)
            DeleteDC(dc_);
    }
    bool Ready() const { return dc_ && old_; }
    operator HDC() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

// Draws `image` with its transparent pixels already black, through `mask`
// (1 where transparent): the destination keeps its pixels under the mask.
void BlitThroughMask(HDC dc, int x, int y, int width, int height, HDC mask, HDC image)
{
    COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, width, height, mask, 0, 0, SRCAND);
    BitBlt(dc, x, y, width, height, image, 0, 0, SRCPAINT);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

void DrawWithMask(HDC dc, int x, int y, HBITMAP bitmap, int width, int height, COLORREF transparent)
{
    HBITMAP maskBitmap = CreateBitmap(width, height, 1, 1, nullptr);
    HBITMAP imageBitmap = CreateCompatibleBitmap(dc, width, height);
    if (maskBitmap && imageBitmap) {
        MemoryDc source(dc, bitmap);
        MemoryDc mask(dc, maskBitmap);
        MemoryDc image(dc, imageBitmap);
        if (source.Ready() && mask.Ready() && image.Ready()) {
            // Colour to monochrome: pixels of the background colour become 1.
            SetBkColor(source, transparent);
            BitBlt(mask, 0, 0, width, height, source, 0, 0, SRCCOPY);
            // Monochrome to colour: 1 becomes white, 0 black; "dest and not
            // source" then blackens the transparent pixels of the copy.
            BitBlt(image, 0, 0, width, height, source, 0, 0, SRCCOPY);
            SetBkColor(image, RGB(255, 255, 255));
            SetTextColor(image, RGB(0, 0, 0));
            BitBlt(image, 0, 0, width, height, mask, 0, 0, 0x00220326);
            BlitThroughMask(dc, x, y, width, height, mask, image);
        }
    }
    if (imageBitmap)
        DeleteObject(imageBitmap);
    if (maskBitmap)
        DeleteObject(maskBitmap);
}

}  // namespace

extern "C" {

HBITMAP ZemoLoadBitmap(HINSTANCE module, int resource)
{
    HANDLE loaded = LoadImageA(module, MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!loaded)
        return nullptr;
    HBITMAP bitmap = nullptr;
    Pixels pixels;
    if (ReadPixels(static_cast<HBITMAP>(loaded), pixels)) {
        MapToButtonColours(pixels);
        bitmap = MakeBitmap(pixels);
    }
    DeleteObject(loaded);
    return bitmap;
}

void ZemoSysColorChanged()
{
    cachedColours.valid = false;
}

// The console always passes 1, 1, 0, 0 after the bitmap; they are not needed.
HBITMAP ZemoGreyBitmap(HBITMAP bitmap, int, int, int, int)
{
    Pixels source, greyed;
    if (!ReadPixels(bitmap, source) || !greyed.Allocate(source.Width(), source.Height()))
        return nullptr;
    EmbossInk(source, greyed);
    return MakeBitmap(greyed);
}

void ZemoDrawTransparent(HDC dc, int x, int y, HBITMAP bitmap, COLORREF transparent)
{
    BITMAP header;
    if (!dc || !bitmap || GetObjectA(bitmap, sizeof header, &header) != sizeof header)
        return;
    if (header.bmWidth <= 0 || header.bmHeight == 0)
        return;
    DrawWithMask(dc, x, y, bitmap, header.bmWidth, std::abs(header.bmHeight), transparent);
}

}
