#include "tests/config/glyph_coverage/utility_fonts.h"

#include "app/ui_strings.h"
#include "config/strings/string_ids.h"

namespace glyph_test {

UtilityFonts MakeUtilityFonts(LANGID language)
{
    return config::MakeUiFonts(language, TableString(language, kStrFontFace));
}

HFONT MakeFont(int height, int weight, const wchar_t* face)
{
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
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
