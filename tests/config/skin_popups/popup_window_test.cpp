// The popup menus as real windows under X: opened by an owner window, driven by real pointer
// and key input (SendInput), checked through what they report and what they paint.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "popup/in_pop_menu.h"
#include "popup/out_pop_menu.h"
#include "popup/source_highlight_table.h"
#include "popup_owner_window.h"

namespace {

// Runs the owner's message loop until `done` holds; the bound only catches a hang.
bool PumpUntil(PopupOwnerWindow& owner, const std::function<bool()>& done)
{
    for (int round = 0; round < 500; ++round) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (owner.HandleMenuKey(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done();
}

void Pump(PopupOwnerWindow& owner, int rounds = 5)
{
    int left = rounds;
    PumpUntil(owner, [&] { return --left <= 0; });
}

void MovePointerTo(PopupOwnerWindow& owner, POINT screen)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((screen.x * 65536LL + width - 1) / width);
    input.mi.dy = static_cast<LONG>((screen.y * 65536LL + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    const bool arrived = PumpUntil(owner, [&] {
        POINT now = {};
        GetCursorPos(&now);
        return now.x == screen.x && now.y == screen.y;
    });
    EXPECT_TRUE(arrived) << "pointer did not reach " << screen.x << "," << screen.y;
    Pump(owner);
}

void Click(PopupOwnerWindow& owner)
{
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof inputs[0]);
    Pump(owner, 20);
}

void PressKey(PopupOwnerWindow& owner, WORD key)
{
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = key;
    inputs[1].type = INPUT_KEYBOARD;
    inputs[1].ki.wVk = key;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof inputs[0]);
    Pump(owner, 20);
}

// Screen point of client point (x, y) of the menu.
POINT OnMenu(const CPopMenu* menu, int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(menu->m_hWnd, &point);
    return point;
}

// Middle of item `item`, inside the panel.
POINT OnItem(const CPopMenu* menu, int item) { return OnMenu(menu, 40, 6 + 18 * item + 9); }

// A colour the menu shows at its client point, read from its window.
COLORREF MenuPixel(const CPopMenu* menu, int x, int y)
{
    HDC dc = GetDC(menu->m_hWnd);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(menu->m_hWnd, dc);
    return colour;
}

class PopupWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner_.Create(40, 30));
        SetForegroundWindow(owner_.m_hWnd);
        Park();
    }
    // The pointer far from both windows, so a new menu starts untouched.
    void Park() { MovePointerTo(owner_, {1200, 1000}); }
    // Opens a menu and lets it paint.
    CPopMenu* Open(MenuKind kind, int x, int y, int row, int current)
    {
        CPopMenu* menu = owner_.Open(kind, x, y, row, current);
        Pump(owner_, 20);
        owner_.highlights.clear();
        return menu;
    }
    bool Closed() const { return owner_.menu() == nullptr; }

    PopupOwnerWindow owner_;
};

TEST_F(PopupWindows, MenusOpenAtTheirRectangleBelowTheOwnersFieldAsOwnedPopups)
{
    CPopMenu* menu = Open(MenuKind::Input, 420, 307, 0, 0);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(menu->m_hWnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(menu->m_hWnd));
    EXPECT_EQ(GetWindow(menu->m_hWnd, GW_OWNER), owner_.m_hWnd);
    wchar_t text[32] = {};
    GetClassNameW(menu->m_hWnd, text, 32);
    EXPECT_STREQ(text, L"MixerPopMenu");
    GetWindowTextW(menu->m_hWnd, text, 32);
    EXPECT_STREQ(text, L"POPMENU");

    RECT ownerRect = {};
    RECT rect = {};
    GetWindowRect(owner_.m_hWnd, &ownerRect);
    GetWindowRect(menu->m_hWnd, &rect);
    EXPECT_EQ(rect.right - rect.left, 117);
    EXPECT_EQ(rect.bottom - rect.top, 85);
    EXPECT_EQ(rect.left, ownerRect.left + GetSystemMetrics(SM_CXDLGFRAME) + 406);
    EXPECT_EQ(rect.top,
              ownerRect.top + GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYDLGFRAME) + 307);

    owner_.itemCount = 8;
    menu = Open(MenuKind::Output, 300, 100, 1, 2);
    GetWindowRect(menu->m_hWnd, &rect);
    EXPECT_EQ(rect.right - rect.left, 215);
    EXPECT_EQ(rect.bottom - rect.top, 18 * 8 + 31);
    menu = Open(MenuKind::Output, 300, 100, 5, 2);
    GetWindowRect(menu->m_hWnd, &rect);
    EXPECT_EQ(rect.right - rect.left, 196);

    // The panel is painted: light grey behind the items, the check mark's row included.
    EXPECT_EQ(MenuPixel(menu, 14 + 160, 6 + 18 * 5 + 9), RGB(0xE8, 0xE8, 0xE8));
}

