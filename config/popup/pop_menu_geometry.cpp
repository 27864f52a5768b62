#include "popup/pop_menu_geometry.h"

int SanitisePopItemCount(int count)
{
    if (count < 0) return 0;
    return count > kPopMaxItems ? kPopMaxItems : count;
}

RECT PopMenuWindowRect(const RECT& ownerWindow, int cxDlgFrame, int cyDlgFrame, int cyCaption,
                       int x, int y, int width, int itemCount)
{
    RECT rect;
    rect.left = ownerWindow.left + cxDlgFrame + x - kPopShadowMargin;
    rect.top = ownerWindow.top + cyCaption + cyDlgFrame + y;
    rect.right = rect.left + width;
    rect.bottom = rect.top + kPopItemHeight * SanitisePopItemCount(itemCount) + kPopFrameHeight;
    return rect;
}

int PopMenuHitTest(int x, int y, int clientWidth, int itemCount)
{
    if (x < kPopShadowMargin || x >= clientWidth - kPopShadowMargin || y < kPopFirstItemTop) return -1;
    const int hit = (y - kPopFirstItemTop) / kPopItemHeight;
    return hit < itemCount ? hit : -1;
}

bool StepPopSelection(PopSelection& selection, int step, int itemCount)
{
    if (itemCount <= 0 || (step != 1 && step != -1)) return false;
    if (!selection.highlight) {
        selection.focus = step > 0 ? 0 : itemCount - 1;
        selection.highlight = true;
        return true;
    }
    // A focus of -1 (pointer left the items) steps as if from before the first item.
    const int from = selection.focus < 0 ? (step > 0 ? -1 : 0) : selection.focus;
    selection.focus = ((from + step) % itemCount + itemCount) % itemCount;
    return true;
}

RECT PopMenuItemArea(const RECT& client)
{
    return {client.left + kPopShadowMargin, client.top, client.right - kPopShadowMargin,
            client.bottom - kPopBottomMargin};
}

int RoutingLabelState(int row, int item, bool focused, bool connected, int certifyState)
{
    const bool controlTone = (row == 0 || row == 1) && (item == 0 || item == 1);
    if (!controlTone) return focused ? 1 : 0;
    if (focused) return 3;
    return connected && certifyState != -2 && certifyState != 0 ? 0 : 2;
}

int StateLabelEntry(int state, int perState, int first, int item)
{
    if (state < 0 || first < 0 || item < 0 || first + item >= perState) return -1;
    return perState * state + first + item;
}
