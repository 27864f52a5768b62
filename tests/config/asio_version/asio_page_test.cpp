// The ASIO page of the real utility under Wine and Xvfb, driven by real pointer input: what
// it shows for stored buffer sizes, the knob and "Standard Setting", the reset request a
// streaming host receives, and the page without an installed driver.
#include "tests/support/screen_capture.h"
#include "tests/support/utility_session.h"
#include "page_session.h"

#include "asio/iasio.h"
#include "common/unique_handle.h"
#include "asio_rig_host.h"
#include "pages/asio_page_rules.h"
#include "strings/string_ids.h"
#include "tests/support/build_names.h"
#include "tests/support/window_thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace page_test {
namespace {

using config::asio_page::KnobLeft;
using rkx::test::CaptureClient;
using rkx::test::Utility;

constexpr wchar_t kKey32[] = L"RKX-T2 ASIO";
constexpr wchar_t kKey64[] = L"RKX-T2 ASIO 64bit";
// The list entry of the driver this build's utility looks for.
const std::wstring kListedDriverKeyPath = std::wstring(L"SOFTWARE\\ASIO\\") + rkx::test::kAsioKeyNameW;
const wchar_t* const kListedDriverKey = kListedDriverKeyPath.c_str();
constexpr uint32_t kPageGrey = 0xE8E8E8;
constexpr int kKnobGrabY = 397;
constexpr POINT kButtonMiddle{297, 472};
constexpr int kSampleWidth = 116, kLabelHeight = 14;
// Stands in the 64-bit key where a test expects it untouched (the utility's own check creates
// the driver, which would add the key with 4 where it is missing).
constexpr DWORD kUntouched64 = 17;

// The utility writes the 64-bit driver's key only on 64-bit Windows: what that key holds after
// a change of `written` when it held `before`.
DWORD Key64After(DWORD written, DWORD before)
{
    BOOL wow64 = FALSE;
    const bool windows64 = sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
    return windows64 ? written : before;
}
// The key the driver of this test's own build reads.
const wchar_t* const kOwnKey = sizeof(void*) == 8 ? kKey64 : kKey32;

class AsioPageWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RunVmixctlPumping(L"plug 0"), 0) << "the virtual mixer must be loaded";
        rkx::test::WriteUserValue(L"Tab", 2);
        DeleteDriverValue(kKey32, L"blockNum");
        WriteDriverValue(kKey64, L"blockNum", kUntouched64);
    }
    void TearDown() override
    {
        utility.Close();
        RunVmixctlPumping(L"plug 0");
    }

    void StartOnAsioPage()
    {
        ASSERT_TRUE(utility.Start());
        ASSERT_EQ(utility.CurrentTab(), 2);
    }
    // The latest "N Sample" label.
    std::wstring ShownSamples() const
    {
        const auto label = log.Last(kSampleWidth, kLabelHeight, samplesPattern);
        return label ? label->text : std::wstring();
    }
    std::wstring Samples(int blocks) const { return config::asio_page::FormatIntegers(samplesPattern, {64 * blocks}); }
    // Every input sent so far has been handled once a click on the version tab shows it.
    void WaitUntilInputHandled()
    {
        utility.Click(29 + 112 * 3 + 45, 70);
        ASSERT_TRUE(PumpUntil([&] { return utility.CurrentTab() == 3; }));
    }
    // Knob pixels drawn in the columns right of the slider, where a stored 40 puts it.
    bool KnobBeyondTheTrack() const
    {
        const rkx::test::Capture area = CaptureClient(utility.window(), 552, 386, 4, 24);
        for (uint32_t pixel : area.pixels)
            if (pixel != kPageGrey) return true;
        return false;
    }
    // The page's outline at its left edge, black unless veiled.
    uint32_t OutlinePixel() const { return CaptureClient(utility.window(), 38, 400, 1, 1).at(0, 0); }

    // What the test changes goes back as it was.
    RegistryValueGuard tab{HKEY_CURRENT_USER, L"Software\\Korvane\\RKX-T2", L"Tab"};
    RegistryValueGuard blocks32{HKEY_CURRENT_USER, L"SOFTWARE\\RKX-T2 ASIO", L"blockNum"};
    RegistryValueGuard blocks64{HKEY_CURRENT_USER, L"SOFTWARE\\RKX-T2 ASIO 64bit", L"blockNum"};
    const std::wstring samplesPattern = UiString(kStrSamplesFormat);
    LabelLog log;
    Utility utility;
};

