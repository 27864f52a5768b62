// Line breaking of wrapped labels with a fixed-pitch measure: every character is 10 pixels
// wide, so a layout width of 10 * n holds exactly n characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/label_wrap.h"

namespace {

constexpr DWORD kEnglish = 0x09;
constexpr DWORD kJapanese = 0x11;
constexpr DWORD kKorean = 0x12;

int FixedPitch(const wchar_t*, int count) { return 10 * count; }

// The lines as texts; an empty line is "".
std::vector<std::wstring> Wrap(const std::wstring& text, DWORD language, int charactersWide)
{
    std::vector<std::wstring> out;
    for (const WrappedLine& line : WrapLabelText(text, language, 10 * charactersWide, FixedPitch))
        out.push_back(text.substr(line.start, line.length));
    return out;
}

using Lines = std::vector<std::wstring>;

TEST(WrappedLabelLines, EnglishBreaksAtTheLastSpaceAndTheNextLineStartsWithTheWord)
{
    EXPECT_EQ(Wrap(L"Connect the mixer", kEnglish, 12), (Lines{L"Connect the", L"mixer"}));
    // A word that fills the width exactly is still cut before its last character.
    EXPECT_EQ(Wrap(L"abcd efgh", kEnglish, 4), (Lines{L"abc", L"d", L"efgh"}));
    EXPECT_EQ(Wrap(L"ab cd ef", kEnglish, 100), (Lines{L"ab cd ef"}));
}

TEST(WrappedLabelLines, WithoutUsableSpaceTheLastFittedCharacterStartsTheNextLine)
{
    // Eight characters fit; the line keeps seven and the eighth begins the next line.
    EXPECT_EQ(Wrap(L"abcdefghijk", kEnglish, 8), (Lines{L"abcdefg", L"hijk"}));
    // A space at position 0 is no break point.
    EXPECT_EQ(Wrap(L" abcdefg", kEnglish, 4), (Lines{L" ab", L"cde", L"fg"}));
}

TEST(WrappedLabelLines, JapaneseCutsBeforeTheLastFittedCharacterEvenWithSpaces)
{
    EXPECT_EQ(Wrap(L"ab cdefgh", kJapanese, 5), (Lines{L"ab c", L"defgh"}));
    // Korean is not the Japanese rule: it breaks at the space.
    EXPECT_EQ(Wrap(L"ab cdefgh", kKorean, 5), (Lines{L"ab", L"cdef", L"gh"}));
    // Only the exact value 0x11 selects it; Japanese with a sublanguage wraps at spaces.
    EXPECT_EQ(Wrap(L"ab cdefgh", 0x0411, 5), (Lines{L"ab", L"cdef", L"gh"}));
}

TEST(WrappedLabelLines, LineFeedsEndLinesAndTwoInARowLeaveAnEmptyLine)
{
    const std::wstring text = L"A\n\nB";
    const auto lines = WrapLabelText(text, kEnglish, 1000, FixedPitch);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].length, 1u);
    EXPECT_EQ(lines[1].length, 0u);  // the gap: B lands two lines below A
    EXPECT_EQ(text.substr(lines[2].start, lines[2].length), L"B");
    EXPECT_EQ(Wrap(L"one\n two", kEnglish, 100), (Lines{L"one", L"two"}));
    EXPECT_EQ(Wrap(L"end\n", kEnglish, 100), (Lines{L"end"}));
    EXPECT_TRUE(Wrap(L"", kEnglish, 100).empty());
}

TEST(WrappedLabelLines, AWidthForLessThanTwoCharactersStillAdvancesOneCharacterALine)
{
    EXPECT_EQ(Wrap(L"abc", kEnglish, 1), (Lines{L"a", L"b", L"c"}));
    EXPECT_EQ(Wrap(L"abc", kJapanese, 1), (Lines{L"a", L"b", L"c"}));
    EXPECT_EQ(Wrap(L"ab", kEnglish, 0), (Lines{L"a", L"b"}));
    EXPECT_EQ(Wrap(L"a b", kEnglish, -5), (Lines{L"a", L"b"}));
}

TEST(WrappedLabelLines, ALineWithoutBreakEndsAtTheLineCapacity)
{
    const std::wstring longWord(600, L'w');
    const auto lines = WrapLabelText(longWord, kEnglish, 1 << 30, FixedPitch);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].length, kWrappedLineCapacity);
    EXPECT_EQ(lines[1].start, kWrappedLineCapacity);
    EXPECT_EQ(lines[2].length, 600 - 2 * kWrappedLineCapacity);
}

}  // namespace
