// Menus of the output routing page (rows 0 to 2: which mixer signal a computer input
// receives) and the boost level (row 5). The routing menus drive the page's source highlight.
#pragma once

#include "popup/pop_menu.h"

class COutPopMenu : public CPopMenu {
public:
    // Opens at once at owner client point (x, y); the item count comes from the owner
    // (AskOutputMenuItemCount). Check m_hWnd for success.
    COutPopMenu(PopMenuOwner& owner, int x, int y, int row, int currentItem, int noPaint);

    void CheckPointerLeft() override;
    void MoveSelection(int step) override;
    void DrawItems(HDC panel) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
};