TEST_F(AsioPageWindow, StoredBlockCountsAreShownAsTheDriverAcceptsThem)
{
    struct Case {
        std::optional<DWORD> stored;
        int shown;
    };
    for (const Case& c : {Case{0, 4}, Case{std::nullopt, 4}, Case{65, 4}, Case{40, 40}}) {
        SCOPED_TRACE(c.stored ? std::to_string(*c.stored) : std::string("missing"));
        if (c.stored)
            WriteDriverValue(kKey32, L"blockNum", *c.stored);
        else
            DeleteDriverValue(kKey32, L"blockNum");
        ASSERT_NO_FATAL_FAILURE(StartOnAsioPage());
        EXPECT_EQ(ShownSamples(), Samples(c.shown));
        EXPECT_EQ(KnobBeyondTheTrack(), c.shown == 40) << "knob at x " << KnobLeft(c.shown);
        EXPECT_EQ(OutlinePixel(), 0u) << "nothing veils the page";
        // Showing writes nothing.
        EXPECT_EQ(ReadDriverValue(kKey32, L"blockNum"), c.stored);
        ASSERT_TRUE(utility.Close());
    }
}

TEST_F(AsioPageWindow, DraggingTheKnobWritesTheKeysOfThisWindowsAndStaysWithinTheSlider)
{
    WriteDriverValue(kKey32, L"blockNum", 4);
    ASSERT_NO_FATAL_FAILURE(StartOnAsioPage());
    const Pointer pointer(utility.window());

    pointer.Drag(KnobLeft(4) + 4, kKnobGrabY, 600);
    EXPECT_TRUE(PumpUntil([&] { return ShownSamples() == Samples(30); }))
        << "shown: " << testing::PrintToString(ShownSamples());
    EXPECT_TRUE(PumpUntil([&] {
        return ReadDriverValue(kKey32, L"blockNum") == 30u &&
               ReadDriverValue(kKey64, L"blockNum") == Key64After(30, kUntouched64);
    }));

    pointer.Drag(KnobLeft(30) + 4, kKnobGrabY, -300);
    EXPECT_TRUE(PumpUntil([&] { return ShownSamples() == Samples(1); }));
    EXPECT_TRUE(PumpUntil([&] {
        return ReadDriverValue(kKey32, L"blockNum") == 1u &&
               ReadDriverValue(kKey64, L"blockNum") == Key64After(1, kUntouched64);
    }));
}

TEST_F(AsioPageWindow, StandardSettingAppliesOnlyWhenReleasedOnTheButton)
{
    WriteDriverValue(kKey32, L"blockNum", 10);
    ASSERT_NO_FATAL_FAILURE(StartOnAsioPage());
    const Pointer pointer(utility.window());

    pointer.Press(kButtonMiddle.x, kButtonMiddle.y);
    pointer.MoveTo(kButtonMiddle.x, kButtonMiddle.y + 50);
    pointer.Release();
    ASSERT_NO_FATAL_FAILURE(WaitUntilInputHandled());
    EXPECT_EQ(ReadDriverValue(kKey32, L"blockNum"), 10u);
    EXPECT_EQ(ReadDriverValue(kKey64, L"blockNum"), kUntouched64);
    EXPECT_EQ(ShownSamples(), Samples(10));

    utility.Click(29 + 112 * 2 + 45, 70);
    ASSERT_TRUE(PumpUntil([&] { return utility.CurrentTab() == 2; }));
    utility.Click(kButtonMiddle.x, kButtonMiddle.y);
    EXPECT_TRUE(PumpUntil([&] {
        return ReadDriverValue(kKey32, L"blockNum") == 4u &&
               ReadDriverValue(kKey64, L"blockNum") == Key64After(4, kUntouched64);
    }));
    EXPECT_TRUE(PumpUntil([&] { return ShownSamples() == Samples(4); }));
}

// A host of this process streams through the installed driver of its build, as a DJ program does.
class AsioPageWithHost : public AsioPageWindow {
protected:
    void SetUp() override
    {
        AsioPageWindow::SetUp();
        WriteDriverValue(kKey32, L"blockNum", 4);
        WriteDriverValue(kKey64, L"blockNum", 4);
        ASSERT_TRUE(host.Start()) << host.error();
        ASSERT_EQ(host.bufferFrames(), 256);
    }
    void TearDown() override
    {
        AsioPageWindow::TearDown();
        host.Stop();
    }
    RigHost host;
};

TEST_F(AsioPageWithHost, ChangeMakesTheHostResetOnceAndStreamAtTheNewSize)
{
    ASSERT_NO_FATAL_FAILURE(StartOnAsioPage());
    // Eight blocks: 27 pixels are four steps of six wherever the pointer lands within a pixel.
    Pointer(utility.window()).Drag(KnobLeft(4) + 4, kKnobGrabY, 27);
    ASSERT_NO_FATAL_FAILURE(WaitUntilInputHandled());
    EXPECT_EQ(ReadDriverValue(kOwnKey, L"blockNum"), 8u);
    EXPECT_EQ(host.resetRequests(), 1) << "one request at the end of the gesture, none while dragging";

    // What a host does on the request: the driver is made anew and reads the new size.
    host.Stop();
    ASSERT_TRUE(host.Start()) << host.error();
    EXPECT_EQ(host.bufferFrames(), 512);
    EXPECT_EQ(host.resetRequests(), 0);
}

