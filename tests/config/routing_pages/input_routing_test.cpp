// Page 0, "MIXER INPUT", under Wine and Xvfb with the virtual mixer: route choices keep the
// three rows a permutation and reach the mixer in order; the certify lock resets the routes
// once and its end writes the user's routes back; the popup follows pointer and keys.
#include "routing_rig.h"

#include "common/mixer_requests.h"

namespace routing_test {
namespace {

constexpr int kCH1 = 0, kCH2 = 1, kAUX = 2;
using Routes = std::array<unsigned, 3>;

// Middle of row r's pulldown box.
constexpr int kBoxX = 450;
constexpr int RowY(int row) { return 292 + 32 * row; }
// Where string 204 appears while routing is locked (clear of the route drawing to its left).
constexpr int kNoticeX = 345, kNoticeY = 390, kNoticeW = 222, kNoticeH = 42;

class InputRoutingPage : public RoutingPageTest {
protected:
    void SetUp() override
    {
        RoutingPageTest::SetUp();
        // The rig's mixer starts certified (level 1), which locks this page; a level of 0
        // from the start leaves the state undetermined and the page unlocked.
        SetMixerValue(VMIX_VALUE_CERTIFY_LEVEL, 0, 0);
    }
    Capture Notice() const { return Area(kNoticeX, kNoticeY, kNoticeW, kNoticeH); }
    // The user's stored routes AUX, CH2, CH1, as the mixer has them too.
    void StoreRoutesAuxCh2Ch1()
    {
        rkx::test::WriteUserValue(L"Input1", kAUX);
        rkx::test::WriteUserValue(L"Input3", kCH1);
        SetMixerValue(VMIX_VALUE_RECEIVE_ROUTE, 0, kAUX);
        SetMixerValue(VMIX_VALUE_RECEIVE_ROUTE, 2, kCH1);
    }
    // The channel label inside row r's box.
    Capture ChannelLabel(int row) const { return Area(425, 283 + 32 * row, 48, 18); }
    void Choose(int row, int item)
    {
        ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(row)));
        ASSERT_NO_FATAL_FAILURE(ChooseItem(item));
    }
};

TEST_F(InputRoutingPage, ChoosingAuxForRowZeroSwapsWithRowTwoChannelTwoFirst)
{
    ASSERT_NO_FATAL_FAILURE(StartOn(0));
    ASSERT_EQ(ReceiveRoutes(), (Routes{0, 1, 2}));
    ASSERT_TRUE(rig.ClearStats());

    const Capture before = ChannelLabel(0);
    ASSERT_NO_FATAL_FAILURE(Choose(0, kAUX));
    ASSERT_TRUE(WaitUntil([&] { return ReceiveRoutes() == Routes{2, 1, 0}; }));
    EXPECT_EQ(RouteRequests(), (std::vector<RouteRequest>{{3, kCH1}, {1, kAUX}}));
    EXPECT_EQ(rkx::test::ReadUserValue(L"Input1"), 2u);
    EXPECT_EQ(rkx::test::ReadUserValue(L"Input3"), 0u);
    EXPECT_FALSE(WaitForChange(425, 283, 48, 18, before) == before) << "row 0's box shows AUX";

    // The value a row already has sends nothing; the next real change is all the mixer sees.
    ASSERT_TRUE(rig.ClearStats());
    ASSERT_NO_FATAL_FAILURE(Choose(0, kAUX));
    ASSERT_NO_FATAL_FAILURE(Choose(1, kAUX));
    ASSERT_TRUE(WaitUntil([&] { return ReceiveRoutes() == Routes{1, 2, 0}; }));
    EXPECT_EQ(RouteRequests(), (std::vector<RouteRequest>{{1, kCH2}, {2, kAUX}}));

    // The choices survive a restart: the page reads them back from the settings.
    ASSERT_NO_FATAL_FAILURE(Restart());
    ASSERT_TRUE(rig.ClearStats());
    ASSERT_NO_FATAL_FAILURE(Choose(2, kCH2));
    ASSERT_TRUE(WaitUntil([&] { return ReceiveRoutes() == Routes{0, 2, 1}; }));
    EXPECT_EQ(RouteRequests(), (std::vector<RouteRequest>{{1, kCH1}, {3, kCH2}}));
}

TEST_F(InputRoutingPage, MenuFollowsPointerAndKeysAndClosesOnAClickOutside)
{
    ASSERT_NO_FATAL_FAILURE(StartOn(0));
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(2)));
    RECT rect{};
    GetWindowRect(Popup(), &rect);
    EXPECT_EQ(rect.right - rect.left, 117);
    EXPECT_EQ(rect.bottom - rect.top, 18 * 3 + 31);

    // The pointer on item 1 puts the dark bar there, and on item 0 moves it.
    auto barAt = [&](int item) { return ItemHighlighted(item); };
    ASSERT_TRUE(HoverItem(1));
    EXPECT_FALSE(barAt(0));
    MovePointer(PopupItemPoint(0));
    EXPECT_TRUE(WaitUntil([&] { return barAt(0) && !barAt(1); }));

    // A click outside closes it and chooses nothing.
    ASSERT_TRUE(rig.ClearStats());
    utility.Click(150, 520);
    ASSERT_TRUE(WaitForNoPopup());

    // Keys: the first Down switches the bar on at item 0, the second moves it to item 1, and
    // Return chooses CH2 for row 2 (which swaps with row 1).
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(2)));
    MovePointer(utility.Screen(150, 520));
    utility.PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return barAt(0); }));
    utility.PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return barAt(1) && !barAt(0); }));
    utility.PressKey(VK_RETURN);
    ASSERT_TRUE(WaitForNoPopup());
    ASSERT_TRUE(WaitUntil([&] { return ReceiveRoutes() == Routes{0, 2, 1}; }));
    EXPECT_EQ(RouteRequests(), (std::vector<RouteRequest>{{2, kAUX}, {3, kCH2}}))
        << "the outside click sent nothing";

    // Escape closes without a choice; the window stays.
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(0)));
    utility.PressKey(VK_DOWN);
    utility.PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForNoPopup());
    EXPECT_TRUE(IsWindow(utility.window()));
    EXPECT_EQ(ReceiveRoutes(), (Routes{0, 2, 1}));
}

