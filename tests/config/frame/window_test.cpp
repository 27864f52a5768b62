// The real window under Wine and Xvfb, driven by real input: one copy per session, the saved
// tab and position, tab switching, keys that must not close it, the ASIO control panel's
// request, and the caution symbol while the mixer is unplugged.
#include "tests/support/screen_capture.h"
#include "tests/support/utility_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace rkx::test {
namespace {

constexpr wchar_t kValues[][20] = {L"Tab", L"PosX", L"PosY", L"AsioConfigLaunch"};

class UtilityWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const wchar_t* name : kValues) DeleteUserValue(name);
        ASSERT_EQ(RunVmixctl(L"plug 0"), 0) << "the virtual mixer must be loaded";
    }
    void TearDown() override
    {
        utility.Close();
        RunVmixctl(L"plug 0");
        for (const wchar_t* name : kValues) DeleteUserValue(name);
    }
    // The middle of tab i's label area.
    static POINT TabPoint(int tab) { return {29 + 112 * tab + 45, 70}; }
    void ClickTab(int tab)
    {
        const POINT p = TabPoint(tab);
        utility.Click(p.x, p.y);
    }

    Utility utility;
};

TEST_F(UtilityWindow, SecondStartRaisesTheFirstAndLeavesOneWindow)
{
    ASSERT_TRUE(utility.Start());
    // Another window takes the foreground first.
    struct OwnedWindow {
        HWND handle;
        ~OwnedWindow() { if (handle) DestroyWindow(handle); }
    } owned{CreateWindowExW(0, L"STATIC", L"frame test foreground", WS_POPUP | WS_VISIBLE, 700, 600, 100, 100,
                            nullptr, nullptr, nullptr, nullptr)};
    HWND other = owned.handle;
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other; }));

    rkx::UniqueHandle second = Utility::Launch(L"");
    ASSERT_TRUE(second);
    // This thread owns a window that loses the foreground: it keeps pumping while it waits.
    ASSERT_TRUE(WaitUntil([&] {
        PumpMessages();
        return WaitForSingleObject(second.get(), 0) == WAIT_OBJECT_0;
    })) << "the second copy must end by itself";
    EXPECT_EQ(CountWindowsTitled(ExpectedTitle()), 1);
    EXPECT_TRUE(WaitUntil([&] {
        PumpMessages();
        return GetForegroundWindow() == utility.window();
    })) << "foreground " << GetForegroundWindow() << ", utility " << utility.window() << ", other " << other;
}

TEST_F(UtilityWindow, TabAndPositionAreRestoredAndSavedOnClose)
{
    WriteUserValue(L"Tab", 2);
    WriteUserValue(L"PosX", 40);
    WriteUserValue(L"PosY", 60);
    ASSERT_TRUE(utility.Start());
    RECT rect{};
    GetWindowRect(utility.window(), &rect);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 60);
    RECT client{};
    GetClientRect(utility.window(), &client);
    EXPECT_EQ(client.right, 596);
    EXPECT_EQ(client.bottom, 556);
    // Read from the screen: give a picture caught mid-update another look.
    EXPECT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 2; }, 3000)) << "tab " << utility.CurrentTab();

    SetWindowPos(utility.window(), nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ClickTab(3);
    ASSERT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 3; }));
    ASSERT_TRUE(utility.Close());
    EXPECT_EQ(ReadUserValue(L"Tab"), 3u);
    EXPECT_EQ(ReadUserValue(L"PosX"), 120u);
    EXPECT_EQ(ReadUserValue(L"PosY"), 90u);
    EXPECT_EQ(ReadUserValue(L"AsioConfigLaunch"), 0u);
}

TEST_F(UtilityWindow, OutOfRangeTabAndOffScreenPositionFallBackToDefaults)
{
    WriteUserValue(L"Tab", 7);
    WriteUserValue(L"PosX", 5000);
    WriteUserValue(L"PosY", 100);
    ASSERT_TRUE(utility.Start());
    RECT rect{};
    GetWindowRect(utility.window(), &rect);
    EXPECT_LT(rect.left, 1280) << "a window wholly off the desktop keeps its default position";
    EXPECT_EQ(utility.CurrentTab(), 0);
}

TEST_F(UtilityWindow, AutoStartOpensTheOutputPageWhateverTheSavedTab)
{
    WriteUserValue(L"Tab", 2);
    ASSERT_TRUE(utility.Start(L"-AutoS-1-5-21-0-0-0-1000"));
    EXPECT_EQ(utility.CurrentTab(), 1);
}

TEST_F(UtilityWindow, ClickingTabsSwitchesPages)
{
    ASSERT_TRUE(utility.Start());
    ASSERT_EQ(utility.CurrentTab(), 0);
    for (int tab : {1, 2, 3, 0, 2}) {
        ClickTab(tab);
        EXPECT_TRUE(WaitUntil([&] { return utility.CurrentTab() == tab; })) << "tab " << tab;
    }
    // Tab 3's raised edge: x 130 belongs to tab 0 only while tab 1 is not current.
    ClickTab(1);
    ASSERT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 1; }));
    utility.Click(130, 70);
    ClickTab(1);  // a click on the current tab does nothing; it marks that the one before was handled
    utility.Click(470, 70);  // outside every tab
    ClickTab(2);
    ASSERT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 2; }));
    utility.Click(130, 70);
    EXPECT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 0; }));
}

TEST_F(UtilityWindow, EscapeAndReturnNeverCloseTheWindow)
{
    ASSERT_TRUE(utility.Start());
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == utility.window(); }));
    for (int round = 0; round < 3; ++round) {
        utility.PressKey(VK_ESCAPE);
        utility.PressKey(VK_RETURN);
    }
    // Input is handled in order: once this click has switched the tab, the keys were seen.
    ClickTab(3);
    ASSERT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 3; }));
    EXPECT_TRUE(IsWindow(utility.window()));
    EXPECT_TRUE(IsWindowVisible(utility.window()));
}

