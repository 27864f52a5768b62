// No text of the settings utility falls to the missing-glyph box in any UI language: every
// character has a glyph in the font the window draws it with, or in a font linked behind that
// one. A face without the language's script and no fallback shows the text as a row of boxes,
// and every other check of the window still passes.
#include "app/ui_language.h"
#include "config/strings/string_ids.h"
#include "skin/wrapped_label_layout.h"
#include "tests/config/glyph_coverage/glyph_check.h"
#include "tests/config/glyph_coverage/utility_fonts.h"
#include "tests/support/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace glyph_test {
namespace {

using rkx::test::Utf8;

constexpr UINT kLastStringId = 1023;

// One failure per text that shows a box, naming the table, text, font and characters.
void ExpectNoBoxes(GlyphCheck& check, const char* role, LANGID table, const std::vector<UINT>& ids)
{
    ASSERT_TRUE(check.valid()) << role << ": the missing-glyph box could not be drawn";
    for (UINT id : ids) {
        const std::wstring text = TableString(table, id);
        const std::vector<std::wstring> boxed = check.BoxedCharacters(text);
        if (boxed.empty()) continue;
        std::wstring names;
        for (const std::wstring& character : boxed) names += L" " + CodePointName(character);
        ADD_FAILURE() << "table " << table << ", id " << id << " \"" << Utf8(text) << "\" in the " << role
                      << " (" << Utf8(check.Face()) << "): no glyph for" << Utf8(names);
    }
}

// The translated messages, without the face name (not drawn) and the French-only notice line.
std::vector<UINT> MessageIds(LANGID language)
{
    std::vector<UINT> ids;
    for (UINT id : IdsInTable(language, kLastLabelId + 1, kLastStringId)) {
        if (id != kStrFontFace && id != kStrNoticeLine) ids.push_back(id);
    }
    return ids;
}

TEST(MissingGlyphBoxes, NoneInTheMessagesOfAnyUiLanguage)
{
    for (LANGID language : kUiLanguages) {
        SCOPED_TRACE(language);
        const UtilityFonts fonts = MakeUtilityFonts(language);
        const std::vector<UINT> ids = MessageIds(language);
        ASSERT_FALSE(ids.empty()) << "no messages in table " << language;
        GlyphCheck message(fonts.message48.get());
        ExpectNoBoxes(message, "message font", language, ids);
        GlyphCheck button(fonts.button52.get());
        ExpectNoBoxes(button, "button font", language, {kStrStandardSetting});
        // Wrapped texts take the font the utility's wrapped labels choose for the language.
        GlyphCheck wrapped(WrappedLabelFont(language, fonts.message48.get(), fonts.label48.get()));
        ExpectNoBoxes(wrapped, "wrapped label font", language, ids);
    }
}

TEST(MissingGlyphBoxes, NoneInTheLabels)
{
    const UtilityFonts fonts = MakeUtilityFonts(kLabelLanguage);
    const std::vector<UINT> labels = IdsInTable(kLabelLanguage, 0, kLastLabelId);
    ASSERT_FALSE(labels.empty());
    GlyphCheck tabs(fonts.arial12.get());
    ExpectNoBoxes(tabs, "tab font", kLabelLanguage, labels);
    GlyphCheck label(fonts.label48.get());
    ExpectNoBoxes(label, "label font", kLabelLanguage, labels);
    ExpectNoBoxes(label, "label font", kNoticeLineLanguage, {kStrNoticeLine});
}

// The check itself: Korean drawn with a face that has no Hangul and nothing linked behind it
// must be found, and the same text in the Korean UI font must not.
TEST(MissingGlyphBoxes, FoundForHangulInAFaceWithoutHangulOrFallback)
{
    const std::wstring korean = TableString(1042, kStrStandardSetting);
    std::vector<std::wstring> hangul;
    for (wchar_t c : korean) {
        if (c >= 0xAC00 && c <= 0xD7A3 && std::find(hangul.begin(), hangul.end(), std::wstring(1, c)) == hangul.end())
            hangul.emplace_back(1, c);
    }
    ASSERT_FALSE(hangul.empty()) << "the Korean button caption holds no Hangul";

    skin::GdiObject<HFONT> mono(MakeFont(48, FW_BOLD, L"Liberation Mono"));
    GlyphCheck wrong(mono.get());
    ASSERT_TRUE(wrong.valid());
    ASSERT_EQ(wrong.Face(), L"Liberation Mono") << "the face without Hangul is not installed";
    EXPECT_EQ(wrong.BoxedCharacters(korean), hangul);
    EXPECT_TRUE(wrong.BoxedCharacters(L"Standard Setting: 64-1920 %d").empty());

    const UtilityFonts fonts = MakeUtilityFonts(1042);
    GlyphCheck right(fonts.message48.get());
    EXPECT_TRUE(right.BoxedCharacters(korean).empty()) << Utf8(right.Face());
}

}  // namespace
}  // namespace glyph_test