TEST_F(PopupWindows, TheHighlightBarAndTheSourceHighlightFollowThePointer)
{
    owner_.itemCount = 8;
    CPopMenu* menu = Open(MenuKind::Output, 200, 150, 0, 3);
    ASSERT_NE(menu->m_hWnd, nullptr);
    EXPECT_FALSE(menu->highlightOn());

    MovePointerTo(owner_, OnItem(menu, 1));
    EXPECT_TRUE(menu->highlightOn());
    EXPECT_EQ(menu->focusItem(), 1);
    ASSERT_FALSE(owner_.highlights.empty());
    EXPECT_EQ(owner_.highlights.back(), SourceHighlightTable[0][1]);
    // The dark bar is painted at item 1 and not at item 0.
    EXPECT_EQ(MenuPixel(menu, 14 + 184, 6 + 18 * 1 + 9), RGB(0x0A, 0x0A, 0x0A));
    EXPECT_EQ(MenuPixel(menu, 14 + 184, 6 + 18 * 0 + 9), RGB(0xE8, 0xE8, 0xE8));

    MovePointerTo(owner_, OnItem(menu, 2));
    EXPECT_EQ(menu->focusItem(), 2);
    EXPECT_EQ(owner_.highlights.back(), 2);

    // Onto the shadow margin: the highlight goes, the source highlight turns off.
    MovePointerTo(owner_, OnMenu(menu, 5, 6 + 18 * 1 + 9));
    EXPECT_FALSE(menu->highlightOn());
    EXPECT_TRUE(menu->pointerLeft());
    EXPECT_EQ(owner_.highlights.back(), kSourceHighlightOff);
    EXPECT_EQ(MenuPixel(menu, 14 + 184, 6 + 18 * 2 + 9), RGB(0xE8, 0xE8, 0xE8));

    // Back to item 1 shows frame 0 again.
    MovePointerTo(owner_, OnItem(menu, 1));
    EXPECT_TRUE(menu->highlightOn());
    EXPECT_EQ(owner_.highlights.back(), 0);
}

TEST_F(PopupWindows, AClickReportsTheItemUnderThePointerAndClosesTheMenu)
{
    CPopMenu* menu = Open(MenuKind::Input, 100, 80, 2, 0);
    const HWND window = menu->m_hWnd;
    MovePointerTo(owner_, OnItem(menu, 2));
    Click(owner_);
    ASSERT_TRUE(Closed());
    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(owner_.choices.size(), 1u);
    EXPECT_TRUE(owner_.choices[0].usbOutput);
    EXPECT_EQ(owner_.choices[0].row, 2);
    EXPECT_EQ(owner_.choices[0].item, 2);

    owner_.itemCount = 8;
    menu = Open(MenuKind::Output, 100, 80, 1, 0);
    MovePointerTo(owner_, OnItem(menu, 4));
    Click(owner_);
    ASSERT_TRUE(Closed());
    ASSERT_EQ(owner_.choices.size(), 2u);
    EXPECT_FALSE(owner_.choices[1].usbOutput);
    EXPECT_EQ(owner_.choices[1].row, 1);
    EXPECT_EQ(owner_.choices[1].item, 4);
}

