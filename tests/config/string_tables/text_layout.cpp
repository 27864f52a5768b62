#include "tests/config/string_tables/text_layout.h"

#include "config/strings/string_ids.h"
#include "tests/config/string_tables/string_table_reader.h"

#include <algorithm>

namespace strings_test {
namespace {

constexpr int kLinePitch = 56;  // 14 display pixels at the four-fold scale

int CALLBACK OnFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(const std::wstring& face)
{
    UniqueDc dc(CreateCompatibleDC(nullptr));
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    face.copy(query.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc.get(), &query, OnFamily, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

std::wstring DefaultGuiFace()
{
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return font.lfFaceName;
}

UniqueFont MakeFont(int height, int weight, const std::wstring& face)
{
    return UniqueFont(CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

}  // namespace

bool IsEastAsian(LANGID language)
{
    const int primary = PRIMARYLANGID(language);
    return primary == LANG_CHINESE || primary == LANG_JAPANESE || primary == LANG_KOREAN;
}

UiFonts MakeUiFonts(LANGID language)
{
    UiFonts fonts;
    std::wstring wanted = FindTableString(language, kStrFontFace).value_or(L"");
    if (wanted.empty()) wanted = L"Arial";
    fonts.face = FaceInstalled(wanted) ? wanted : DefaultGuiFace();
    const int primary = PRIMARYLANGID(language);
    const int weight = (primary == LANG_CHINESE || primary == LANG_KOREAN) ? FW_BOLD : FW_NORMAL;
    fonts.arial12 = MakeFont(12, FW_NORMAL, L"Arial");
    fonts.arial48 = MakeFont(48, FW_NORMAL, L"Arial");
    fonts.message48 = MakeFont(48, weight, fonts.face);
    fonts.button52 = MakeFont(52, weight, fonts.face);
    return fonts;
}

int TextWidth(HDC dc, HFONT font, std::wstring_view text)
{
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    return size.cx;
}

int LineHeight(HDC dc, HFONT font)
{
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    return metrics.tmHeight;
}

int WrappedLineCount(HDC dc, HFONT font, std::wstring_view text, const WrappedPlace& place,
                     bool japaneseBreaks)
{
    const int left = 4 * place.x + 10;
    const int right = 4 * (place.w - place.rightInset) + 8;
    int lines = 0;
    size_t position = 0;
    while (position < text.size()) {
        size_t length = 0;
        bool tooWide = false;
        while (position + length < text.size() && text[position + length] != L'\n') {
            if (left + TextWidth(dc, font, text.substr(position, length + 1)) > right) {
                tooWide = true;
                break;
            }
            ++length;
        }
        if (tooWide) {
            // The fitted characters but the last, or up to the last space among them.
            size_t cut = length > 1 ? length - 1 : 1;
            if (!japaneseBreaks) {
                const size_t space = text.substr(position, length).rfind(L' ');
                if (space != std::wstring_view::npos && space > 0) cut = space;
            }
            length = cut;
        }
        position += length;
        if (position < text.size() && text[position] == L'\n') ++position;
        if (position < text.size() && text[position] == L' ') ++position;
        ++lines;
    }
    return lines;
}

int VisibleLineCount(HDC dc, HFONT font, const WrappedPlace& place)
{
    const int top = 4 * place.y + 10;
    const int bottom = 4 * place.h + 8;
    const int cell = LineHeight(dc, font);
    int lines = 0;
    while (top + lines * kLinePitch + cell <= bottom) ++lines;
    return lines;
}

}  // namespace strings_test
