#include "dialog/tab_strip.h"

namespace config {
namespace {

struct TabRange {
    int left;
    int right;              // inclusive
    int rightWhenNextIsOn;  // inclusive; the current next tab overlaps this one
};

constexpr TabRange kTabRanges[kTabCount] = {
    {16, 132, 127},
    {133, 244, 239},
    {245, 356, 351},
    {357, 468, 468},
};

}  // namespace

int TabAt(int x, int y, int currentTab)
{
    if (y < kTabStripTop || y > kTabStripBottom) return -1;
    for (int tab = 0; tab < kTabCount; ++tab) {
        if (tab == currentTab) continue;
        const TabRange& range = kTabRanges[tab];
        const int right = currentTab == tab + 1 ? range.rightWhenNextIsOn : range.right;
        if (x >= range.left && x <= right) return tab;
    }
    return -1;
}

}  // namespace config
