// The utility's only window: the frame with the title band and the tab strip, the four pages,
// the timers that follow the mixer and the ASIO control panel, and the one open popup menu.
#pragma once

#include "app/user_registry.h"
#include "dialog/certify_state.h"
#include "dialog/dialog_page.h"
#include "dialog/label_recipe.h"
#include "dialog/paint_timing.h"
#include "framework/modal_dialog.h"
#include "popup/pop_menu.h"
#include "popup/pop_menu_owner.h"
#include "skin/gdi_owners.h"
#include "skin/label_bitmap.h"
#include "skin/skin_image.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class CMixerConfigDlg : public CModalDialog, public PopMenuOwner {
public:
    static constexpr UINT kTemplateId = 503;
    static constexpr UINT kIconId = 505;
    static constexpr int kPageCount = 4;
    static constexpr uint16_t kSelectorNotReported = 0xFFFF;
    static constexpr uint16_t kSelectorUsb = 4;

    CMixerConfigDlg();
    ~CMixerConfigDlg() override;

    // From start-up, before the window opens.
    void SetStartArguments(bool autoStart, const std::wstring& userSid);

    // --- Operations the pages and popups use ---------------------------------------------
    // The whole client area repainted at once; or one rectangle of it.
    void Redraw();
    void RedrawRect(int left, int top, int right, int bottom);
    void ClosePopupMenu() override;
    void SetSourceHighlight(int frame) override;
    // Label bitmaps of this window (see RenderLabelBitmap / RenderWrappedLabelBitmap).
    void RenderLabel(LabelBitmap& target, int x, int y, int w, int h, const wchar_t* text, COLORREF textColour,
                     COLORREF background, HFONT font, int* measuredWidth = nullptr);
    void RenderWrappedLabel(LabelBitmap& target, int x, int y, int w, int h, const wchar_t* text,
                            COLORREF textColour, COLORREF background, HFONT font, int rightInset);
    // A skin image, loaded once and kept for the life of the window (null when absent).
    const SkinImage* LoadImage(const wchar_t* name);
    // Pages 0 and 1: keep the pixels behind the caution symbol and behind the mixer picture
    // the first time the page paints, for the timers' small redraws.
    void CaptureCautionBackground(HDC picture);
    void CaptureFrameBackground(HDC picture);
    // Reads the three input selector statuses; true when any changed.
    bool ReadInputSelectorStatuses();
    // Certify state from the mixer, with the 50-reading rule.
    void ReadCertifyState();
    // The registry root of the user whose settings the window shows.
    const config::UserRoot& userRoot() const { return userRoot_; }
    const wchar_t* UserKey() const { return userRoot_.UserKey(); }
    DialogPage& page(int index) { return *pages_[index]; }

    // --- State the pages read and write (UI thread only) -----------------------------------
    int productId = 0;
    int setupLoadResult = 2;
    bool connected = false;
    bool previousConnected = false;
    bool connectedAsPainted = false;
    int usbConnectionLevel = 255;
    config::CertifyState certify;
    int certifyAsPainted = config::kCertifyUndetermined;
    std::array<uint16_t, 3> selectorStatus{kSelectorNotReported, kSelectorNotReported, kSelectorNotReported};
    std::array<uint16_t, 3> selectorStatusForDrawing{kSelectorNotReported, kSelectorNotReported, kSelectorNotReported};
    int currentTab = 0;
    bool tabChosenByUser = false;
    bool launchRequestSeen = false;
    int launchPollCounter = 8;
    int blinkCounter = 0;
    int blinkOpacity = 100;
    bool cautionToggle = false;
    int popupRow = -1;
    bool popupOpen = false;
    std::unique_ptr<CPopMenu> popup;
    int sourceHighlight = -1;
    int page1Warning = 0;
    bool is64BitWindows = false;
    int asioDriverState = 0;

    // Fonts, made at four times the display size for label bitmaps (except the 12-pixel one).
    skin::GdiObject<HFONT> arialFont;    // 12-pixel Arial
    skin::GdiObject<HFONT> labelFont;    // 48-pixel Arial
    skin::GdiObject<HFONT> messageFont;  // 48-pixel UI face
    skin::GdiObject<HFONT> buttonFont;   // 52-pixel UI face
    std::wstring uiFaceName;

    std::array<std::wstring, kPageCount> tabLabels;
    LabelBitmap connectedLabel;
    LabelBitmap notConnectedLabel;

    // Item labels the popup menus draw; filled by the routing pages.
    std::array<LabelBitmap, 6> inputMenuLabels;     // 3 * state + item
    std::array<LabelBitmap, 256> routingLabels;     // 64 * state + first(row) + item
    std::array<int, 4> routingLabelFirst{0, 0, 0, 0};
    std::array<LabelBitmap, 16> levelLabels;        // 8 * state + item

    // --- PopMenuOwner ------------------------------------------------------------------------
    HWND OwnerWindow() const override { return m_hWnd; }
    int ProductId() const override { return productId; }
    bool AskInputMenuItemCount(int row, int& count) override;
    bool AskOutputMenuItemCount(int row, int& count) override;
    const SkinImage* PopupImageOf(PopupImage image) const override;
    const LabelBitmap* InputMenuLabel(int entry) const override;
    const LabelBitmap* RoutingLabel(int entry) const override;
    int RoutingLabelFirst(int row) const override;
    const LabelBitmap* LevelLabel(int entry) const override;
    bool IsConnected() const override { return connected; }
    int CertifyState() const override { return certify.state; }
    void SelectUsbOutputRoute(int row, int item) override;
    void SelectUsbInputRoute(int row, int item) override;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;

private:
    struct CapturedArea {
        skin::GdiObject<HBITMAP> pixels;
        bool captured = false;
    };

    const SkinImage* Image(const wchar_t* name) const;
    bool IsRoutingPage() const { return currentTab == 0 || currentTab == 1; }
    void PlaceWindow();
    void CreateFonts();
    void SwitchToTab(int tab);
    void OnPaint();
    void PaintFrame(HDC dc);
    // PaintFrame, or the picture it left the last time this tab was current.
    void PaintFrameFromCache(HDC dc);
    void OnLButtonDown(int x, int y);
    void OnTimer(UINT_PTR id);
    void OnConnectionTimer();
    void PollLaunchRequest();
    void BlinkFrame();
    void OnCautionTimer();
    void OnDeviceChange(WPARAM event, LPARAM data);
    void OnDestroy();
    void SaveState();
    void Capture(CapturedArea& area, HDC picture, int x, int y, int w, int h);
    // Puts a captured background (and optionally an image faded over it) on screen in one copy.
    void ShowCaptured(const CapturedArea& area, int x, int y, int w, int h, const SkinImage* over, int opacity);

    config::UserRoot userRoot_;
    std::array<std::unique_ptr<DialogPage>, kPageCount> pages_;
    // Decoded at first use, also from const drawing paths; kept for the life of the window.
    mutable std::map<std::wstring, std::unique_ptr<SkinImage>> images_;
    config::LabelRecipes labelRecipes_;
    // The title band and tab strip as painted with each tab current: they change with nothing else.
    std::array<skin::GdiObject<HBITMAP>, kPageCount> framePictures_;
    std::array<CapturedArea, 2> cautionBackground_;
    std::array<CapturedArea, 2> frameBackground_;
    HDEVNOTIFY deviceNotification_ = nullptr;
    HICON icon_ = nullptr;
    config::PaintTiming timing_;
};
