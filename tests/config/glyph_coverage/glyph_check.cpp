#include "tests/config/glyph_coverage/glyph_check.h"
#include "tests/support/bitmap_info.h"

#include <algorithm>
#include <cwchar>

namespace glyph_test {
namespace {

// A noncharacter: no font maps it, so it is drawn as the font's missing-glyph box.
constexpr wchar_t kNoFontHasThis = 0xFFFF;

}  // namespace

GlyphCheck::GlyphCheck(HFONT font) : dc_(nullptr)
{
    selectedFont_.emplace(dc_.get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_.get(), &metrics);
    // Room for a full-width character of a linked font, which may be wider than this font's.
    height_ = 2 * metrics.tmHeight + 8;
    width_ = 2 * std::max(metrics.tmHeight, metrics.tmMaxCharWidth) + 16;
    baseline_ = metrics.tmHeight / 2;

    BITMAPINFO info = rkx::test::TopDownBitmapInfo(width_, height_);
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_.get()) return;
    pixels_ = static_cast<uint32_t*>(bits);
    selectedBitmap_.emplace(dc_.get(), bitmap_.get());
    SetBkMode(dc_.get(), TRANSPARENT);
    SetTextColor(dc_.get(), RGB(0, 0, 0));
    box_ = Draw(std::wstring(1, kNoFontHasThis));
}

bool GlyphCheck::valid() const
{
    return pixels_ != nullptr &&
           std::any_of(box_.begin(), box_.end(), [](uint32_t pixel) { return (pixel & 0xFFFFFF) != 0xFFFFFF; });
}

std::wstring GlyphCheck::Face() const
{
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc_.get(), LF_FACESIZE, face);
    return face;
}

std::vector<uint32_t> GlyphCheck::Draw(const std::wstring& text)
{
    if (pixels_ == nullptr) return {};
    PatBlt(dc_.get(), 0, 0, width_, height_, WHITENESS);
    TextOutW(dc_.get(), 8, baseline_, text.data(), static_cast<int>(text.size()));
    GdiFlush();
    return std::vector<uint32_t>(pixels_, pixels_ + static_cast<size_t>(width_) * height_);
}

bool GlyphCheck::DrawnAsBox(const std::wstring& character)
{
    if (character.size() == 1) {
        WORD index = 0;
        if (GetGlyphIndicesW(dc_.get(), character.data(), 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == 1 &&
            index != 0xFFFF)
            return false;
    }
    // Not in the font itself: whatever a linked font draws differs from the box.
    return Draw(character) == box_;
}

std::vector<std::wstring> GlyphCheck::BoxedCharacters(std::wstring_view text)
{
    std::vector<std::wstring> boxed;
    for (size_t at = 0; at < text.size();) {
        const size_t length =
            IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1]) ? 2 : 1;
        const std::wstring character(text.substr(at, length));
        at += length;
        if (length == 1 && character[0] < 0x20) continue;
        auto known = seen_.find(character);
        if (known == seen_.end()) known = seen_.emplace(character, DrawnAsBox(character)).first;
        if (known->second && std::find(boxed.begin(), boxed.end(), character) == boxed.end())
            boxed.push_back(character);
    }
    return boxed;
}

std::wstring CodePointName(const std::wstring& character)
{
    unsigned long point = character.empty() ? 0 : character[0];
    if (character.size() == 2)
        point = 0x10000 + ((static_cast<unsigned long>(character[0]) - 0xD800) << 10) + (character[1] - 0xDC00);
    wchar_t name[16] = {};
    swprintf(name, 16, L"U+%04lX", point);
    return name;
}

}  // namespace glyph_test
