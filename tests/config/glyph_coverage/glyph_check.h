// Which characters of a text a font draws as its missing-glyph box. GDI draws a character the
// font lacks with a font linked behind it (FontLink\SystemLink) when one has it, and with the
// box otherwise; GetGlyphIndicesW looks at the font alone, so each character it cannot find is
// drawn and compared with the drawing of a character no font has.
#pragma once

#include "skin/gdi_owners.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyph_test {

class GlyphCheck {
public:
    // The font stays owned by the caller and must outlive the check.
    explicit GlyphCheck(HFONT font);
    GlyphCheck(const GlyphCheck&) = delete;
    GlyphCheck& operator=(const GlyphCheck&) = delete;

    // False when the check could not draw, or the missing-glyph box draws nothing; then it
    // could tell nothing apart.
    bool valid() const;

    // The face GDI chose for the font (what a missing face fell back to).
    std::wstring Face() const;

    // The characters of `text` (surrogate pairs kept together) drawn as the box, each once, in
    // the order they first appear. Line feeds and other control characters are never drawn.
    std::vector<std::wstring> BoxedCharacters(std::wstring_view text);

private:
    bool DrawnAsBox(const std::wstring& character);
    std::vector<uint32_t> Draw(const std::wstring& text);

    skin::MemoryDc dc_;
    skin::GdiObject<HBITMAP> bitmap_;
    uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int baseline_ = 0;
    // Deselected before the bitmap and the context go.
    std::optional<skin::SelectedObject> selectedBitmap_;
    std::optional<skin::SelectedObject> selectedFont_;
    std::vector<uint32_t> box_;
    std::map<std::wstring, bool> seen_;
};

// "U+D55C" (and "U+1F600" for a pair), for messages.
std::wstring CodePointName(const std::wstring& character);

}  // namespace glyph_test
