// What a popup menu needs from the window that opened it: images, item labels, mixer state,
// and where a choice and the source highlight go.
#pragma once

#include <windows.h>

class SkinImage;
class LabelBitmap;

enum class PopupImage {
    ShadowLU,
    ShadowRU,
    ShadowLC,
    ShadowRC,
    ShadowLD,
    ShadowCD,
    ShadowRD,
    CheckNormal,
    CheckFocus
};

class PopMenuOwner {
public:
    virtual HWND OwnerWindow() const = 0;
    virtual int ProductId() const = 0;
    // Item count asked from the setup library; false when the call did not return 100.
    virtual bool AskInputMenuItemCount(int row, int& count) = 0;   // GetNumOfOutputAudioIndex
    virtual bool AskOutputMenuItemCount(int row, int& count) = 0;  // GetNumOfInputAudioIndex / boost
    // Null when the owner has no such image or label: that element is not drawn.
    virtual const SkinImage* PopupImageOf(PopupImage image) const = 0;
    virtual const LabelBitmap* InputMenuLabel(int entry) const = 0;  // 3*s + i
    virtual const LabelBitmap* RoutingLabel(int entry) const = 0;    // 64*s + first(row) + i
    virtual int RoutingLabelFirst(int row) const = 0;
    virtual const LabelBitmap* LevelLabel(int entry) const = 0;  // 8*s + i
    virtual bool IsConnected() const = 0;
    virtual int CertifyState() const = 0;
    virtual void SelectUsbOutputRoute(int row, int item) = 0;
    virtual void SelectUsbInputRoute(int row, int item) = 0;
    virtual void SetSourceHighlight(int frame) = 0;
    // Destroys the open menu (window and object). Must be harmless when none is open.
    virtual void ClosePopupMenu() = 0;

protected:
    ~PopMenuOwner() = default;
};
