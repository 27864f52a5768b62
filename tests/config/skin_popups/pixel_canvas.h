// A 32-bit top-down DIB selected into a memory DC: what the primitives draw, read back pixel
// by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "tests/support/bitmap_info.h"

class PixelCanvas {
public:
    PixelCanvas(int width, int height, uint32_t fill) : width_(width), height_(height)
    {
        BITMAPINFO info = rkx::test::TopDownBitmapInfo(width, height);
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~PixelCanvas()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    bool valid() const { return bits_ != nullptr; }
    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void Fill(uint32_t value)
    {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = value;
    }
    // 0x00RRGGBB (alpha byte dropped).
    uint32_t Pixel(int x, int y) const
    {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
};

inline int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

// Every channel within `tolerance` of the expected one.
inline bool NearColour(uint32_t actual, uint32_t expected, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) return false;
    return true;
}
