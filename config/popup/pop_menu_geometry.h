// The popup menus' numbers: window rectangle, item hit test, keyboard steps, label states.
// Plain functions so they can be tested without a window.
#pragma once

#include <windows.h>

// Items are 18 pixels high; the panel starts 14 pixels in from the window's left and right
// (shadow margin) and its first item 6 pixels below the top; 19 pixels of shadow lie below.
constexpr int kPopItemHeight = 18;
constexpr int kPopShadowMargin = 14;
constexpr int kPopFirstItemTop = 6;
constexpr int kPopBottomMargin = 19;
constexpr int kPopFrameHeight = 31;  // window height of a menu without items
// More items than any menu can have: the routing label table holds 64 per state.
constexpr int kPopMaxItems = 64;

constexpr int kInPopMenuWidth = 117;
constexpr int kOutPopMenuWidth = 28 + 187;
constexpr int kLevelPopMenuWidth = 28 + 168;
// The output menu's row of the boost level.
constexpr int kLevelMenuRow = 5;

// An item count from the setup library, kept within 0 .. kPopMaxItems.
int SanitisePopItemCount(int count);

// Window rectangle in screen coordinates: the panel starts at the owner's client point (x, y).
RECT PopMenuWindowRect(const RECT& ownerWindow, int cxDlgFrame, int cyDlgFrame, int cyCaption,
                       int x, int y, int width, int itemCount);

// Item under client point (x, y) of a menu `clientWidth` wide, or -1.
int PopMenuHitTest(int x, int y, int clientWidth, int itemCount);

// Focus item and highlight bar of an open menu.
struct PopSelection {
    int focus = 0;
    bool highlight = false;
};
// Arrow-key step (-1 or +1) around the ends; the first step of a menu without highlight
// lands on the first (Down) or last (Up) item. False (nothing changed) for other steps and
// menus without items.
bool StepPopSelection(PopSelection& selection, int step, int itemCount);

// The area that holds the items: client rectangle less the shadow margins.
RECT PopMenuItemArea(const RECT& client);

// Label state of routing-menu item (rows 0 to 2): 0 normal, 1 highlighted, 2 disabled,
// 3 disabled and highlighted. The first two items of rows 0 and 1 are the control-tone
// sources, usable only on a connected mixer whose certify state is neither -2 nor 0.
int RoutingLabelState(int row, int item, bool focused, bool connected, int certifyState);

// Entry of item `item` in a label table of `perState` labels per state whose items start at
// `first` within each state: perState * state + first + item. -1 (no label) when the item
// lies outside its state's part: a library that reports more items than the owner holds
// labels for must not draw another state's labels.
int StateLabelEntry(int state, int perState, int first, int item);
