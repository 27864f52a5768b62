// Measures texts with the fonts the settings utility makes for a UI language and lays out
// wrapped labels with the utility's own layout, so the tests can tell whether a text fits its
// place - and fail when the utility's font choice or wrapping changes. All sizes here are at
// the labels' four-fold scale unless a name says "display".
#pragma once

#include "dialog/ui_fonts.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace strings_test {

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

using UiFonts = config::UiFonts;

// The main window's fonts for the UI language whose table is `language`, made by the
// utility's own code from that table's font face.
UiFonts MakeUiFonts(LANGID language);

// The font the utility draws wrapped labels in for this installation language.
HFONT WrappedFont(const UiFonts& fonts, DWORD installLanguage);

// Width in pixels of the text in that font.
int TextWidth(HDC dc, HFONT font, std::wstring_view text);

// Height of a line cell of that font (what DrawTextW needs below a line's top).
int LineHeight(HDC dc, HFONT font);

// A wrapped label of display size w x h, text placed at display (x, y), right inset in
// display pixels.
struct WrappedPlace {
    int x = 0, y = 0, w = 0, h = 0, rightInset = 0;
};

// Number of line slots (drawn or blank) the utility lays the text out in, in an installation
// of that language.
int WrappedLineCount(HDC dc, HFONT font, std::wstring_view text, const WrappedPlace& place, DWORD installLanguage);

// Number of line slots whose whole cell lies inside the label.
int VisibleLineCount(HDC dc, HFONT font, const WrappedPlace& place);

}  // namespace strings_test
