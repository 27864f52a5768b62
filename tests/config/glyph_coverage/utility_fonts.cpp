#include "tests/config/glyph_coverage/utility_fonts.h"

#include "app/ui_language.h"
#include "app/ui_strings.h"
#include "config/strings/string_ids.h"

#include <cwchar>

namespace glyph_test {
namespace {

struct FaceSearch {
    const wchar_t* face;
    bool found;
};

int CALLBACK NoteFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM context)
{
    auto* search = reinterpret_cast<FaceSearch*>(context);
    if (wcscmp(font->lfFaceName, search->face) != 0) return 1;
    search->found = true;
    return 0;
}

// The utility looks the face up among all families, not by name: a face that only exists as
// a substitute is not taken.
bool FaceAmongFamilies(const std::wstring& face)
{
    FaceSearch search{face.c_str(), false};
    LOGFONTW any{};
    any.lfCharSet = DEFAULT_CHARSET;
    const skin::MemoryDc dc(nullptr);
    EnumFontFamiliesExW(dc.get(), &any, NoteFace, reinterpret_cast<LPARAM>(&search), 0);
    return search.found;
}

}  // namespace

HFONT MakeFont(int height, int weight, const wchar_t* face)
{
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

UtilityFonts MakeUtilityFonts(LANGID language)
{
    UtilityFonts fonts;
    std::wstring wanted = TableString(language, kStrFontFace);
    if (wanted.empty()) wanted = L"Arial";
    if (FaceAmongFamilies(wanted)) {
        fonts.uiFace = wanted;
    } else {
        LOGFONTW gui{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
        fonts.uiFace = gui.lfFaceName;
    }
    const int weight = config::UsesBoldUiFonts(language) ? FW_BOLD : FW_NORMAL;
    fonts.arial12.reset(MakeFont(12, FW_NORMAL, L"Arial"));
    fonts.label48.reset(MakeFont(48, FW_NORMAL, L"Arial"));
    fonts.message48.reset(MakeFont(48, weight, fonts.uiFace.c_str()));
    fonts.button52.reset(MakeFont(52, weight, fonts.uiFace.c_str()));
    return fonts;
}

std::wstring TableString(LANGID language, UINT id)
{
    return config::LoadStringOfLanguage(GetModuleHandleW(nullptr), language, id);
}

std::vector<UINT> IdsInTable(LANGID language, UINT first, UINT last)
{
    std::vector<UINT> ids;
    for (UINT id = first; id <= last; ++id) {
        if (!TableString(language, id).empty()) ids.push_back(id);
    }
    return ids;
}

}  // namespace glyph_test
