#include "tests/support/screen_capture.h"
#include "tests/support/bitmap_info.h"

#include <cstdio>

namespace rkx::test {

Capture CaptureClient(HWND window, int x, int y, int w, int h)
{
    Capture capture;
    POINT origin{x, y};
    if (!ClientToScreen(window, &origin)) return capture;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = rkx::test::TopDownBitmapInfo(w, h);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr && memory != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        capture.width = w;
        capture.height = h;
        const auto* source = static_cast<const uint32_t*>(bits);
        capture.pixels.assign(source, source + static_cast<size_t>(w) * h);
        for (uint32_t& pixel : capture.pixels) pixel &= 0xFFFFFF;
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

bool SaveBitmap(const Capture& capture, const wchar_t* path)
{
    FILE* file = _wfopen(path, L"wb");
    if (file == nullptr) return false;
    const int rowBytes = (capture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER info{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + rowBytes * capture.height;
    info.biSize = sizeof info;
    info.biWidth = capture.width;
    info.biHeight = capture.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    fwrite(&header, sizeof header, 1, file);
    fwrite(&info, sizeof info, 1, file);
    std::vector<unsigned char> row(rowBytes);
    for (int y = capture.height - 1; y >= 0; --y) {
        for (int x = 0; x < capture.width; ++x) {
            const uint32_t pixel = capture.at(x, y);
            row[x * 3] = pixel & 0xFF;
            row[x * 3 + 1] = (pixel >> 8) & 0xFF;
            row[x * 3 + 2] = (pixel >> 16) & 0xFF;
        }
        fwrite(row.data(), 1, row.size(), file);
    }
    fclose(file);
    return true;
}

}  // namespace rkx::test