TEST_F(PopupWindows, ReleasingOnTheShadowMarginClosesWithoutAChoice)
{
    CPopMenu* menu = Open(MenuKind::Input, 100, 80, 0, 1);
    MovePointerTo(owner_, OnItem(menu, 1));
    ASSERT_TRUE(menu->highlightOn());
    MovePointerTo(owner_, OnMenu(menu, 5, 6 + 18 + 9));
    Click(owner_);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(owner_.closes, 1);
    EXPECT_TRUE(owner_.choices.empty());
}

TEST_F(PopupWindows, KeysMoveAroundTheEndsAndReturnReportsTheFocusItem)
{
    CPopMenu* menu = Open(MenuKind::Input, 100, 80, 1, 0);
    PressKey(owner_, VK_DOWN);
    ASSERT_FALSE(Closed());
    EXPECT_TRUE(menu->highlightOn());
    EXPECT_EQ(menu->focusItem(), 0);  // the first Down only switches the highlight on
    PressKey(owner_, VK_DOWN);
    PressKey(owner_, VK_RETURN);
    ASSERT_TRUE(Closed());
    ASSERT_EQ(owner_.choices.size(), 1u);
    EXPECT_EQ(owner_.choices[0].item, 1);

    menu = Open(MenuKind::Input, 100, 80, 1, 0);
    PressKey(owner_, VK_UP);
    EXPECT_EQ(menu->focusItem(), 2);  // Up in a fresh menu highlights the last
    PressKey(owner_, VK_DOWN);
    EXPECT_EQ(menu->focusItem(), 0);  // and Down on the last wraps to the first
    PressKey(owner_, VK_ESCAPE);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(owner_.choices.size(), 1u);

    // Arrow keys on an output menu of row 0 show the item's source.
    owner_.itemCount = 8;
    menu = Open(MenuKind::Output, 100, 80, 0, 0);
    PressKey(owner_, VK_UP);
    EXPECT_EQ(owner_.highlights.back(), SourceHighlightTable[0][7]);
    PressKey(owner_, VK_DOWN);
    EXPECT_EQ(owner_.highlights.back(), SourceHighlightTable[0][0]);
}

TEST_F(PopupWindows, ThePeriodicCheckNoticesAPointerThatJumpedAway)
{
    owner_.itemCount = 8;
    CPopMenu* menu = Open(MenuKind::Output, 200, 150, 0, 0);
    MovePointerTo(owner_, OnItem(menu, 3));
    ASSERT_TRUE(menu->highlightOn());
    // Straight to a point outside both windows: the menu receives no pointer message.
    SetCursorPos(1200, 1000);
    menu->CheckPointerLeft();
    EXPECT_FALSE(menu->highlightOn());
    EXPECT_TRUE(menu->pointerLeft());
    EXPECT_EQ(owner_.highlights.back(), kSourceHighlightOff);
    const size_t calls = owner_.highlights.size();
    menu->CheckPointerLeft();  // once only
    EXPECT_EQ(owner_.highlights.size(), calls);
}

TEST_F(PopupWindows, TheLevelMenuDrivesNoSourceHighlight)
{
    owner_.itemCount = 8;
    CPopMenu* menu = Open(MenuKind::Output, 200, 150, kLevelMenuRow, 0);
    MovePointerTo(owner_, OnItem(menu, 2));
    MovePointerTo(owner_, OnItem(menu, 5));
    PressKey(owner_, VK_DOWN);
    EXPECT_EQ(menu->focusItem(), 6);
    for (int frame : owner_.highlights) EXPECT_EQ(frame, kSourceHighlightOff);
}

