#include "routing_rig.h"

#include "common/mixer_requests.h"
#include "tests/support/processes.h"

#include <algorithm>
#include <memory>

namespace routing_test {
namespace {

constexpr const wchar_t* kUserValues[] = {L"Input1",  L"Input2",  L"Input3", L"Output1", L"Output2", L"Output3",
                                          L"Output4", L"Level",   L"Tab",    L"PosX",    L"PosY",    L"AsioConfigLaunch"};

}  // namespace

void RoutingPageTest::SetUp()
{
    ASSERT_TRUE(rig.IsOpen()) << "the virtual mixer must be loaded";
    ASSERT_TRUE(rig.Reset());
    ASSERT_TRUE(rig.SetPlugged(0, true));
    for (const wchar_t* name : kUserValues) rkx::test::DeleteUserValue(name);
}

void RoutingPageTest::TearDown()
{
    utility.Close();
    rig.Reset();
    rig.SetPlugged(0, true);
    for (const wchar_t* name : kUserValues) rkx::test::DeleteUserValue(name);
}

void RoutingPageTest::StartOn(int tab)
{
    tab_ = tab;
    rkx::test::WriteUserValue(L"Tab", static_cast<DWORD>(tab));
    // Always the same place, so captures of two runs compare.
    rkx::test::WriteUserValue(L"PosX", 0);
    rkx::test::WriteUserValue(L"PosY", 0);
    ASSERT_TRUE(utility.Start());
    ASSERT_EQ(utility.CurrentTab(), tab);
}

void RoutingPageTest::Restart()
{
    ASSERT_TRUE(utility.Close());
    StartOn(tab_);
}

VmixMixerState RoutingPageTest::Mixer()
{
    auto status = std::make_unique<VmixStatus>();
    EXPECT_TRUE(rig.GetStatus(*status));
    return status->mixer[0];
}

std::array<unsigned, 3> RoutingPageTest::ReceiveRoutes()
{
    const VmixMixerState state = Mixer();
    return {state.receiveRoute[0], state.receiveRoute[1], state.receiveRoute[2]};
}

unsigned RoutingPageTest::RequestCount(uint32_t code)
{
    VmixStats stats{};
    EXPECT_TRUE(rig.GetStats(0, stats));
    const int index = RkxControlRequestIndex(code);
    return index < 0 ? 0 : stats.controlRequests[index];
}

std::vector<RouteRequest> RoutingPageTest::RouteRequests()
{
    auto journal = std::make_unique<VmixJournal>();
    EXPECT_TRUE(rig.GetJournal(*journal));
    std::vector<RouteRequest> requests;
    for (uint32_t i = 0; i < journal->count && i < VMIX_JOURNAL_CAPACITY; ++i) {
        const VmixJournalEntry& e = journal->entry[i];
        if (e.code != IOCTL_MIXER_SET_USB_RECEIVE_ROUTE || e.inputBytes < 4) continue;
        requests.push_back({static_cast<unsigned>(e.input[0] | (e.input[1] << 8)),
                            static_cast<unsigned>(e.input[2] | (e.input[3] << 8))});
    }
    return requests;
}

void RoutingPageTest::SetMixerValue(VmixValueId id, uint32_t index, uint32_t value)
{
    ASSERT_TRUE(rig.SetValue(0, id, index, value));
}

HWND RoutingPageTest::Popup() const
{
    HWND popup = FindWindowW(L"MixerPopMenu", L"POPMENU");
    return popup != nullptr && IsWindowVisible(popup) ? popup : nullptr;
}

bool RoutingPageTest::WaitForPopup()
{
    return WaitUntil([&] { return Popup() != nullptr; });
}

bool RoutingPageTest::WaitForNoPopup()
{
    return WaitUntil([&] { return Popup() == nullptr; });
}

POINT RoutingPageTest::PopupItemPoint(int item) const
{
    RECT rect{};
    GetWindowRect(Popup(), &rect);
    // Near the right end of the panel, where no item text reaches.
    return {rect.right - 14 - 6, rect.top + 6 + 18 * item + 9};
}

void RoutingPageTest::MovePointer(POINT screen) const
{
    rkx::test::SendMouseAt(screen, 0);
    WaitUntil([&] {
        POINT now{};
        GetCursorPos(&now);
        return now.x == screen.x && now.y == screen.y;
    }, 2000);
}

void RoutingPageTest::ClickScreen(POINT screen) const
{
    MovePointer(screen);
    rkx::test::SendMouseAt(screen, MOUSEEVENTF_LEFTDOWN);
    rkx::test::SendMouseAt(screen, MOUSEEVENTF_LEFTUP);
}

void RoutingPageTest::OpenMenu(int x, int y)
{
    utility.Click(x, y);
    ASSERT_TRUE(WaitForPopup()) << "no menu opened at " << x << "," << y;
}

bool RoutingPageTest::ItemHighlighted(int item) const
{
    HWND menu = Popup();
    if (menu == nullptr) return false;
    POINT client = PopupItemPoint(item);
    ScreenToClient(menu, &client);
    const Capture pixel = rkx::test::CaptureClient(menu, client.x, client.y, 1, 1);
    return pixel.width == 1 && pixel.at(0, 0) == 0x0A0A0A;
}

bool RoutingPageTest::HoverItem(int item)
{
    const POINT point = PopupItemPoint(item);
    for (int attempt = 0; attempt < 4; ++attempt) {
        // A pointer that arrives while the menu is still reaching the X server is reported to the
        // window below it, and the menu never hears of it: move again, a pixel aside, until the
        // bar shows the menu has seen the pointer over the item.
        MovePointer({point.x - attempt % 2, point.y});
        if (!WaitUntil([&] { return ItemHighlighted(item); }, 1500)) continue;
        // The output page's menu also checks every 100 ms whether the pointer has left it.
        // Under load, a click right after the bar first showed now and then closed that menu
        // with nothing chosen; clicking once the bar has held through a few of those checks
        // (and hovering again if it went) ended that.
        if (tab_ != 1) return true;
        Sleep(350);
        if (ItemHighlighted(item)) return true;
    }
    return false;
}

void RoutingPageTest::ChooseItem(int item)
{
    ASSERT_NE(Popup(), nullptr);
    ASSERT_TRUE(HoverItem(item)) << "the menu never highlighted item " << item;
    POINT point{};
    GetCursorPos(&point);
    rkx::test::SendMouseAt(point, MOUSEEVENTF_LEFTDOWN);
    rkx::test::SendMouseAt(point, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitForNoPopup());
}

Capture RoutingPageTest::Area(int x, int y, int w, int h) const
{
    return rkx::test::CaptureClient(utility.window(), x, y, w, h);
}

Capture RoutingPageTest::WaitForChange(int x, int y, int w, int h, const Capture& before)
{
    Capture now;
    WaitUntil([&] {
        now = Area(x, y, w, h);
        return !(now == before);
    });
    return now;
}

bool RoutingPageTest::WaitForPixels(int x, int y, int w, int h, const Capture& expected)
{
    return WaitUntil([&] { return Area(x, y, w, h) == expected; });
}

int RoutingPageTest::RunRkxsetup(const std::wstring& arguments)
{
    return rkx::test::RunProgram(rkx::test::OwnFolder() + L"rkxsetup.exe", arguments);
}

int CountDark(const Capture& capture, int level)
{
    int count = 0;
    for (uint32_t p : capture.pixels)
        if (static_cast<int>((p >> 16) & 0xFF) < level && static_cast<int>((p >> 8) & 0xFF) < level &&
            static_cast<int>(p & 0xFF) < level)
            ++count;
    return count;
}

int CountLight(const Capture& capture, int level)
{
    int count = 0;
    for (uint32_t p : capture.pixels)
        if (static_cast<int>((p >> 16) & 0xFF) >= level && static_cast<int>((p >> 8) & 0xFF) >= level &&
            static_cast<int>(p & 0xFF) >= level)
            ++count;
    return count;
}

RECT DifferenceBox(const Capture& a, const Capture& b)
{
    RECT box{a.width, a.height, -1, -1};
    if (a.width != b.width || a.height != b.height) return RECT{};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.at(x, y) != b.at(x, y)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box.right < 0 ? RECT{} : box;
}

}  // namespace routing_test
