#include "skin/skin_image.h"

#include "skin/gdiplus_owners.h"

namespace {

using namespace skin;

enum class Stretch { None, Horizontal, Vertical };

// Scaled drawing of the source rectangle (sx, sy, sw, sh) into (x, y, w, h), optionally faded.
// A stretched part (a middle piece, uniform along the stretch) would show a dark seam at its
// first column or row: the filter takes in pixels outside the part, and a destination pixel
// whose source point falls a rounding error before the part is left out. So the part mirrors
// its own edge pixels, and it is drawn one pixel longer before its start with that pixel
// clipped off.
void DrawImagePart(HDC dc, const SkinImage* image, int x, int y, int w, int h, int sx, int sy,
                   int sw, int sh, const int* opacity, Stretch stretch)
{
    if (image == nullptr || image->empty() || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    UniqueGraphics graphics = GraphicsOn(dc);
    if (!graphics) return;
    UniqueImageAttributes attributes;
    if (opacity != nullptr) {
        attributes = OpacityAttributes(*opacity);
        if (!attributes) return;
    }
    if (stretch != Stretch::None) {
        if (!attributes) {
            Gdiplus::GpImageAttributes* created = nullptr;
            if (gp::GdipCreateImageAttributes(&created) != Gdiplus::Ok) return;
            attributes.reset(created);
        }
        gp::GdipSetImageAttributesWrapMode(attributes.get(), Gdiplus::WrapModeTileFlipXY, 0, FALSE);
        gp::GdipSetClipRectI(graphics.get(), x, y, w, h, Gdiplus::CombineModeReplace);
        if (stretch == Stretch::Horizontal) --x, ++w;
        if (stretch == Stretch::Vertical) --y, ++h;
    }
    gp::GdipDrawImageRectRect(graphics.get(), image->native(), static_cast<float>(x),
                              static_cast<float>(y), static_cast<float>(w), static_cast<float>(h),
                              static_cast<float>(sx), static_cast<float>(sy), static_cast<float>(sw),
                              static_cast<float>(sh), Gdiplus::UnitPixel, attributes.get(), nullptr,
                              nullptr);
}

}  // namespace

void DrawSkinImage(HDC dc, const SkinImage* image, int x, int y)
{
    if (image == nullptr || image->empty()) return;
    UniqueGraphics graphics = GraphicsOn(dc);
    if (!graphics) return;
    gp::GdipDrawImageRectI(graphics.get(), image->native(), x, y, image->width(), image->height());
}

void DrawSkinImageFaded(HDC dc, const SkinImage* image, int x, int y, int opacity)
{
    if (image == nullptr) return;
    DrawImagePart(dc, image, x, y, image->width(), image->height(), 0, 0, image->width(),
                  image->height(), &opacity, Stretch::None);
}

void DrawSkinImageStretched(HDC dc, const SkinImage* image, int x, int y, int w, int h)
{
    if (image == nullptr) return;
    DrawImagePart(dc, image, x, y, w, h, 0, 0, image->width() - 1, image->height(), nullptr, Stretch::Horizontal);
}

void DrawSkinImageStretchedV(HDC dc, const SkinImage* image, int x, int y, int h)
{
    if (image == nullptr) return;
    DrawImagePart(dc, image, x, y, image->width(), h, 0, 0, image->width(), image->height() - 1,
                  nullptr, Stretch::Vertical);
}

void DrawSkinImageStretchedH(HDC dc, const SkinImage* image, int x, int y, int w)
{
    if (image == nullptr) return;
    DrawImagePart(dc, image, x, y, w, image->height(), 0, 0, image->width() - 1, image->height(),
                  nullptr, Stretch::Horizontal);
}

void DrawSkinImageStretchedHFaded(HDC dc, const SkinImage* image, int x, int y, int w, int opacity)
{
    if (image == nullptr) return;
    DrawImagePart(dc, image, x, y, w, image->height(), 0, 0, image->width() - 1, image->height(),
                  &opacity, Stretch::Horizontal);
}

void FillVeil(HDC dc, int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0) return;
    UniqueGraphics graphics = GraphicsOn(dc);
    if (!graphics) return;
    Gdiplus::GpSolidFill* fill = nullptr;
    if (gp::GdipCreateSolidFill(0xCCE8E8E8, &fill) != Gdiplus::Ok) return;
    UniqueBrush brush(fill);
    gp::GdipFillRectangleI(graphics.get(), brush.get(), x, y, w, h);
}
