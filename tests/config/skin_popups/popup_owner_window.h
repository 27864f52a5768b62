// A real owner window for the popup menus, standing in for the main dialog: it holds the
// images and item labels, opens and closes menus as the dialog does, and records what the
// menus report. Input comes from SendInput, as a user's would.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/wnd.h"
#include "popup/pop_menu.h"
#include "skin/label_bitmap.h"
#include "skin/skin_image.h"

struct MenuChoice {
    bool usbOutput;  // SelectUsbOutputRoute (input page) or SelectUsbInputRoute (output page)
    int row;
    int item;
};

enum class MenuKind { Input, Output };

class PopupOwnerWindow : public CWnd, public PopMenuOwner {
public:
    static constexpr int kClientWidth = 596;
    static constexpr int kClientHeight = 556;
    static constexpr int kRoutingLabelsRendered = 16;

    PopupOwnerWindow();
    ~PopupOwnerWindow() override;

    bool Create(int left, int top);
    CPopMenu* Open(MenuKind kind, int x, int y, int row, int currentItem);
    CPopMenu* menu() const { return menu_.get(); }

    // PopMenuOwner
    HWND OwnerWindow() const override { return m_hWnd; }
    int ProductId() const override { return 11; }
    bool AskInputMenuItemCount(int row, int& count) override;
    bool AskOutputMenuItemCount(int row, int& count) override;
    const SkinImage* PopupImageOf(PopupImage image) const override;
    const LabelBitmap* InputMenuLabel(int entry) const override;
    const LabelBitmap* RoutingLabel(int entry) const override;
    int RoutingLabelFirst(int row) const override { return row * 20; }
    const LabelBitmap* LevelLabel(int entry) const override;
    bool IsConnected() const override { return connected; }
    int CertifyState() const override { return certifyState; }
    void SelectUsbOutputRoute(int row, int item) override { choices.push_back({true, row, item}); }
    void SelectUsbInputRoute(int row, int item) override { choices.push_back({false, row, item}); }
    void SetSourceHighlight(int frame) override { highlights.push_back(frame); }
    void ClosePopupMenu() override;

    // What the menus asked and reported.
    int itemCount = 3;
    bool itemCountAnswered = true;
    bool connected = true;
    int certifyState = 1;
    std::vector<MenuChoice> choices;
    std::vector<int> highlights;
    mutable std::vector<int> inputLabelsAsked;
    mutable std::vector<int> routingLabelsAsked;
    mutable std::vector<int> levelLabelsAsked;
    int closes = 0;

    // Keys while a menu is open, as the dialog handles them before normal dispatch.
    bool HandleMenuKey(const MSG& message);

private:
    std::unique_ptr<SkinImage> images_[9];
    LabelBitmap inputLabels_[6];
    LabelBitmap routingLabels_[4 * 64];
    LabelBitmap levelLabels_[16];
    std::unique_ptr<CPopMenu> menu_;
};
