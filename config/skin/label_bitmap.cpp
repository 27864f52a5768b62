#include "skin/label_bitmap.h"

#include <utility>

#include "skin/gdi_owners.h"
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
    DropScaled();
    HBITMAP old = std::exchange(bitmap_, bitmap);
    if (old != nullptr && old != bitmap) DeleteObject(old);
}

HBITMAP LabelBitmap::release()
{
    DropScaled();
    return std::exchange(bitmap_, nullptr);
}

void LabelBitmap::KeepScaled(HBITMAP scaled, int w, int h) const
{
    DropScaled();
    scaled_ = scaled;
    scaledW_ = w;
    scaledH_ = h;
}

void LabelBitmap::DropScaled() const
{
    if (scaled_ != nullptr) DeleteObject(scaled_);
    scaled_ = nullptr;
    scaledW_ = scaledH_ = 0;
}

void DrawLabel(HDC dc, const LabelBitmap* label, int x, int y, int w, int h)
{
    if (label == nullptr || label->empty() || w <= 0 || h <= 0) return;
    if (label->width() <= 16 || label->height() <= 16) return;
    MemoryDc scaledDc(dc);
    if (scaledDc.get() == nullptr) return;
    HBITMAP scaled = label->ScaledAt(w, h);
    if (scaled == nullptr) {
        // Scaled once over what lies beneath, so the pixels match a direct draw exactly.
        GdiObject<HBITMAP> pixels(CreateCompatibleBitmap(dc, w, h));
        if (pixels.get() == nullptr) {
            DrawLabelArea(dc, label, x, y, w, h, nullptr);
            return;
        }
        {
            SelectedObject selected(scaledDc.get(), pixels.get());
            BitBlt(scaledDc.get(), 0, 0, w, h, dc, x, y, SRCCOPY);
            DrawLabelArea(scaledDc.get(), label, 0, 0, w, h, nullptr);
        }
        scaled = pixels.get();
        label->KeepScaled(pixels.release(), w, h);
    }
    SelectedObject selected(scaledDc.get(), scaled);
    BitBlt(dc, x, y, w, h, scaledDc.get(), 0, 0, SRCCOPY);
}

void DrawLabelFramed(HDC dc, const LabelBitmap* label, int x, int y, int w, int h, int opacity)
{
    DrawLabelArea(dc, label, x, y, w, h, &opacity);
}
