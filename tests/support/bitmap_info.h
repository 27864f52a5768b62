// The layout every pixel check reads: 32 bits a pixel (0x00RRGGBB once the top byte is masked),
// rows top to bottom.
#pragma once

#include <windows.h>

namespace rkx::test {

inline BITMAPINFO TopDownBitmapInfo(int width, int height)
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

}  // namespace rkx::test
