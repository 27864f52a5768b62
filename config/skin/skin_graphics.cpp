#include "skin/skin_graphics.h"

#include "skin/gdiplus_owners.h"

namespace {

using skin::gp::GdipCreateFont;

// The family of `face`, or the generic sans-serif family when the face does not exist.
skin::UniqueFontFamily FamilyOrSansSerif(const wchar_t* face)
{
    Gdiplus::GpFontFamily* family = nullptr;
    if (face != nullptr && face[0] != L'\0' &&
        skin::gp::GdipCreateFontFamilyFromName(face, nullptr, &family) == Gdiplus::Ok)
        return skin::UniqueFontFamily(family);
    family = nullptr;
    if (skin::gp::GdipGetGenericFontFamilySansSerif(&family) == Gdiplus::Ok)
        return skin::UniqueFontFamily(family);
    return {};
}

Gdiplus::GpFont* MakeTextFont(const wchar_t* face)
{
    skin::UniqueFontFamily family = FamilyOrSansSerif(face);
    if (!family) return nullptr;
    Gdiplus::GpFont* font = nullptr;
    if (GdipCreateFont(family.get(), 12.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel, &font) !=
        Gdiplus::Ok)
        return nullptr;
    return font;
}

}  // namespace

CSkinGraphics::CSkinGraphics()
{
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return;
    token_ = token;

    LOGFONTW gui = {};
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    const wchar_t* guiFace = nullptr;
    if (stock != nullptr && GetObjectW(stock, sizeof gui, &gui) != 0) guiFace = gui.lfFaceName;
    guiTextFont_ = MakeTextFont(guiFace);
    arialTextFont_ = MakeTextFont(L"Arial");
}

CSkinGraphics::~CSkinGraphics()
{
    if (token_ == 0) return;
    if (guiTextFont_ != nullptr) skin::gp::GdipDeleteFont(guiTextFont_);
    if (arialTextFont_ != nullptr) skin::gp::GdipDeleteFont(arialTextFont_);
    Gdiplus::GdiplusShutdown(token_);
}

CSkinGraphics& SkinGraphics()
{
    static CSkinGraphics graphics;
    return graphics;
}

namespace {
// GDI+ starts during static initialisation, before the application object runs.
[[maybe_unused]] CSkinGraphics& g_startedAtLoad = SkinGraphics();
}  // namespace
