#include "skin/skin_image.h"

#include <cwchar>

#include "skin/gdiplus_owners.h"

using namespace skin;

void DrawCenteredText(HDC dc, const wchar_t* text, int grey, int x, int y, int width, bool useGuiFont)
{
    if (text == nullptr) return;
    Gdiplus::GpFont* font = useGuiFont ? SkinGraphics().GuiTextFont() : SkinGraphics().ArialTextFont();
    if (font == nullptr) return;
    UniqueGraphics graphics = GraphicsOn(dc);
    if (!graphics) return;
    gp::GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAlias);

    const Gdiplus::ARGB g = static_cast<Gdiplus::ARGB>(grey) & 0xFF;
    Gdiplus::GpSolidFill* fill = nullptr;
    if (gp::GdipCreateSolidFill(0xFF000000 | g << 16 | g << 8 | g, &fill) != Gdiplus::Ok) return;
    UniqueBrush brush(fill);

    const INT length = static_cast<INT>(wcslen(text));
    const Gdiplus::RectF empty(0.0f, 0.0f, 0.0f, 0.0f);
    Gdiplus::RectF measured(0.0f, 0.0f, 0.0f, 0.0f);
    gp::GdipMeasureString(graphics.get(), text, length, font, &empty, nullptr, &measured, nullptr,
                          nullptr);
    // An empty layout size neither wraps nor clips: a text wider than `width` starts left of x.
    const Gdiplus::RectF layout(static_cast<float>(x) + (static_cast<float>(width) - measured.Width) * 0.5f,
                                static_cast<float>(y), 0.0f, 0.0f);
    gp::GdipDrawString(graphics.get(), text, length, font, &layout, nullptr, brush.get());
}