TEST_F(AsioPageWithHost, UnpluggedMixerGetsTheValueWrittenButNotAnnounced)
{
    // Unplugged before the utility starts, so the drag cannot meet the utility still taking in
    // the device change (a race the slow 32-bit rig has shown).
    ASSERT_EQ(RunVmixctlPumping(L"unplug 0"), 0);
    ASSERT_NO_FATAL_FAILURE(StartOnAsioPage());
    Pointer(utility.window()).Drag(KnobLeft(4) + 4, kKnobGrabY, 27);
    ASSERT_NO_FATAL_FAILURE(WaitUntilInputHandled());
    EXPECT_EQ(ReadDriverValue(kKey32, L"blockNum"), 8u);
    EXPECT_EQ(ReadDriverValue(kKey64, L"blockNum"), Key64After(8, 4));
    EXPECT_NE(FindWindowW(L"RKX_T2_Asio_WndProc", nullptr), nullptr) << "the driver's window is there to be told";
    EXPECT_EQ(host.resetRequests(), 0);
}

TEST_F(AsioPageWindow, UnlistedDriverVeilsThePageAndInputChangesNothing)
{
    // The driver's list entry under another name: the utility cannot find its driver.
    RegistryValueGuard description(HKEY_LOCAL_MACHINE, kListedDriverKey, L"Description");
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kListedDriverKey, L"Description", REG_SZ, L"RKX-T2 ASIO64 moved",
                    sizeof L"RKX-T2 ASIO64 moved");
    WriteDriverValue(kKey32, L"blockNum", 10);
    ASSERT_NO_FATAL_FAILURE(StartOnAsioPage());
    EXPECT_TRUE(log.Contains(388, 186, AsLogged(UiString(kStrAsioNotInstalled, L"RKX-T2"))));
    EXPECT_NE(OutlinePixel(), 0u) << "the veil lies over the page";

    const Pointer pointer(utility.window());
    pointer.Drag(KnobLeft(10) + 4, kKnobGrabY, 60);
    utility.Click(kButtonMiddle.x, kButtonMiddle.y);
    ASSERT_NO_FATAL_FAILURE(WaitUntilInputHandled());
    EXPECT_EQ(ReadDriverValue(kKey32, L"blockNum"), 10u);
    EXPECT_EQ(ReadDriverValue(kKey64, L"blockNum"), kUntouched64);
}

// A window of the driver's class whose procedure does not come back from the reset request, as
// a host program that hangs in its reset leaves it. Its thread answers every other message
// until then. Released (and its window gone) when the object ends.
class HungDriverWindow {
public:
    HungDriverWindow() : release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~HungDriverWindow() { Release(); }
    HungDriverWindow(const HungDriverWindow&) = delete;
    HungDriverWindow& operator=(const HungDriverWindow&) = delete;
    bool created() const { return thread_.created(); }
    // The reset request reached the window.
    bool told() const { return told_.load(); }
    void Release()
    {
        SetEvent(release_.get());
        thread_.Stop();
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == 0x8001) {
            auto* self = reinterpret_cast<HungDriverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (self == nullptr) return 0;
            self->told_.store(true);
            WaitForSingleObject(self->release_.get(), INFINITE);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    rkx::UniqueHandle release_;
    std::atomic<bool> told_{false};
    rkx::test::WindowThread thread_{L"RKX_T2_Asio_WndProc", L"", Procedure, this};
};

TEST_F(AsioPageWindow, AHungHostsDriverWindowDoesNotHangTheUtility)
{
    WriteDriverValue(kKey32, L"blockNum", 10);
    HungDriverWindow hung;
    ASSERT_TRUE(hung.created());
    ASSERT_NO_FATAL_FAILURE(StartOnAsioPage());
    const Pointer pointer(utility.window());
    // "Standard Setting" changes 10 blocks to 4: the driver's window is told.
    pointer.Press(kButtonMiddle.x, kButtonMiddle.y);
    pointer.Release();
    EXPECT_TRUE(PumpUntil([&] { return ReadDriverValue(kKey32, L"blockNum") == 4u; }));
    ASSERT_TRUE(PumpUntil([&] { return hung.told(); })) << "the driver's window was not told";
    // The user goes on: a click on the version tab is taken while the host still hangs. (A
    // sent message would be answered even by a utility stuck in its own send.)
    utility.Click(29 + 112 * 3 + 45, 70);
    const bool answers = PumpUntil([&] { return utility.CurrentTab() == 3; }, 15000);
    // Let a utility that waits for the hung window go before the fixture closes it.
    hung.Release();
    EXPECT_TRUE(answers) << "the utility waits for the hung host's window";
}

}  // namespace
}  // namespace page_test
