// Menus of the input routing page: which computer output feeds a mixer channel.
#pragma once

#include "popup/pop_menu.h"

class CInPopMenu : public CPopMenu {
public:
    // Opens at once at owner client point (x, y); the item count comes from the owner
    // (AskInputMenuItemCount). Check m_hWnd for success.
    CInPopMenu(PopMenuOwner& owner, int x, int y, int row, int currentItem, int noPaint);

    void CheckPointerLeft() override;
    void MoveSelection(int step) override;
    void DrawItems(HDC panel) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
};
