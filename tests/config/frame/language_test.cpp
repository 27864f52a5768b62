// Which string table a text comes from, and what the real tables give through that choice.
#include "app/ui_language.h"
#include "app/ui_strings.h"
#include "strings/string_ids.h"

#include <gtest/gtest.h>

using config::StringTableLanguage;

namespace {

std::wstring TextFor(DWORD installLanguage, UINT id)
{
    return config::LoadStringOfLanguage(GetModuleHandleW(nullptr), StringTableLanguage(installLanguage, id), id);
}

TEST(UiLanguage, TranslatedTextsFollowThePrimaryLanguage)
{
    struct Case {
        DWORD installed;
        LANGID table;
    } cases[] = {
        {9, 1033},      {0x0409, 1033}, {0x0809, 1033}, {0x0407, 1031}, {0x0807, 1031}, {0x0C0A, 3082},
        {0x040A, 3082}, {0x040C, 1036}, {0x0410, 1040}, {0x0411, 1041}, {0x0412, 1042}, {0x0413, 1043},
        {0x0816, 2070}, {0x0416, 2070}, {0x0419, 1049}, {0x0404, 1028}, {0x0804, 2052}, {0x0C04, 0x0C04},
        {0x0415, 1033}, {0, 1033},
    };
    for (const Case& c : cases) EXPECT_EQ(StringTableLanguage(c.installed, 252), c.table) << std::hex << c.installed;
}

TEST(UiLanguage, LabelsUpToTwoHundredAlwaysComeFromTheJapaneseTable)
{
    for (DWORD installed : {9u, 0x0407u, 0x0404u, 0x0C04u, 0x0419u}) {
        EXPECT_EQ(StringTableLanguage(installed, 200), 1041);
        EXPECT_EQ(StringTableLanguage(installed, 53), 1041);
    }
    EXPECT_EQ(StringTableLanguage(0x0407, 201), 1031);
}

TEST(UiLanguage, EastAsianLanguagesAndBoldFonts)
{
    EXPECT_TRUE(config::IsEastAsianLanguage(0x0404));
    EXPECT_TRUE(config::IsEastAsianLanguage(0x0411));
    EXPECT_TRUE(config::IsEastAsianLanguage(0x0412));
    EXPECT_FALSE(config::IsEastAsianLanguage(0x0409));
    EXPECT_TRUE(config::UsesBoldUiFonts(0x0804));
    EXPECT_TRUE(config::UsesBoldUiFonts(0x0412));
    EXPECT_FALSE(config::UsesBoldUiFonts(0x0411));  // Japanese stays normal weight
    EXPECT_FALSE(config::UsesBoldUiFonts(0x0407));
}

TEST(UiStrings, AsioTabIsTheSameInEveryLanguage)
{
    for (LANGID language : kUiLanguages) EXPECT_EQ(TextFor(language, kStrTabAsio), L"ASIO") << language;
    EXPECT_EQ(TextFor(0x0C04, kStrTabAsio), L"ASIO");
}

TEST(UiStrings, MissingLanguageValueGivesEnglishAndGermanGivesGerman)
{
    const std::wstring english = TextFor(config::kDefaultInstallLanguage, kStrTitleFormat);
    EXPECT_EQ(english, L"%s Setting Utility");
    const std::wstring german = TextFor(0x0407, kStrTitleFormat);
    EXPECT_FALSE(german.empty());
    EXPECT_NE(german, english);
}

TEST(UiStrings, ChineseWithoutATableGivesEmptyMessagesButKeepsLabels)
{
    EXPECT_TRUE(TextFor(0x0C04, kStrTitleFormat).empty());
    EXPECT_FALSE(TextFor(0x0404, kStrTitleFormat).empty());
    EXPECT_FALSE(TextFor(0x0804, kStrTitleFormat).empty());
    EXPECT_EQ(TextFor(0x0C04, kStrConnected), L"Connected");
}

TEST(UiStrings, EveryEntryOfABlockIsReachable)
{
    // 252 is entry 12 of block 16: walking the entries before it must land exactly on it.
    const HMODULE self = GetModuleHandleW(nullptr);
    EXPECT_EQ(config::LoadStringOfLanguage(self, 1033, kStrTitleFormat), L"%s Setting Utility");
    EXPECT_EQ(config::LoadStringOfLanguage(self, 1041, kStrTabMixerInput), L"MIXER INPUT");
    EXPECT_EQ(config::LoadStringOfLanguage(self, 1041, kStrTabAbout), L"About");
    EXPECT_TRUE(config::LoadStringOfLanguage(self, 1041, kStrSelectorNone).empty());
    EXPECT_TRUE(config::LoadStringOfLanguage(self, 1033, 4000).empty());  // no such block
    // The font face exists only in the East Asian tables.
    EXPECT_TRUE(config::LoadStringOfLanguage(self, 1033, kStrFontFace).empty());
    EXPECT_EQ(config::LoadStringOfLanguage(self, 1041, kStrFontFace), L"MS UI Gothic");
}

TEST(UiStrings, BufferFormIsCutAndTerminated)
{
    // Readable through the buffer form whatever the installation language says.
    wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
    config::LoadUiString(kStrTabMixerInput, buffer, 4);
    EXPECT_EQ(std::wstring(buffer), L"MIX");
    wchar_t untouched = L'z';
    config::LoadUiString(kStrTabMixerInput, &untouched, 0);
    EXPECT_EQ(untouched, L'z');
}

}  // namespace
