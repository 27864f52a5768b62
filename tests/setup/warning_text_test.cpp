// The routing warning text: the language argument and the installed language choose the table.
#include <gtest/gtest.h>

#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

constexpr wchar_t kMachineKey[] = L"Software\\Korvane\\RKX-T2";
constexpr wchar_t kEnglish[] =
    L"When Control Tone is selected, select \"USB\" for the desired channel input selector switch(es) on the mixer.";
constexpr wchar_t kGerman[] =
    L"Wenn Control Tone ausgew\u00e4hlt ist, w\u00e4hlen Sie \u201eUSB\u201c f\u00fcr den jeweiligen "
    L"Kanal-Eingangsw\u00e4hler am Mischpult.";
constexpr wchar_t kJapanese[] =
    L"Control Tone\u3092\u9078\u629e\u3057\u305f\u5834\u5408\u3001\u30df\u30ad\u30b5\u30fc\u672c\u4f53\u306e\u5404"
    L"\u30c1\u30e3\u30f3\u30cd\u30eb\u5165\u529b\u9078\u629e\u30b9\u30a4\u30c3\u30c1\u3067USB\u3092\u9078\u629e"
    L"\u3057\u3066\u304f\u3060\u3055\u3044\u3002";
constexpr wchar_t kSimplifiedChinese[] =
    L"\u5f53\u9009\u62e9Control Tone\u65f6\uff0c\u8bf7\u5728\n\u6df7\u97f3\u5668\u4e0a\u4e3a\u6240\u9700\u7684"
    L"\u58f0\u9053\u8f93\n\u5165\u9009\u62e9\u5668\u5f00\u5173\u9009\u62e9\u201cUSB\u201d\u3002";

// Sets "InstallLanguage" for one test and restores what the installation wrote.
class WarningText : public SetupTest {
protected:
    void SetUp() override
    {
        SetupTest::SetUp();
        DWORD bytes = sizeof(saved_);
        hadValue_ = RegGetValueW(HKEY_LOCAL_MACHINE, kMachineKey, L"InstallLanguage", RRF_RT_REG_DWORD, nullptr, &saved_,
                                 &bytes) == ERROR_SUCCESS;
    }
    void TearDown() override
    {
        if (hadValue_) SetInstallLanguage(saved_);
        SetupTest::TearDown();
    }
    void SetInstallLanguage(DWORD language)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kMachineKey, L"InstallLanguage", REG_DWORD, &language, sizeof(language)),
                  ERROR_SUCCESS);
    }
    std::wstring Text(int language, int channel = 0, int selectorType = 0)
    {
        const wchar_t* text = nullptr;
        EXPECT_EQ(QVR_GetWarningTextForSetUSBAudioInput(kProduct, channel, 101, language, &text, selectorType), 100);
        return text ? text : L"";
    }
    DWORD saved_ = 0;
    bool hadValue_ = false;
};

TEST_F(WarningText, InstalledLanguageChoosesTheTableWhenTheArgumentIs99)
{
    const struct {
        DWORD installLanguage;
        const wchar_t* text;
    } kCases[] = {
        {1031, kGerman}, {2052, kSimplifiedChinese}, {1041, kJapanese}, {3081, kEnglish}, {9, kEnglish},
        {1053, kEnglish},
        // A Chinese identifier whose table we do not hold falls back to English.
        {3076, kEnglish},
    };
    for (const auto& c : kCases) {
        SetInstallLanguage(c.installLanguage);
        EXPECT_EQ(Text(99), c.text) << c.installLanguage;
    }
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMachineKey, L"InstallLanguage"), ERROR_SUCCESS);
    EXPECT_EQ(Text(99), kEnglish);
}

TEST_F(WarningText, LanguageArgumentOverridesAndChannelOrSelectorTypeDoNot)
{
    SetInstallLanguage(1031);
    EXPECT_EQ(Text(1, 0, 1), kJapanese);
    EXPECT_EQ(Text(0, 3, 2), kEnglish);
    EXPECT_EQ(Text(3), kGerman);
    EXPECT_EQ(Text(9, 2, 0), kSimplifiedChinese);
    EXPECT_EQ(Text(-1), kGerman);
}

TEST_F(WarningText, EveryLanguageHasItsOwnNonEmptyText)
{
    std::vector<std::wstring> seen;
    for (int language = 0; language < 12; ++language) {
        const std::wstring text = Text(language);
        EXPECT_NE(text.find(L"USB"), std::wstring::npos) << language;
        EXPECT_EQ(text.find(L"USB-"), std::wstring::npos) << language;
        for (const auto& other : seen) EXPECT_NE(text, other) << language;
        seen.push_back(text);
    }
}

}  // namespace
}  // namespace rkx::setup::test
