// Measures texts with the fonts the settings utility makes for a UI language and lays out
// wrapped labels by the utility's rules, so the tests can tell whether a text fits its place.
// All sizes here are at the labels' four-fold scale unless a name says "display".
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace strings_test {

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// The fonts of the main window for one UI language (table LANGID).
struct UiFonts {
    std::wstring face;   // the UI face: string 301 when installed, "Arial", or the GUI font's
    UniqueFont arial12;  // tab labels
    UniqueFont arial48;  // most labels
    UniqueFont message48;
    UniqueFont button52;
};

UiFonts MakeUiFonts(LANGID language);

bool IsEastAsian(LANGID language);

// Width in pixels of the text in that font.
int TextWidth(HDC dc, HFONT font, std::wstring_view text);

// Height of a line cell of that font (what DrawTextW needs below a line's top).
int LineHeight(HDC dc, HFONT font);

// A wrapped label of display size w x h, text placed at display (x, y), right inset in
// display pixels. japaneseBreaks selects the rule that cuts anywhere instead of at spaces.
struct WrappedPlace {
    int x = 0, y = 0, w = 0, h = 0, rightInset = 0;
};

// Number of line slots (drawn or blank) the text takes.
int WrappedLineCount(HDC dc, HFONT font, std::wstring_view text, const WrappedPlace& place,
                     bool japaneseBreaks);

// Number of line slots whose whole cell lies inside the label.
int VisibleLineCount(HDC dc, HFONT font, const WrappedPlace& place);

}  // namespace strings_test
