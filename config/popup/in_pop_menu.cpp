#include "popup/in_pop_menu.h"

#include "skin/label_bitmap.h"

namespace {

constexpr int kLabelWidth = 50;
constexpr int kLabelHeight = 14;
constexpr int kLabelsPerState = 3;

}  // namespace

CInPopMenu::CInPopMenu(PopMenuOwner& owner, int x, int y, int row, int currentItem, int noPaint)
    : CPopMenu(owner, row, currentItem, noPaint)
{
    int count = 0;
    SetItemCount(owner.AskInputMenuItemCount(row, count) ? count : 0);
    CreateMenuWindow(x, y, kInPopMenuWidth);
}

void CInPopMenu::CheckPointerLeft()
{
    CheckLeave(false);
}

void CInPopMenu::MoveSelection(int step)
{
    if (step == 0)
        ChooseByKey(&PopMenuOwner::SelectUsbOutputRoute);
    else
        StepSelection(step, false);
}

void CInPopMenu::DrawItems(HDC panel)
{
    for (int i = 0; i < static_cast<int>(itemCount_); ++i) {
        const int state = highlightOn() && i == focusItem() ? 1 : 0;
        DrawLabel(panel, owner_.InputMenuLabel(StateLabelEntry(state, kLabelsPerState, 0, i)), 22,
                  kPopItemHeight * i + 8, kLabelWidth, kLabelHeight);
    }
}

void CInPopMenu::OnLButtonUp(UINT, POINT)
{
    ChooseAndClose(&PopMenuOwner::SelectUsbOutputRoute);
}

void CInPopMenu::OnLButtonDown(UINT, POINT) {}

void CInPopMenu::OnMouseMove(UINT, POINT point)
{
    TrackPointer(point, false, false);
}
