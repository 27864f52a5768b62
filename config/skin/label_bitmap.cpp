#include "skin/label_bitmap.h"

#include <utility>

#include "skin/gdiplus_owners.h"

using namespace skin;

namespace {

BITMAP BitmapInfoOf(HBITMAP bitmap)
{
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0) info = {};
    return info;
}

// The label's text area scaled into (x, y, w, h); with `opacity` also faded and framed.
void DrawLabelArea(HDC dc, const LabelBitmap* label, int x, int y, int w, int h, const int* opacity)
{
    if (label == nullptr || label->empty() || w <= 0 || h <= 0) return;
    const int bitmapWidth = label->width();
    const int bitmapHeight = label->height();
    if (bitmapWidth <= 16 || bitmapHeight <= 16) return;
    UniqueGraphics graphics = GraphicsOn(dc);
    if (!graphics) return;
    Gdiplus::GpBitmap* converted = nullptr;
    if (gp::GdipCreateBitmapFromHBITMAP(label->get(), nullptr, &converted) != Gdiplus::Ok) return;
    UniqueBitmap bitmap(converted);
    UniqueImageAttributes attributes;
    if (opacity != nullptr) attributes = OpacityAttributes(*opacity);

    gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBilinear);
    gp::GdipDrawImageRectRect(graphics.get(), bitmap.get(), static_cast<float>(x), static_cast<float>(y),
                              static_cast<float>(w), static_cast<float>(h), 8.0f, 8.0f,
                              static_cast<float>(bitmapWidth - 16), static_cast<float>(bitmapHeight - 16),
                              Gdiplus::UnitPixel, attributes.get(), nullptr, nullptr);
    if (opacity == nullptr) return;

    gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeDefault);
    Gdiplus::GpPen* rawPen = nullptr;
    if (gp::GdipCreatePen1(0xF2606060, 1.0f, Gdiplus::UnitWorld, &rawPen) != Gdiplus::Ok) return;
    UniquePen pen(rawPen);
    gp::GdipDrawRectangleI(graphics.get(), pen.get(), x - 1, y - 1, w + 1, h + 1);
}

}  // namespace

int LabelBitmap::width() const
{
    return BitmapInfoOf(bitmap_).bmWidth;
}

int LabelBitmap::height() const
{
    return BitmapInfoOf(bitmap_).bmHeight;
}

void LabelBitmap::reset(HBITMAP bitmap)
{
    HBITMAP old = std::exchange(bitmap_, bitmap);
    if (old != nullptr && old != bitmap) DeleteObject(old);
}

HBITMAP LabelBitmap::release()
{
    return std::exchange(bitmap_, nullptr);
}

void DrawLabel(HDC dc, const LabelBitmap* label, int x, int y, int w, int h)
{
    DrawLabelArea(dc, label, x, y, w, h, nullptr);
}

void DrawLabelFramed(HDC dc, const LabelBitmap* label, int x, int y, int w, int h, int opacity)
{
    DrawLabelArea(dc, label, x, y, w, h, &opacity);
}
