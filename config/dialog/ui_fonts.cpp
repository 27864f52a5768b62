#include "dialog/ui_fonts.h"

#include "app/ui_language.h"

#include <cwchar>

namespace config {
namespace {

struct FaceSearch {
    const wchar_t* face;
    bool found;
};

int CALLBACK NoteFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context)
{
    auto* search = reinterpret_cast<FaceSearch*>(context);
    if (std::wcscmp(font->lfFaceName, search->face) != 0) return 1;
    search->found = true;
    return 0;
}

// A family of exactly that name among all installed ones; a face that only exists as a
// substitute does not count.
bool FaceInstalled(const std::wstring& face)
{
    FaceSearch search{face.c_str(), false};
    LOGFONTW any{};
    any.lfCharSet = DEFAULT_CHARSET;
    const skin::WindowDc screen(nullptr);
    EnumFontFamiliesExW(screen.get(), &any, NoteFace, reinterpret_cast<LPARAM>(&search), 0);
    return search.found;
}

std::wstring StockGuiFace()
{
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    return gui.lfFaceName;
}

// Heights are character heights (negative arguments to CreateFontW).
HFONT MakeFont(int height, int weight, const wchar_t* face)
{
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

}  // namespace

UiFonts MakeUiFonts(DWORD installLanguage, const std::wstring& preferredFace)
{
    UiFonts fonts;
    const std::wstring wanted = preferredFace.empty() ? L"Arial" : preferredFace;
    fonts.face = FaceInstalled(wanted) ? wanted : StockGuiFace();
    const int weight = UsesBoldUiFonts(installLanguage) ? FW_BOLD : FW_NORMAL;
    fonts.arial12.reset(MakeFont(12, FW_NORMAL, L"Arial"));
    fonts.label48.reset(MakeFont(48, FW_NORMAL, L"Arial"));
    fonts.message48.reset(MakeFont(48, weight, fonts.face.c_str()));
    fonts.button52.reset(MakeFont(52, weight, fonts.face.c_str()));
    return fonts;
}

}  // namespace config
