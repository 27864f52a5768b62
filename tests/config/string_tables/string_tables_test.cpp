// The utility's string tables as built into a program: which table holds which identifier,
// the quoted wordings, and that translations keep what the code fills in.
#include "config/strings/string_ids.h"
#include "tests/config/string_tables/expected_tables.h"
#include "tests/config/string_tables/string_table_reader.h"
#include "tests/config/string_tables/text_signature.h"
#include "tests/support/text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace strings_test {
namespace {

std::wstring TextOf(LANGID language, UINT id)
{
    return FindTableString(language, id).value_or(L"");
}

TEST(StringTables, EveryTableHoldsExactlyItsIdentifiers)
{
    const auto all = AllTableStrings();
    std::set<LANGID> languages;
    for (const auto& [language, entries] : all) languages.insert(language);
    EXPECT_EQ(languages, std::set<LANGID>(std::begin(kUiLanguages), std::end(kUiLanguages)))
        << "a LANGUAGE statement names a table the utility never reads";

    for (LANGID language : kUiLanguages) {
        std::set<UINT> held;
        if (auto found = all.find(language); found != all.end()) {
            for (const auto& [id, text] : found->second) held.insert(id);
        }
        const std::set<UINT> expected = ExpectedIds(language);
        for (UINT id : expected) {
            EXPECT_TRUE(held.count(id)) << "table " << language << " lacks " << id;
        }
        for (UINT id : held) {
            EXPECT_TRUE(expected.count(id)) << "table " << language << " holds stray " << id;
        }
    }
}

TEST(StringTables, BlockLookupOfTheExactLanguageFindsEveryText)
{
    for (LANGID language : kUiLanguages) {
        for (UINT id : ExpectedIds(language)) {
            EXPECT_FALSE(TextOf(language, id).empty()) << "table " << language << ", id " << id;
        }
    }
    // No fallback: a label asked of any table but the label table is empty.
    for (LANGID language : kUiLanguages) {
        if (language == kLabelLanguage) continue;
        EXPECT_EQ(TextOf(language, kStrTabAsio), L"") << language;
        EXPECT_EQ(TextOf(language, kStrConnected), L"") << language;
    }
    EXPECT_EQ(TextOf(kLabelLanguage, kStrSelectorNone), L"");
    EXPECT_FALSE(FindTableString(0x0C04, kStrTitleFormat).has_value())
        << "a Chinese language without a table must find nothing";
}

TEST(StringTables, QuotedWordingsAreExact)
{
    struct Quoted {
        LANGID language;
        UINT id;
        const wchar_t* text;
    };
    const Quoted quoted[] = {
        {1041, kStrTabMixerInput, L"MIXER INPUT"},   {1041, kStrTabMixerOutput, L"MIXER OUTPUT"},
        {1041, kStrTabAsio, L"ASIO"},                {1041, kStrTabAbout, L"About"},
        {1041, kStrSelectorLine, L"LINE"},           {1041, kStrSelectorLine2, L"LINE"},
        {1041, kStrSelectorDigital, L"DIGITAL"},     {1041, kStrSelectorPhono, L"PHONO"},
        {1041, kStrSelectorUsb, L"USB"},             {1041, kStrSelectorCd, L"CD"},
        {1041, kStrSelectorUsbA, L"USB-A"},          {1041, kStrSelectorUsbB, L"USB-B"},
        {1041, kStrSelectorReturnAux, L"RETURN AUX"}, {1041, kStrSelectorLine3, L"LINE"},
        {1041, kStrRowDeck1, L"DECK 1/A :"},         {1041, kStrRowDeck2, L"DECK 2/B :"},
        {1041, kStrRowSampler, L"SAMPLER :"},        {1041, kStrRowRec, L"REC :"},
        {1041, kStrPairUsb12, L"USB1/2 :"},          {1041, kStrPairUsb34, L"USB3/4 :"},
        {1041, kStrPairUsb56, L"USB5/6 :"},
        {1041, kStrHeadingSoftwareInput, L"DJ/Production Software Audio Input"},
        {1041, kStrHeadingMixerOutput, L"Mixer Audio Output"},
        {1041, kStrHeadingUsbOutputLevel, L"USB Output Level"},
        {1041, kStrConnected, L"Connected"},         {1041, kStrNotConnected, L"Not Connected"},
        {1041, kStrHeadingSoftwareOutput, L"DJ/Production Software Audio Output"},
        {1041, kStrHeadingMixerInput, L"Mixer Audio Input"},
        {1033, kStrSamplingRate, L"Sampling Rate"},  {1033, kStrRateFormat, L"%dHz"},
        {1033, kStrBufferSize, L"Buffer Size"},      {1033, kStrSamplesFormat, L"%d Sample"},
        {1033, kStrLatency, L"Latency"},             {1033, kStrLatencyFormat, L"%d.%dmsec"},
        {1033, kStrStandardSetting, L"Standard Setting"},
        {1033, kStrAsioNotInstalled, L"\n\nThe %s ASIO drivers have not been installed."},
        {1033, kStrDriverProblem,
         L"There is a problem with the driver configuration. Please reinstall the drivers."},
        {1033, kStrTitleFormat, L"%s Setting Utility"},
        {1033, kStrUtilityVersion, L"Utility Version"}, {1033, kStrDriverVersion, L"Driver Version"},
        {1033, kStrDllVersion, L"DLL Version"},      {1033, kStrFirmwareVersion, L"Firmware Version"},
        {1033, kStrVersionValueFormat, L": %ws"},    {1033, kStrVersion, L"Version"},
        {1028, kStrFontFace, L"MingLiU"},            {1041, kStrFontFace, L"MS UI Gothic"},
        {1042, kStrFontFace, L"Gulim"},              {2052, kStrFontFace, L"SimSun"},
    };
    for (const Quoted& q : quoted) {
        EXPECT_EQ(TextOf(q.language, q.id), q.text) << "table " << q.language << ", id " << q.id;
    }

    // The routing pages show channel labels cut before their first space.
    const wchar_t* channels[] = {L"CH1", L"CH2", L"AUX"};
    for (UINT c = 0; c < 3; ++c) {
        const std::wstring label = TextOf(kLabelLanguage, kStrChannelCh1 + c);
        EXPECT_EQ(label.substr(0, label.find(L' ')), channels[c]);
    }
}

TEST(StringTables, NonLatinTextsSurviveTheBuildIntact)
{
    EXPECT_EQ(TextOf(1041, kStrTitleFormat), L"%s 設定ユーティリティ");
    EXPECT_EQ(TextOf(2052, kStrDriverProblem), L"驱动程序配置有问题。请重新安装驱动程序。");
    EXPECT_EQ(TextOf(1028, kStrFirmwareVersion), L"韌體版本");
    EXPECT_EQ(TextOf(1042, kStrStandardSetting), L"표준 설정");
    EXPECT_EQ(TextOf(1049, kStrAsioNotInstalled), L"\n\nДрайверы ASIO для %s не установлены.");
    EXPECT_EQ(TextOf(1031, kStrBufferSize), L"Puffergröße");
    EXPECT_EQ(TextOf(kNoticeLineLanguage, kStrNoticeLine).rfind(L"\u00A9 ", 0), 0u)
        << rkx::test::Utf8(TextOf(kNoticeLineLanguage, kStrNoticeLine));
}

TEST(StringTables, TranslationsKeepFormatSpecifiersAndLineFeeds)
{
    for (UINT id : kMessageIds) {
        const TextSignature english = SignatureOf(TextOf(1033, id));
        for (LANGID language : kUiLanguages) {
            const std::wstring text = TextOf(language, id);
            const TextSignature translated = SignatureOf(text);
            EXPECT_EQ(translated.specifiers, english.specifiers)
                << "table " << language << ", id " << id << ": " << rkx::test::Utf8(text);
            EXPECT_EQ(translated.lineFeeds, english.lineFeeds) << "table " << language << ", id " << id;
            EXPECT_EQ(translated.leadingLineFeeds, english.leadingLineFeeds)
                << "table " << language << ", id " << id;
        }
    }
}

TEST(StringTables, TextsHaveNoStrayWhitespace)
{
    // A leading or doubled space becomes a visible indent in a wrapped label; a trailing one
    // shifts centred text.
    for (const auto& [language, entries] : AllTableStrings()) {
        for (const auto& [id, text] : entries) {
            EXPECT_NE(text.front(), L' ') << language << "/" << id;
            EXPECT_NE(text.back(), L' ') << language << "/" << id;
            EXPECT_EQ(text.find(L"  "), std::wstring::npos) << language << "/" << id;
            EXPECT_EQ(text.find(L'\r'), std::wstring::npos) << language << "/" << id;
        }
    }
}

TEST(TextSignature, FindsSpecifiersInOrderAndSkipsPercentSigns)
{
    EXPECT_EQ(SignatureOf(L"%d.%dmsec").specifiers, (std::vector<std::wstring>{L"%d", L"%d"}));
    EXPECT_EQ(SignatureOf(L"%01X.%02X").specifiers, (std::vector<std::wstring>{L"%01X", L"%02X"}));
    EXPECT_EQ(SignatureOf(L": %ws").specifiers, (std::vector<std::wstring>{L"%ws"}));
    EXPECT_TRUE(SignatureOf(L"100%% sure").specifiers.empty());
    const TextSignature twoBlankLines = SignatureOf(L"\n\nA\nB");
    EXPECT_EQ(twoBlankLines.lineFeeds, 3);
    EXPECT_EQ(twoBlankLines.leadingLineFeeds, 2);
}

}  // namespace
}  // namespace strings_test
