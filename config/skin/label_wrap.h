// Line breaking of wrapped labels, kept apart from GDI so it can be tested with any measure.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>
#include <vector>

// One line of a wrapped text: `length` characters from `start`. A line of length 0 is an empty
// line: nothing is drawn, but it takes its line's height.
struct WrappedLine {
    size_t start = 0;
    size_t length = 0;
};

// Width in pixels of the first `count` characters of `text`.
using MeasureTextPrefix = std::function<int(const wchar_t* text, int count)>;

// A line never holds more than this many characters (the renderer's line buffer less its end).
constexpr size_t kWrappedLineCapacity = 255;

// Breaks `text` into lines no wider than `layoutWidth` where possible. A line feed ends a line;
// an overflowing line breaks before its last space (at a position above 0), or, in a Japanese
// installation (language value exactly 0x11) and when there is no such space, before the last
// character that still fitted. Every line holds at least one character, so a width that holds
// fewer than two characters still advances, and a line ends after kWrappedLineCapacity
// characters even without a break.
std::vector<WrappedLine> WrapLabelText(std::wstring_view text, DWORD installLanguage,
                                       int layoutWidth, const MeasureTextPrefix& measure);