TEST_F(PopupWindows, AMenuWithoutItemsIsOnlyItsFrameAndIgnoresKeys)
{
    owner_.itemCountAnswered = false;
    CPopMenu* menu = Open(MenuKind::Output, 200, 150, 0, 0);
    ASSERT_NE(menu->m_hWnd, nullptr);
    EXPECT_EQ(menu->itemCount(), 0u);
    RECT rect = {};
    GetWindowRect(menu->m_hWnd, &rect);
    EXPECT_EQ(rect.bottom - rect.top, 31);
    PressKey(owner_, VK_DOWN);
    PressKey(owner_, VK_RETURN);
    EXPECT_TRUE(owner_.choices.empty());
}

TEST_F(PopupWindows, ControlToneItemsShowDisabledLabelsUntilTheMixerIsConnectedAndCertified)
{
    owner_.itemCount = 8;
    owner_.connected = false;
    const int first = owner_.RoutingLabelFirst(0);
    CPopMenu* menu = Open(MenuKind::Output, 200, 150, 0, 0);
    owner_.routingLabelsAsked.clear();
    MovePointerTo(owner_, OnItem(menu, 0));
    ASSERT_EQ(menu->focusItem(), 0);
    const auto& asked = owner_.routingLabelsAsked;
    auto askedFor = [&](int entry) { return std::find(asked.begin(), asked.end(), entry) != asked.end(); };
    EXPECT_TRUE(askedFor(64 * 3 + first + 0));  // highlighted and disabled
    EXPECT_TRUE(askedFor(64 * 2 + first + 1));  // disabled
    EXPECT_TRUE(askedFor(64 * 0 + first + 2));  // an ordinary item

    owner_.connected = true;
    owner_.certifyState = 1;
    owner_.routingLabelsAsked.clear();
    MovePointerTo(owner_, OnItem(menu, 3));
    EXPECT_TRUE(askedFor(64 * 0 + first + 1));
    EXPECT_TRUE(askedFor(64 * 1 + first + 3));
    EXPECT_FALSE(askedFor(64 * 2 + first + 1));
}

// A library may report more items than the owner holds labels for in a state: those items
// draw nothing, never the label of another state (a highlighted text among normal ones).
TEST_F(PopupWindows, ItemsBeyondTheirStatesLabelsDrawNoOtherStatesLabel)
{
    const struct {
        const char* name;
        MenuKind kind;
        int row;
        int items;
        std::vector<int> PopupOwnerWindow::*asked;
        int perState;
        int unlabelled;  // items past the state's labels
    } kCases[] = {
        {"input menu, 3 labels a state", MenuKind::Input, 0, 5, &PopupOwnerWindow::inputLabelsAsked, 3, 2},
        {"routing row 2, labels from 40 of 64", MenuKind::Output, 2, 30, &PopupOwnerWindow::routingLabelsAsked, 64, 6},
        {"level menu, 8 labels a state", MenuKind::Output, kLevelMenuRow, 10, &PopupOwnerWindow::levelLabelsAsked, 8, 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        owner_.itemCount = c.items;
        std::vector<int>& asked = owner_.*c.asked;
        asked.clear();
        // The pointer stays parked: every item is drawn in the normal state.
        CPopMenu* menu = Open(c.kind, 200, 100, c.row, 0);
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->itemCount(), static_cast<unsigned>(c.items));
        ASSERT_FALSE(menu->highlightOn());
        ASSERT_FALSE(asked.empty()) << "the menu did not paint";
        int none = 0;
        for (int entry : asked) {
            if (entry == -1) {
                ++none;
                continue;
            }
            EXPECT_GE(entry, 0);
            EXPECT_LT(entry, c.perState) << "a normal item asked for a label of another state";
        }
        EXPECT_EQ(none % c.unlabelled, 0);
        EXPECT_GE(none, c.unlabelled) << "the items past the labels asked for labels";
        owner_.ClosePopupMenu();
    }
}

}  // namespace
