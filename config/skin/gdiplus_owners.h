// Owners for the GDI+ flat-API objects the primitives create for one call.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "skin/skin_graphics.h"

namespace skin {

namespace gp = Gdiplus::DllExports;

struct GraphicsDeleter {
    void operator()(Gdiplus::GpGraphics* g) const { gp::GdipDeleteGraphics(g); }
};
struct ImageDeleter {
    void operator()(Gdiplus::GpImage* i) const { gp::GdipDisposeImage(i); }
};
struct ImageAttributesDeleter {
    void operator()(Gdiplus::GpImageAttributes* a) const { gp::GdipDisposeImageAttributes(a); }
};
struct BrushDeleter {
    void operator()(Gdiplus::GpBrush* b) const { gp::GdipDeleteBrush(b); }
};
struct PenDeleter {
    void operator()(Gdiplus::GpPen* p) const { gp::GdipDeletePen(p); }
};
struct FontDeleter {
    void operator()(Gdiplus::GpFont* f) const { gp::GdipDeleteFont(f); }
};
struct FontFamilyDeleter {
    void operator()(Gdiplus::GpFontFamily* f) const { gp::GdipDeleteFontFamily(f); }
};

using UniqueGraphics = std::unique_ptr<Gdiplus::GpGraphics, GraphicsDeleter>;
using UniqueBitmap = std::unique_ptr<Gdiplus::GpBitmap, ImageDeleter>;
using UniqueImageAttributes = std::unique_ptr<Gdiplus::GpImageAttributes, ImageAttributesDeleter>;
using UniqueBrush = std::unique_ptr<Gdiplus::GpBrush, BrushDeleter>;
using UniquePen = std::unique_ptr<Gdiplus::GpPen, PenDeleter>;
using UniqueFont = std::unique_ptr<Gdiplus::GpFont, FontDeleter>;
using UniqueFontFamily = std::unique_ptr<Gdiplus::GpFontFamily, FontFamilyDeleter>;

// A drawing surface on `dc`, or empty.
inline UniqueGraphics GraphicsOn(HDC dc)
{
    Gdiplus::GpGraphics* graphics = nullptr;
    if (!SkinGraphics().started()) return {};
    if (dc == nullptr || gp::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) return {};
    return UniqueGraphics(graphics);
}

// Image attributes whose colour matrix multiplies alpha by opacity / 100.
inline UniqueImageAttributes OpacityAttributes(int opacity)
{
    Gdiplus::GpImageAttributes* attributes = nullptr;
    if (gp::GdipCreateImageAttributes(&attributes) != Gdiplus::Ok) return {};
    UniqueImageAttributes owned(attributes);
    Gdiplus::ColorMatrix matrix = {};
    for (int i = 0; i < 5; ++i) matrix.m[i][i] = 1.0f;
    matrix.m[3][3] = static_cast<float>(opacity / 100.0);
    gp::GdipSetImageAttributesColorMatrix(attributes, Gdiplus::ColorAdjustTypeBitmap, TRUE, &matrix,
                                          nullptr, Gdiplus::ColorMatrixFlagsDefault);
    return owned;
}

}  // namespace skin
