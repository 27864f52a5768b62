// How a wrapped label's text is laid out in its bitmap: where its lines start and break, the
// font they are measured and drawn in, and the lines themselves. The renderer draws by it,
// and checks of whether a text fits its label measure by it.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "skin/label_wrap.h"

// Wrapped lines are 14 display pixels apart (four-fold scale).
constexpr int kWrappedLineStep = 56;

// The text area inside the bitmap of a wrapped label of display size w x h with its text at
// display (x, y) and `rightInset` display pixels kept free on the right, at the four-fold
// scale: lines start at its top left, one kWrappedLineStep below the other, and break before
// its right edge; what reaches below its bottom is cut off.
RECT WrappedLabelTextArea(int x, int y, int w, int h, int rightInset);

// The font wrapped labels are drawn in: `font` in Chinese, Japanese and Korean installations,
// the 48-pixel Arial label font elsewhere.
HFONT WrappedLabelFont(DWORD installLanguage, HFONT font, HFONT arialLabelFont);

// The lines of `text` in `area`, measured with the font selected into `dc` (see label_wrap.h
// for the rules).
std::vector<WrappedLine> LayOutWrappedLabel(HDC dc, std::wstring_view text, DWORD installLanguage, const RECT& area);
