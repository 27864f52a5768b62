// The routing pages under test: the utility started on a page with the virtual mixer plugged,
// popup menus found and driven by real pointer and key input, the mixer's requests and state,
// and pixels of areas of the page.
#pragma once

#include "tests/support/screen_capture.h"
#include "tests/support/utility_session.h"
#include "virtualmixer/client/virtual_mixer_client.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace routing_test {

using rkx::test::Capture;
using rkx::test::WaitUntil;

// A receive-route request as the mixer saw it: channel + 1 and the route.
struct RouteRequest {
    unsigned channelPlusOne;
    unsigned route;
    bool operator==(const RouteRequest&) const = default;
};

class RoutingPageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the utility on `tab` (the remembered tab of the current user).
    void StartOn(int tab);
    void Restart();

    // --- the mixer ---
    VmixMixerState Mixer();
    std::array<unsigned, 3> ReceiveRoutes();
    // Requests of one kind since the last ClearStats.
    unsigned RequestCount(uint32_t code);
    // Receive-route requests of the journal, oldest first (the journal keeps the last 64).
    std::vector<RouteRequest> RouteRequests();
    void SetMixerValue(VmixValueId id, uint32_t index, uint32_t value);

    // --- the popup menu ---
    HWND Popup() const;
    bool WaitForPopup();
    bool WaitForNoPopup();
    // Screen point of item `item` of the open menu, inside its panel and right of the text.
    POINT PopupItemPoint(int item) const;
    // The menu's highlight bar is at the item.
    bool ItemHighlighted(int item) const;
    // Moves the pointer over the item until the menu shows it has seen it there.
    bool HoverItem(int item);
    void MovePointer(POINT screen) const;
    void ClickScreen(POINT screen) const;
    // Opens the menu of the pulldown field at client (x, y) and waits for it.
    void OpenMenu(int x, int y);
    // Clicks item `item` of the open menu and waits until the menu is gone.
    void ChooseItem(int item);

    // --- pixels ---
    Capture Area(int x, int y, int w, int h) const;
    // Waits until the area differs from `before`; the new pixels.
    Capture WaitForChange(int x, int y, int w, int h, const Capture& before);
    bool WaitForPixels(int x, int y, int w, int h, const Capture& expected);

    // Runs rkxsetup with `arguments`; its exit code.
    static int RunRkxsetup(const std::wstring& arguments);

    rkx::vmix::VirtualMixerClient rig;
    rkx::test::Utility utility;
    int tab_ = 0;
};

// Pixels darker than `level` in every channel (text of dark labels).
int CountDark(const Capture& capture, int level = 0x60);
// Pixels whose every channel is at least `level`.
int CountLight(const Capture& capture, int level);
// Bounding box of the pixels that differ between two captures of one area; empty when none.
RECT DifferenceBox(const Capture& a, const Capture& b);

}  // namespace routing_test
