// The skinned popup menu: a borderless window drawn from the owner's images and labels that
// follows the pointer and the arrow keys and reports the chosen item to its owner.
#pragma once

#include "framework/wnd.h"
#include "popup/pop_menu_geometry.h"
#include "popup/pop_menu_owner.h"
#include "skin/gdi_owners.h"

// Window class of the menus; the owner registers it (RegisterPopMenuClass) before opening one.
inline constexpr wchar_t kPopMenuClassName[] = L"MixerPopMenu";
inline constexpr wchar_t kPopMenuWindowName[] = L"POPMENU";
// Class style 0, arrow cursor, no background brush, procedure CWnd::ClassWindowProc.
bool RegisterPopMenuClass(HINSTANCE instance);

class CPopMenu : public CWnd {
public:
    ~CPopMenu() override = default;

    // Owner's timer: notices a pointer that left the menu without a mouse message.
    virtual void CheckPointerLeft() = 0;
    // Keys: +1 Down, -1 Up, 0 Return (reports the focus item; the owner closes the menu next).
    virtual void MoveSelection(int step) = 0;
    virtual void DrawItems(HDC panel) = 0;
    // After this returns, the menu may already be deleted by its owner.
    virtual void OnLButtonUp(UINT flags, POINT point) = 0;
    virtual void OnLButtonDown(UINT flags, POINT point) = 0;
    virtual void OnMouseMove(UINT flags, POINT point) = 0;

    // Repaints the item area at once.
    void InvalidateItems();

    int row() const { return row_; }
    int currentItem() const { return currentItem_; }
    int focusItem() const { return selection_.focus; }
    bool highlightOn() const { return selection_.highlight; }
    bool pointerLeft() const { return pointerLeft_; }
    unsigned itemCount() const { return itemCount_; }

protected:
    CPopMenu(PopMenuOwner& owner, int row, int currentItem, int noPaint);

    // Creates the visible window with its panel at owner client point (x, y).
    bool CreateMenuWindow(int x, int y, int width);
    void SetItemCount(int count) { itemCount_ = static_cast<unsigned>(SanitisePopItemCount(count)); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Shared handling. `followsSource`: the menu turns the source highlight off when the
    // pointer leaves; `drivesSourceOnItems` / `highlightsSource`: it shows the item's source.
    void TrackPointer(POINT point, bool followsSource, bool drivesSourceOnItems);
    void StepSelection(int step, bool highlightsSteps);
    void CheckLeave(bool followsSource);
    // Reports the focus item to the owner through `report` and closes the menu: the object is
    // gone when this returns.
    void ChooseAndClose(void (PopMenuOwner::*report)(int row, int item));
    // Return key: reports the focus item; the owner closes the menu.
    void ChooseByKey(void (PopMenuOwner::*report)(int row, int item));
    // Frame of (row, item) for this menu, kSourceHighlightOff when it has none.
    int SourceFrameOf(int item) const;

    PopMenuOwner& owner_;
    int row_;
    int currentItem_;
    PopSelection selection_;
    bool pointerLeft_ = false;
    unsigned itemCount_ = 0;
    int noPaint_;

private:
    void OnPaint();
    // What the screen showed where the menu opens, so the shadow pieces compose over the
    // page beneath rather than over a blank window surface.
    void CaptureBehind(const RECT& screenRect);

    skin::GdiObject<HBITMAP> behind_;
};
