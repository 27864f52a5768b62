#include "popup/out_pop_menu.h"

#include "skin/label_bitmap.h"

namespace {

constexpr int kRoutingLabelWidth = 160;
constexpr int kLevelLabelWidth = 117;
constexpr int kLabelHeight = 14;
constexpr int kRoutingLabelsPerState = 64;
constexpr int kLevelLabelsPerState = 8;

bool IsRoutingRow(int row) { return row >= 0 && row <= 2; }

}  // namespace

COutPopMenu::COutPopMenu(PopMenuOwner& owner, int x, int y, int row, int currentItem, int noPaint)
    : CPopMenu(owner, row, currentItem, noPaint)
{
    int count = 0;
    SetItemCount(owner.AskOutputMenuItemCount(row, count) ? count : 0);
    CreateMenuWindow(x, y, row == kLevelMenuRow ? kLevelPopMenuWidth : kOutPopMenuWidth);
}

void COutPopMenu::CheckPointerLeft()
{
    CheckLeave(true);
}

void COutPopMenu::MoveSelection(int step)
{
    if (step == 0)
        ChooseByKey(&PopMenuOwner::SelectUsbInputRoute);
    else
        StepSelection(step, row_ >= 0 && row_ <= 3);
}

void COutPopMenu::DrawItems(HDC panel)
{
    const bool routing = IsRoutingRow(row_);
    const int first = routing ? owner_.RoutingLabelFirst(row_) : 0;
    const bool connected = routing && owner_.IsConnected();
    const int certify = routing ? owner_.CertifyState() : 0;
    for (int i = 0; i < static_cast<int>(itemCount_); ++i) {
        const bool focused = highlightOn() && i == focusItem();
        const int y = kPopItemHeight * i + 8;
        if (routing) {
            const int state = RoutingLabelState(row_, i, focused, connected, certify);
            DrawLabel(panel, owner_.RoutingLabel(StateLabelEntry(state, kRoutingLabelsPerState, first, i)), 22, y,
                      kRoutingLabelWidth, kLabelHeight);
        } else {
            DrawLabel(panel, owner_.LevelLabel(StateLabelEntry(focused ? 1 : 0, kLevelLabelsPerState, 0, i)), 22, y,
                      kLevelLabelWidth, kLabelHeight);
        }
    }
}

void COutPopMenu::OnLButtonUp(UINT, POINT)
{
    ChooseAndClose(&PopMenuOwner::SelectUsbInputRoute);
}

void COutPopMenu::OnLButtonDown(UINT, POINT) {}

void COutPopMenu::OnMouseMove(UINT, POINT point)
{
    TrackPointer(point, true, IsRoutingRow(row_));
}
