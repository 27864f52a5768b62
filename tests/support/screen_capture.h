// Pixels of the screen, as the X server shows them, for checks of what the utility drew.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace rkx::test {

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Capture& other) const = default;
};

// The rectangle (x, y, w, h) of the window's client area.
Capture CaptureClient(HWND window, int x, int y, int w, int h);
// Saves a capture as a 24-bit BMP (for a look when a test fails).
bool SaveBitmap(const Capture& capture, const wchar_t* path);

}  // namespace rkx::test
