// Skin images: PNG resources of type "IMAGE" decoded with GDI+, and the stateless primitives
// that put them, a veil or a centred text onto a device context. A null image draws nothing.
#pragma once

#include <windows.h>

#include <memory>

namespace Gdiplus {
class GpBitmap;
}

class SkinImage {
public:
    // Takes ownership of a decoded bitmap; null makes an empty image.
    explicit SkinImage(Gdiplus::GpBitmap* bitmap);
    ~SkinImage();
    SkinImage(const SkinImage&) = delete;
    SkinImage& operator=(const SkinImage&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return bitmap_ == nullptr; }
    Gdiplus::GpBitmap* native() const { return bitmap_; }

private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// The resource `name` (case-insensitive) of type "IMAGE" in `module`, decoded. nullptr when the
// resource is missing or cannot be read; an empty image when its data does not decode.
std::unique_ptr<SkinImage> LoadSkinImage(HMODULE module, const wchar_t* name);

// Natural size, top-left at (x, y).
void DrawSkinImage(HDC dc, const SkinImage* image, int x, int y);
// Natural size with every pixel's alpha multiplied by opacity / 100.
void DrawSkinImageFaded(HDC dc, const SkinImage* image, int x, int y, int opacity);
// Scaled into (x, y, w, h) from the source (0, 0, width - 1, height).
void DrawSkinImageStretched(HDC dc, const SkinImage* image, int x, int y, int w, int h);
// Natural width, height h; source (0, 0, width, height - 1).
void DrawSkinImageStretchedV(HDC dc, const SkinImage* image, int x, int y, int h);
// Natural height, width w; source (0, 0, width - 1, height).
void DrawSkinImageStretchedH(HDC dc, const SkinImage* image, int x, int y, int w);
void DrawSkinImageStretchedHFaded(HDC dc, const SkinImage* image, int x, int y, int w, int opacity);

// The text once, centred in [x, x + width), top at y, opaque grey (g, g, g) from the low byte
// of `grey`; the GUI font when useGuiFont, else the Arial font (12 pixels each).
void DrawCenteredText(HDC dc, const wchar_t* text, int grey, int x, int y, int width, bool useGuiFont);

// Greys out (x, y, w, h): light grey E8E8E8 at alpha 0xCC.
void FillVeil(HDC dc, int x, int y, int w, int h);
