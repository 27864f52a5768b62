#include "tests/config/string_tables/text_layout.h"

#include "config/strings/string_ids.h"
#include "skin/wrapped_label_layout.h"
#include "tests/config/string_tables/string_table_reader.h"

namespace strings_test {
namespace {

// The font selected into a context for the life of a measurement.
class Selected {
public:
    Selected(HDC dc, HFONT font) : dc_(dc), previous_(SelectObject(dc, font)) {}
    ~Selected() { SelectObject(dc_, previous_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

RECT AreaOf(const WrappedPlace& place)
{
    return WrappedLabelTextArea(place.x, place.y, place.w, place.h, place.rightInset);
}

}  // namespace

UiFonts MakeUiFonts(LANGID language)
{
    return config::MakeUiFonts(language, FindTableString(language, kStrFontFace).value_or(L""));
}

HFONT WrappedFont(const UiFonts& fonts, DWORD installLanguage)
{
    return WrappedLabelFont(installLanguage, fonts.message48.get(), fonts.label48.get());
}

int TextWidth(HDC dc, HFONT font, std::wstring_view text)
{
    const Selected selected(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

int LineHeight(HDC dc, HFONT font)
{
    const Selected selected(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

int WrappedLineCount(HDC dc, HFONT font, std::wstring_view text, const WrappedPlace& place, DWORD installLanguage)
{
    const Selected selected(dc, font);
    return static_cast<int>(LayOutWrappedLabel(dc, text, installLanguage, AreaOf(place)).size());
}

int VisibleLineCount(HDC dc, HFONT font, const WrappedPlace& place)
{
    const RECT area = AreaOf(place);
    const int cell = LineHeight(dc, font);
    int lines = 0;
    while (area.top + lines * kWrappedLineStep + cell <= area.bottom) ++lines;
    return lines;
}

}  // namespace strings_test
