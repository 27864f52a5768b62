// The tab strip's geometry: where each piece goes and which x range a click selects.
#pragma once

namespace config {

constexpr int kTabCount = 4;
constexpr int kTabStripTop = 59;
constexpr int kTabStripBottom = 84;   // inclusive
constexpr int kTabPieceHeight = 26;
constexpr int kTabLeftEndX = 7;
constexpr int kTabRightEndX = 455;
constexpr int kTabMiddleWidth = 90;
constexpr int kTabLabelTop = 64;

constexpr int TabMiddleX(int tab) { return 29 + 112 * tab; }
// The 22-pixel piece between tab i and tab i + 1.
constexpr int TabJoinX(int tab) { return 119 + 112 * tab; }

// The tab a left click at client (x, y) switches to, or -1: outside the strip, on the current
// tab, or in the part of a tab's range that the next (current) tab's raised edge covers.
int TabAt(int x, int y, int currentTab);

}  // namespace config
