// The version page of the real utility under Wine and Xvfb: the versions of the installed
// files, the firmware as the mixer reports it and while it is unplugged, and the message for
// a broken installation.
#include "tests/support/screen_capture.h"
#include "tests/support/utility_session.h"
#include "page_session.h"

#include "app/setup_binding.h"
#include "strings/string_ids.h"

#include <gtest/gtest.h>

namespace page_test {
namespace {

using rkx::test::CaptureClient;
using rkx::test::Utility;

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RKX-T2";
constexpr int kValueWidth = 50, kLabelHeight = 14;
constexpr uint32_t kPageGrey = 0xE8E8E8;

class VersionPageWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RunVmixctlPumping(L"reset"), 0) << "the virtual mixer must be loaded";
        rkx::test::WriteUserValue(L"Tab", 3);
    }
    void TearDown() override
    {
        utility.Close();
        RunVmixctlPumping(L"reset");
    }
    void StartOnVersionPage()
    {
        ASSERT_TRUE(utility.Start());
        ASSERT_EQ(utility.CurrentTab(), 3);
    }
    static std::wstring Value(const std::wstring& text) { return UiString(kStrVersionValueFormat, text.c_str()); }
    // The value labels come in screen order at each refresh: the firmware's is the last.
    std::wstring ShownFirmware() const
    {
        const std::vector<LabelLog::Label> labels = log.Labels();
        for (auto label = labels.rbegin(); label != labels.rend(); ++label)
            if (label->width == kValueWidth && label->height == kLabelHeight) return label->text;
        return {};
    }
    // The rule between the software versions and the firmware.
    uint32_t RulePixel() const { return CaptureClient(utility.window(), 300, 265, 1, 1).at(0, 0); }

    RegistryValueGuard tab{HKEY_CURRENT_USER, L"Software\\Korvane\\RKX-T2", L"Tab"};
    LabelLog log;
    Utility utility;
};

// The texts the setup library gives for the installed files, asked by this process.
std::wstring LibraryText(int (*query)(int, const wchar_t**))
{
    int product = 0;
    setup::QVR_GetProductId(L"RKX-T2", &product);
    const wchar_t* text = nullptr;
    return query(product, &text) == 100 && text != nullptr ? std::wstring(text) : std::wstring();
}

TEST_F(VersionPageWindow, InstalledVersionsAndFirmwareAreShown)
{
    ASSERT_EQ(config::BindSetupLibrary(), 0);
    const std::wstring versions[] = {
        LibraryText(setup::QVR_GetInstallerVersionText), LibraryText(setup::QVR_GetUtilityVersionText),
        LibraryText(setup::QVR_GetDriverVersionText), LibraryText(setup::QVR_GetLibraryVersionText)};
    for (const std::wstring& version : versions) ASSERT_FALSE(version.empty()) << "the package must be installed";
    ASSERT_EQ(RunVmixctlPumping(L"set 0 firmware 0x0105"), 0);

    ASSERT_NO_FATAL_FAILURE(StartOnVersionPage());
    EXPECT_TRUE(log.Contains(460, kLabelHeight, UiString(kStrTitleFormat, L"RKX-T2")));
    for (const std::wstring& version : versions)
        EXPECT_TRUE(log.Contains(kValueWidth, kLabelHeight, Value(version))) << testing::PrintToString(version);
    EXPECT_EQ(ShownFirmware(), Value(L"1.05"));
    EXPECT_EQ(RulePixel(), 0u) << "the version lines are drawn";

    // Only bits 0 to 11 count; a refresh happens on every switch to the page.
    ASSERT_EQ(RunVmixctlPumping(L"set 0 firmware 0xFA0F"), 0);
    utility.Click(29 + 112 * 2 + 45, 70);
    ASSERT_TRUE(PumpUntil([&] { return utility.CurrentTab() == 2; }));
    utility.Click(29 + 112 * 3 + 45, 70);
    EXPECT_TRUE(PumpUntil([&] { return ShownFirmware() == Value(L"A.0F"); }));

    const ULONGLONG unplugged = GetTickCount64();
    ASSERT_EQ(RunVmixctlPumping(L"unplug 0"), 0);
    EXPECT_TRUE(PumpUntil([&] { return ShownFirmware() == Value(L"*.**"); }));
    std::printf("firmware shown as *.** %llu ms after the unplug command started\n", GetTickCount64() - unplugged);
}

TEST_F(VersionPageWindow, MissingDisplayVersionShowsTheProblemMessageAlone)
{
    RegistryValueGuard displayVersion(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion");
    ASSERT_NO_FATAL_FAILURE(StartOnVersionPage());
    EXPECT_TRUE(log.Contains(500, 40, AsLogged(UiString(kStrDriverProblem))));
    EXPECT_EQ(RulePixel(), kPageGrey) << "no version lines beside the message";
    EXPECT_EQ(CaptureClient(utility.window(), 60, 210, 1, 1).at(0, 0), kPageGrey);
}

}  // namespace
}  // namespace page_test
