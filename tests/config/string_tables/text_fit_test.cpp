// Every text fits the place the utility gives it, measured with the fonts the utility makes
// for each UI language and laid out by its wrapping rules. A translation that runs past its
// label is cut off on screen without any other sign.
#include "app/ui_language.h"
#include "config/strings/string_ids.h"
#include "tests/config/string_tables/expected_tables.h"
#include "tests/config/string_tables/string_table_reader.h"
#include "tests/config/string_tables/text_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <initializer_list>
#include <string>
#include <vector>

namespace strings_test {
namespace {

// Replaces the format specifiers in order by the given values: the widest the code passes.
std::wstring Fill(std::wstring text, std::initializer_list<const wchar_t*> values)
{
    auto value = values.begin();
    for (size_t at = text.find(L'%'); at != std::wstring::npos && value != values.end();
         at = text.find(L'%', at)) {
        size_t end = at + 1;
        while (end < text.size() && !iswalpha(text[end])) ++end;
        if (end < text.size() && text[end] == L'w') ++end;
        text.replace(at, end + 1 - at, *value);
        at += wcslen(*value);
        ++value;
    }
    return text;
}

std::wstring TextOf(LANGID language, UINT id)
{
    return FindTableString(language, id).value_or(L"");
}

enum class Font { Arial12, Arial48, Message48 };

HFONT Pick(const UiFonts& fonts, Font font)
{
    switch (font) {
    case Font::Arial12: return fonts.arial12.get();
    case Font::Arial48: return fonts.label48.get();
    case Font::Message48: return fonts.message48.get();
    }
    return nullptr;
}

// One-line label of display width w, text at display x: the text must end inside the
// label's visible area (4w at the four-fold scale, after the 8-pixel margin).
struct SingleLine {
    UINT id;
    Font font;
    int w;
    int x;
    std::initializer_list<const wchar_t*> values;
};

const SingleLine kMessageLines[] = {
    {kStrSamplingRate, Font::Message48, 250, 0, {}},
    {kStrBufferSize, Font::Message48, 250, 0, {}},
    {kStrLatency, Font::Message48, 250, 0, {}},
    {kStrRateFormat, Font::Message48, 116, 0, {L"48000"}},
    {kStrSamplesFormat, Font::Message48, 116, 0, {L"4096"}},
    {kStrLatencyFormat, Font::Message48, 116, 0, {L"92", L"8"}},
    {kStrVersion, Font::Message48, 165, 0, {}},
    {kStrUtilityVersion, Font::Message48, 165, 0, {}},
    {kStrDriverVersion, Font::Message48, 165, 0, {}},
    {kStrDllVersion, Font::Message48, 165, 0, {}},
    {kStrFirmwareVersion, Font::Message48, 165, 0, {}},
    {kStrVersionValueFormat, Font::Message48, 50, 0, {L"1.110"}},
    {kStrTitleFormat, Font::Message48, 460, 0, {L"RKX-T2"}},
};

bool FitsOneLine(HDC dc, HFONT font, const std::wstring& text, int w, int x)
{
    return 4 * x + 10 + TextWidth(dc, font, text) <= 4 * w + 8;
}

struct Wrapped {
    UINT id;
    WrappedPlace place;
};

const Wrapped kWrappedMessages[] = {
    {kStrInputRoutingHelp, {0, 0, 230, 56, 0}},
    {kStrInputSelectorHelp, {0, 0, 217, 70, 0}},
    {kStrInputRoutingLocked, {0, 0, 237, 42, 0}},
    {kStrOutputRoutingHelp, {0, 0, 230, 56, 0}},
    {kStrAsioHelp, {0, 0, 519, 100, 0}},
    {kStrAsioNotInstalled, {34, 22, 388, 186, 30}},
    {kStrDriverProblem, {0, 0, 500, 40, 0}},
};

// One language's measuring context: a memory DC and the fonts the utility makes for it.
struct LanguageFonts {
    explicit LanguageFonts(LANGID table) : language(table), dc(CreateCompatibleDC(nullptr)),
                                           fonts(MakeUiFonts(table)) {}
    LANGID language;
    UniqueDc dc;
    UiFonts fonts;
};

// Every test below covers all twelve tables in one process: a process per language and test
// would cost Wine start-ups, not coverage.
TEST(EveryUiLanguage, MessageFontHasTheLanguagesGlyphs)
{
    // Without them the text shows as boxes and every width below is meaningless. East Asian
    // characters are a full em wide; a missing glyph's box is far narrower.
    for (LANGID language : kUiLanguages) {
        if (!config::IsEastAsianLanguage(language)) continue;
        SCOPED_TRACE(language);
        const LanguageFonts at(language);
        const std::wstring caption = TextOf(language, kStrStandardSetting);
        ASSERT_FALSE(caption.empty());
        for (HFONT font : {at.fonts.message48.get(), at.fonts.button52.get()}) {
            EXPECT_GE(TextWidth(at.dc.get(), font, caption.substr(0, 1)), 40)
                << "no glyph for the first character of id " << kStrStandardSetting;
        }
    }
}

TEST(EveryUiLanguage, OneLineMessagesFitTheirLabels)
{
    for (LANGID language : kUiLanguages) {
        SCOPED_TRACE(language);
        const LanguageFonts at(language);
        for (const SingleLine& line : kMessageLines) {
            const std::wstring text = Fill(TextOf(language, line.id), line.values);
            HFONT font = Pick(at.fonts, line.font);
            EXPECT_TRUE(FitsOneLine(at.dc.get(), font, text, line.w, line.x))
                << "id " << line.id << " is " << TextWidth(at.dc.get(), font, text)
                << " wide for a " << line.w << "-pixel label";
        }
    }
}

TEST(EveryUiLanguage, WrappedMessagesFitTheirLabels)
{
    for (LANGID language : kUiLanguages) {
        SCOPED_TRACE(language);
        const LanguageFonts at(language);
        // Installations that show this table: its own identifier and, where it picks the same
        // table, the primary language alone (the wrapping rule may tell the two apart).
        std::vector<DWORD> installs = {language};
        const DWORD primary = config::PrimaryLanguageOf(language);
        if (config::StringTableLanguage(primary, kStrInputRoutingHelp) == language) installs.push_back(primary);
        for (DWORD install : installs) {
            SCOPED_TRACE(install);
            HFONT font = WrappedFont(at.fonts, install);
            for (const Wrapped& wrapped : kWrappedMessages) {
                const std::wstring text = Fill(TextOf(language, wrapped.id), {L"RKX-T2"});
                EXPECT_LE(WrappedLineCount(at.dc.get(), font, text, wrapped.place, install),
                          VisibleLineCount(at.dc.get(), font, wrapped.place))
                    << "id " << wrapped.id << " in a " << wrapped.place.w << " x " << wrapped.place.h << " label";
            }
        }
    }
}

TEST(EveryUiLanguage, ButtonCaptionAndAsioCreditFit)
{
    for (LANGID language : kUiLanguages) {
        SCOPED_TRACE(language);
        const LanguageFonts at(language);
        // The caption is centred on a 572-pixel area at the four-fold scale; wider text loses
        // both ends.
        const std::wstring caption = TextOf(language, kStrStandardSetting);
        EXPECT_LE(TextWidth(at.dc.get(), at.fonts.button52.get(), caption), 572);
        // The credit is a label, the same in every language, drawn in each one's message font.
        const std::wstring credit = TextOf(kLabelLanguage, kStrAsioCredit);
        EXPECT_TRUE(FitsOneLine(at.dc.get(), at.fonts.message48.get(), credit, 519, 0))
            << TextWidth(at.dc.get(), at.fonts.message48.get(), credit);
    }
}

TEST(ArialLabels, FitTheirPlaces)
{
    UniqueDc dc(CreateCompatibleDC(nullptr));
    const UiFonts fonts = MakeUiFonts(1033);
    HFONT arial = fonts.label48.get();
    struct Place {
        UINT id;
        int w;
    };
    const Place places[] = {
        {kStrConnected, 82}, {kStrNotConnected, 82}, {kStrRowDeck1, 100}, {kStrRowDeck2, 100},
        {kStrRowSampler, 100}, {kStrRowRec, 100}, {kStrPairUsb12, 55}, {kStrPairUsb34, 55},
        {kStrPairUsb56, 55},
    };
    for (const Place& place : places) {
        const std::wstring text = TextOf(kLabelLanguage, place.id);
        EXPECT_TRUE(FitsOneLine(dc.get(), arial, text, place.w, 0))
            << "id " << place.id << " is " << TextWidth(dc.get(), arial, text) << " wide";
    }
    // Selector labels read ": " and the position name.
    for (UINT id = kStrSelectorLine; id <= kStrSelectorLine3; ++id) {
        const std::wstring text = L": " + TextOf(kLabelLanguage, id);
        EXPECT_TRUE(FitsOneLine(dc.get(), arial, text, 90, 0)) << "selector " << id;
    }
    for (UINT c = 0; c < 3; ++c) {
        std::wstring channel = TextOf(kLabelLanguage, kStrChannelCh1 + c);
        channel = channel.substr(0, channel.find(L' '));
        EXPECT_TRUE(FitsOneLine(dc.get(), arial, channel, 50, 2)) << "channel " << c;
    }
    const std::wstring notice = TextOf(kNoticeLineLanguage, kStrNoticeLine);
    EXPECT_TRUE(FitsOneLine(dc.get(), arial, notice, 230, 0)) << TextWidth(dc.get(), arial, notice);

    // Headings are wrapped labels one line high.
    for (UINT id : {kStrHeadingSoftwareInput, kStrHeadingMixerOutput, kStrHeadingUsbOutputLevel,
                    kStrHeadingSoftwareOutput, kStrHeadingMixerInput}) {
        const WrappedPlace heading{0, 0, 248, 14, 0};
        EXPECT_EQ(WrappedLineCount(dc.get(), arial, TextOf(kLabelLanguage, id), heading, 1033), 1)
            << "heading " << id;
    }
    // Tab names are centred in 90 pixels at 12 pixels.
    for (UINT tab = kStrTabMixerInput; tab <= kStrTabAbout; ++tab) {
        EXPECT_LE(TextWidth(dc.get(), fonts.arial12.get(), TextOf(kLabelLanguage, tab)), 90) << tab;
    }
}

TEST(WrapLayout, BreaksAtSpacesAndKeepsBlankLines)
{
    // Guards the layout the fit tests rely on, with the Arial label font.
    UniqueDc dc(CreateCompatibleDC(nullptr));
    const UiFonts fonts = MakeUiFonts(1033);
    HFONT arial = fonts.label48.get();
    const WrappedPlace narrow{0, 0, 60, 200, 0};
    EXPECT_EQ(WrappedLineCount(dc.get(), arial, L"A\n\nB", narrow, 1033), 3);
    EXPECT_EQ(WrappedLineCount(dc.get(), arial, L"\n\nAB", narrow, 1033), 3);
    EXPECT_EQ(WrappedLineCount(dc.get(), arial, L"Mixer Audio Mixer Audio", narrow, 1033), 4);
    // Without spaces the text is cut anywhere; a label too narrow for one character still ends.
    EXPECT_GT(WrappedLineCount(dc.get(), arial, L"MMMMMMMMMMMMMMMMMMMM", narrow, 1033), 1);
    EXPECT_EQ(WrappedLineCount(dc.get(), arial, L"MMM", {0, 0, 2, 14, 0}, 0x11), 3);
    EXPECT_EQ(VisibleLineCount(dc.get(), arial, {0, 0, 100, 56, 0}), 4);
}

}  // namespace
}  // namespace strings_test
