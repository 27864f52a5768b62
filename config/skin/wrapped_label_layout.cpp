#include "skin/wrapped_label_layout.h"

#include "skin/install_language.h"

RECT WrappedLabelTextArea(int x, int y, int w, int h, int rightInset)
{
    return RECT{4 * x + 10, 4 * y + 10, 4 * (w - rightInset) + 8, 4 * h + 8};
}

HFONT WrappedLabelFont(DWORD installLanguage, HFONT font, HFONT arialLabelFont)
{
    return skin::IsEastAsianInstallLanguage(installLanguage) ? font : arialLabelFont;
}

std::vector<WrappedLine> LayOutWrappedLabel(HDC dc, std::wstring_view text, DWORD installLanguage, const RECT& area)
{
    const auto measure = [dc](const wchar_t* prefix, int count) {
        SIZE extent = {};
        return GetTextExtentPoint32W(dc, prefix, count, &extent) ? static_cast<int>(extent.cx) : 0;
    };
    return WrapLabelText(text, installLanguage, area.right - area.left, measure);
}