TEST_F(UtilityWindow, AsioControlPanelRequestSwitchesOnceAndKeepsTheWindowOnTop)
{
    ASSERT_TRUE(utility.Start());
    ASSERT_EQ(utility.CurrentTab(), 0);
    WriteUserValue(L"AsioConfigLaunch", 1);
    ASSERT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 2; }));
    EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongW(utility.window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));

    // The user's choice wins afterwards; the window still restores itself from minimised.
    ClickTab(0);
    ASSERT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 0; }));
    ShowWindow(utility.window(), SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(utility.window()); }));
    ASSERT_TRUE(WaitUntil([&] { return !IsIconic(utility.window()); })) << "a request restores the window";
    EXPECT_TRUE(WaitUntil([&] { return utility.CurrentTab() >= 0; }));
    EXPECT_EQ(utility.CurrentTab(), 0);

    ASSERT_TRUE(utility.Close());
    EXPECT_EQ(ReadUserValue(L"AsioConfigLaunch"), 0u);
}

TEST_F(UtilityWindow, UnpluggingTheMixerMakesTheCautionSymbolBlink)
{
    ASSERT_TRUE(utility.Start());
    ASSERT_EQ(utility.CurrentTab(), 0);
    const Capture plugged = CaptureClient(utility.window(), 238, 175, 24, 24);
    ASSERT_EQ(RunVmixctl(L"unplug 0"), 0);
    // Symbol shown, then hidden again: two different pictures, one of them the plain background.
    Capture shown;
    ASSERT_TRUE(WaitUntil([&] {
        shown = CaptureClient(utility.window(), 238, 175, 24, 24);
        return !(shown == plugged);
    })) << "the caution symbol never appeared";
    EXPECT_TRUE(WaitUntil([&] { return CaptureClient(utility.window(), 238, 175, 24, 24) == plugged; }))
        << "the caution symbol never went away";
    EXPECT_TRUE(WaitUntil([&] { return CaptureClient(utility.window(), 238, 175, 24, 24) == shown; }))
        << "the caution symbol did not come back";

    ASSERT_EQ(RunVmixctl(L"plug 0"), 0);
    // Plugged again: the symbol stays away.
    EXPECT_TRUE(WaitUntil([&] { return CaptureClient(utility.window(), 238, 175, 24, 24) == plugged; }));
}

TEST_F(UtilityWindow, TitleFollowsTheInstallationLanguage)
{
    const std::optional<DWORD> installed = ReadInstallLanguage();
    for (DWORD language : {0x0407u, 0x0411u, 0x0419u, 0x0409u}) {
        WriteInstallLanguage(language);
        const std::wstring title = ExpectedTitle();
        ASSERT_FALSE(title.empty());
        ASSERT_TRUE(utility.Start()) << "no window titled for language " << language;
        wchar_t text[256];
        GetWindowTextW(utility.window(), text, 256);
        EXPECT_EQ(title, text);
        ASSERT_TRUE(utility.Close());
    }
    WriteInstallLanguage(installed.value_or(1033));
}

}  // namespace
}  // namespace rkx::test

namespace rkx::test {
namespace {

struct TextBox {
    int left = 1 << 30, right = -1, pixels = 0;
};

bool Differs(uint32_t a, uint32_t b)
{
    auto channel = [](uint32_t v, int shift) { return static_cast<int>((v >> shift) & 0xFF); };
    int sum = 0;
    for (int shift : {0, 8, 16}) sum += std::abs(channel(a, shift) - channel(b, shift));
    return sum > 120;
}

// Text pixels of a band: those that differ from the same row's pixel in the band's first
// column (the artwork behind a label varies from row to row, not along it).
TextBox FindText(const Capture& capture, int x, int y, int w, int h)
{
    TextBox box;
    for (int row = y; row < y + h; ++row)
        for (int column = x + 1; column < x + w; ++column)
            if (Differs(capture.at(column, row), capture.at(x, row))) {
                ++box.pixels;
                box.left = std::min(box.left, column);
                box.right = std::max(box.right, column);
            }
    return box;
}

TEST_F(UtilityWindow, TitleBandShowsEveryTabLabelWholeAndCentred)
{
    ASSERT_TRUE(utility.Start());
    const Capture band = CaptureClient(utility.window(), 0, 0, 596, 85);
    for (int tab = 0; tab < 4; ++tab) {
        const int left = 29 + 112 * tab + 1;
        const TextBox text = FindText(band, left, 64, 88, 14);
        EXPECT_GT(text.pixels, 20) << "no text on tab " << tab;
        // Centred in the piece, and a 12-pixel line: nothing above or below the label's rows
        // (a wrong font or a label drawn off its place shows there).
        EXPECT_LE(std::abs((text.left - left) - (left + 88 - 1 - text.right)), 3) << "tab " << tab;
        EXPECT_EQ(FindText(band, left, 59, 88, 4).pixels, 0) << "tab " << tab;
        EXPECT_EQ(FindText(band, left, 79, 88, 5).pixels, 0) << "tab " << tab;
    }
    // The connection label of the input page, inside its box.
    const Capture page = CaptureClient(utility.window(), 0, 0, 596, 556);
    const TextBox connection = FindText(page, 262, 178, 82, 14);
    EXPECT_GT(connection.pixels, 20);
    EXPECT_LT(connection.right, 262 + 81);
}

}  // namespace
}  // namespace rkx::test
