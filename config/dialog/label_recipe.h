// What a label bitmap was rendered from. Pages render their labels again on every paint and
// whenever a value behind them may have changed; an unchanged recipe gives the same pixels,
// so the window keeps the bitmap instead of rendering it again.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class LabelBitmap;

namespace config {

struct LabelRecipe {
    bool wrapped = false;
    int x = 0, y = 0, w = 0, h = 0;
    std::wstring text;
    COLORREF textColour = 0;
    COLORREF background = 0;
    HFONT font = nullptr;
    HFONT arialLabelFont = nullptr;  // wrapped labels
    int rightInset = 0;              // wrapped labels
    DWORD language = 0;              // wrapped labels: the installation's language picks font and breaks
    int measuredIn = -1;             // the centring width asked for; -1 for a left-aligned label
    int measuredOut = 0;             // the centring width it gave (measured when asked with 0)
    HBITMAP rendered = nullptr;      // the bitmap this recipe made

    bool SameSource(const LabelRecipe& other) const
    {
        return wrapped == other.wrapped && x == other.x && y == other.y && w == other.w && h == other.h &&
               text == other.text && textColour == other.textColour && background == other.background &&
               font == other.font && arialLabelFont == other.arialLabelFont && rightInset == other.rightInset &&
               language == other.language && measuredIn == other.measuredIn;
    }
};

// The recipes of one window's labels, by label.
class LabelRecipes {
public:
    // True when `target` still holds the bitmap made from `recipe`; then the centring width
    // it gave is put back into *measuredWidth.
    bool StillRendered(const LabelBitmap& target, const LabelRecipe& recipe, int* measuredWidth) const;
    // Notes what `target` was just rendered from.
    void Note(const LabelBitmap& target, LabelRecipe recipe, const int* measuredWidth);

private:
    std::map<const LabelBitmap*, LabelRecipe> recipes_;
};

}  // namespace config