TEST_F(InputRoutingPage, CertifyLockResetsRoutesOnceAndItsEndWritesThemBack)
{
    StoreRoutesAuxCh2Ch1();
    ASSERT_NO_FATAL_FAILURE(StartOn(0));
    const Capture unlockedNotice = Notice();
    const Capture unlockedLabel = ChannelLabel(0);
    EXPECT_EQ(CountDark(unlockedNotice, 0xC0), 0) << "no lock notice while unlocked";
    EXPECT_GT(CountDark(unlockedLabel), 0) << "black channel name";
    ASSERT_TRUE(rig.ClearStats());

    SetMixerValue(VMIX_VALUE_CERTIFY_LEVEL, 0, 1);
    ASSERT_TRUE(WaitUntil([&] { return ReceiveRoutes() == Routes{0, 1, 2}; })) << "routes back to their defaults";
    ASSERT_TRUE(WaitUntil([&] { return CountDark(Notice(), 0xC0) > 50; })) << "string 204 shown";
    // Locked rows show their defaults in grey: no black text left in the box.
    EXPECT_TRUE(WaitUntil([&] { return CountDark(ChannelLabel(0), 0x60) == 0 && CountDark(ChannelLabel(0), 0xC0) > 0; }));
    // Further readings of the same state send nothing more.
    const unsigned certifyReads = RequestCount(IOCTL_MIXER_GET_CERTIFY_LEVEL);
    ASSERT_TRUE(WaitUntil([&] { return RequestCount(IOCTL_MIXER_GET_CERTIFY_LEVEL) >= certifyReads + 10; }));
    EXPECT_EQ(RequestCount(IOCTL_MIXER_SET_USB_RECEIVE_ROUTE), 3u) << "the routes were reset exactly once";
    // The settings keep the user's choices.
    EXPECT_EQ(rkx::test::ReadUserValue(L"Input1"), static_cast<DWORD>(kAUX));

    // Clicks on a locked row open nothing.
    utility.Click(kBoxX, RowY(0));
    EXPECT_FALSE(WaitUntil([&] { return Popup() != nullptr; }, 800));

    // Level 0 counts only after 50 readings; then the stored routes go back to the mixer.
    SetMixerValue(VMIX_VALUE_CERTIFY_LEVEL, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return ReceiveRoutes() == Routes{2, 1, 0}; }, 20000)) << "stored routes written back";
    EXPECT_EQ(RequestCount(IOCTL_MIXER_SET_USB_RECEIVE_ROUTE), 6u);
    EXPECT_GE(RequestCount(IOCTL_MIXER_GET_CERTIFY_LEVEL), certifyReads + 50);
    EXPECT_TRUE(WaitForPixels(kNoticeX, kNoticeY, kNoticeW, kNoticeH, unlockedNotice)) << "notice gone";
    EXPECT_TRUE(WaitForPixels(425, 283, 48, 18, unlockedLabel)) << "row 0 shows AUX in black again";
}

// Closing the menu the lock closes repaints at once, and that nested paint follows the lock
// again: the reset of the routes must still happen, once.
TEST_F(InputRoutingPage, CertifyLockWithAMenuOpenStillResetsTheRoutes)
{
    StoreRoutesAuxCh2Ch1();
    ASSERT_NO_FATAL_FAILURE(StartOn(0));
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(1)));
    ASSERT_TRUE(rig.ClearStats());

    SetMixerValue(VMIX_VALUE_CERTIFY_LEVEL, 0, 1);
    ASSERT_TRUE(WaitForNoPopup()) << "the lock closes the menu";
    EXPECT_TRUE(WaitUntil([&] { return ReceiveRoutes() == Routes{0, 1, 2}; })) << "routes back to their defaults";
    const unsigned certifyReads = RequestCount(IOCTL_MIXER_GET_CERTIFY_LEVEL);
    ASSERT_TRUE(WaitUntil([&] { return RequestCount(IOCTL_MIXER_GET_CERTIFY_LEVEL) >= certifyReads + 5; }));
    EXPECT_EQ(RouteRequests(), (std::vector<RouteRequest>{{1, kCH1}, {2, kCH2}, {3, kAUX}})) << "each route reset once";
}

// The ASIO control panel's request switches to the ASIO page as a click on its tab does: a
// routing menu of the page left closes with it.
TEST_F(InputRoutingPage, ControlPanelRequestClosesAnOpenMenu)
{
    rkx::test::WriteUserValue(L"AsioConfigLaunch", 0);
    ASSERT_NO_FATAL_FAILURE(StartOn(0));
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(0)));
    ASSERT_TRUE(rig.ClearStats());
    rkx::test::WriteUserValue(L"AsioConfigLaunch", 1);
    EXPECT_TRUE(WaitUntil([&] { return utility.CurrentTab() == 2; })) << "the request did not switch to the ASIO tab";
    EXPECT_TRUE(WaitForNoPopup()) << "the menu of the page left stays open";
    EXPECT_EQ(RequestCount(IOCTL_MIXER_SET_USB_RECEIVE_ROUTE), 0u) << "closing the menu chose nothing";
}

}  // namespace
}  // namespace routing_test
