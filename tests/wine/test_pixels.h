// Pixels for the Wine tests that check drawing: bitmaps read back as COLORREF
// values, row by row from the top, and canvases that drawing code draws on.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The bitmap must not be selected into a device context.
inline PixelImage ReadImage(HBITMAP bitmap)
{
    PixelImage image;
    BITMAP header{};
    if (!bitmap || !GetObjectA(bitmap, sizeof header, &header))
        return image;
    image.width = header.bmWidth;
    image.height = header.bmHeight < 0 ? -header.bmHeight : header.bmHeight;
    std::vector<DWORD> raw(static_cast<size_t>(image.width) * image.height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, image.height, raw.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != image.height)
        return PixelImage{};
    for (DWORD pixel : raw)
        image.pixels.push_back(RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF));
    return image;
}

// A bitmap in the screen's format holding `image`.
inline HBITMAP MakeScreenBitmap(const PixelImage& image)
{
    std::vector<DWORD> raw;
    for (COLORREF colour : image.pixels)
        raw.push_back((GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, image.width, image.height);
    SetDIBits(screen, bitmap, 0, image.height, raw.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// A memory device context drawing into a new screen-format bitmap, filled
// with `paper` at first. Take() releases the bitmap from the context and
// returns its pixels.
class Canvas {
public:
    Canvas(int width, int height, COLORREF paper = RGB(255, 255, 255)) : width_(width), height_(height)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(paper);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        Release();
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // The number of pixels that are not `colour`.
    int CountOtherThan(COLORREF colour) const
    {
        int n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                n += At(x, y) != colour;
        return n;
    }
    PixelImage Take()
    {
        Release();
        return ReadImage(bitmap_);
    }

private:
    void Release()
    {
        if (old_)
            SelectObject(dc_, old_);
        old_ = nullptr;
    }
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

inline std::string ColourText(COLORREF colour)
{
    char text[32];
    wsprintfA(text, "RGB(%d,%d,%d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}
