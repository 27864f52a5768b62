#include "dialog/mixer_config_dlg.h"

#include "app/foreground.h"
#include "app/registry_names.h"
#include "app/setup_binding.h"
#include "app/ui_language.h"
#include "app/ui_strings.h"
#include "common/package_names.h"
#include "dialog/blink.h"
#include "dialog/label_log.h"
#include "dialog/label_recipe.h"
#include "dialog/placement.h"
#include "dialog/tab_strip.h"
#include "dialog/ui_fonts.h"
#include "skin/install_language.h"
#include "pages/asio_page.h"
#include "pages/input_routing_page.h"
#include "pages/output_routing_page.h"
#include "pages/version_page.h"
#include "strings/string_ids.h"

#include <dbt.h>

#include <cwctype>

namespace {

constexpr UINT_PTR kConnectionTimer = 1;  // 100 ms: connection, status, launch request, blink
constexpr UINT_PTR kCautionTimer = 2;     // 1 s: the caution symbol while the mixer is absent
constexpr int kLaunchPollPeriod = 10;     // connection-timer ticks between registry reads

// Where the timers draw on pages 0 and 1.
constexpr int kCautionX = 238, kCautionY = 175, kCautionSize = 24;
constexpr int kMixerX = 378, kMixerY = 94, kMixerWidth = 160, kMixerHeight = 164;
constexpr int kSourceFrameCount = 9;

constexpr COLORREF kTitleBand = RGB(0, 0, 0);
constexpr COLORREF kPageBackground = RGB(0xE8, 0xE8, 0xE8);
constexpr int kTitleBandHeight = 85;

const wchar_t* const kFrameImages[] = {
    L"LOGO",        L"CENTERLINE_T2", L"CENTERLINE_OUT_T2", L"PC",          L"INPUTSELECTOR",
    L"MIXER",       L"CAUTION",       L"TAB_L_ON",          L"TAB_L_OFF",   L"TAB_C_ON",
    L"TAB_C_OFF",   L"TAB_R_ON",      L"TAB_R_OFF",         L"TAB_L-END_ON", L"TAB_L-END_OFF",
    L"TAB_R-END_ON", L"TAB_R-END_OFF",
};

const wchar_t* const kSourceFrames[kSourceFrameCount] = {
    L"FRAME_TC1", L"FRAME_TC2", L"FRAME_CH1FD", L"FRAME_CH2FD", L"FRAME_CFA",
    L"FRAME_CFB", L"FRAME_TMIC", L"FRAME_AUX", L"FRAME_MASTER",
};

std::wstring UpperCase(const wchar_t* name)
{
    std::wstring key = name;
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towupper(c));
    return key;
}

bool Is64BitWindows()
{
#if defined(_WIN64)
    return true;
#else
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    auto function = kernel ? reinterpret_cast<IsWow64ProcessFunction>(
                                 reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")))
                           : nullptr;
    BOOL wow64 = FALSE;
    return function != nullptr && function(GetCurrentProcess(), &wow64) && wow64;
#endif
}

// A DWORD of an open key; nothing when missing or the "missing" marker.
std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name)
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (key == nullptr ||
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value || value == config::kMissingValue)
        return std::nullopt;
    return value;
}

}  // namespace

CMixerConfigDlg::CMixerConfigDlg() : CModalDialog(kTemplateId, nullptr)
{
    pages_[0] = std::make_unique<InputRoutingPage>(*this);
    pages_[1] = std::make_unique<OutputRoutingPage>(*this);
    pages_[2] = std::make_unique<AsioPage>(*this);
    pages_[3] = std::make_unique<VersionPage>(*this);
}

CMixerConfigDlg::~CMixerConfigDlg()
{
    // The menu's window is owned by this one: it goes first.
    if (popup) popup->DestroyWindow();
    popup.reset();
    DestroyWindow();
}

void CMixerConfigDlg::SetStartArguments(bool autoStart, const std::wstring& userSid)
{
    userRoot_.autoStart = autoStart;
    userRoot_.userSid = autoStart ? userSid : std::wstring();
}

// --- Initialisation --------------------------------------------------------------------------

BOOL CMixerConfigDlg::OnInitDialog()
{
    timing_.Milestone("init");
    HINSTANCE instance = GetModuleHandleW(nullptr);
    setupLoadResult = config::BindSetupLibrary();
    timing_.Milestone("library");

    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    HICON smallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon ? smallIcon : icon_));

    setup::QVR_GetProductId(config::kModelName, &productId);
    PlaceWindow();
    RegisterPopMenuClass(instance);
    timing_.Milestone("placed");
    for (const wchar_t* name : kFrameImages) LoadImage(name);
    timing_.Milestone("images");
    CreateFonts();
    timing_.Milestone("fonts");
    SetWindowTextW(m_hWnd, config::FormatUiString(kStrTitleFormat, config::kModelName).c_str());
    for (int tab = 0; tab < kPageCount; ++tab) tabLabels[tab] = config::LoadUiString(kStrTabMixerInput + tab);
    RenderLabel(connectedLabel, 0, 0, 82, 14, config::LoadUiString(kStrConnected).c_str(), RGB(0, 0, 0xFF),
                RGB(0xD0, 0xD0, 0xD0), labelFont.get());
    RenderLabel(notConnectedLabel, 0, 0, 82, 14, config::LoadUiString(kStrNotConnected).c_str(), RGB(0xFF, 0, 0),
                RGB(0xD0, 0xD0, 0xD0), labelFont.get());

    usbConnectionLevel = 255;
    certify = {};
    certifyAsPainted = config::kCertifyUndetermined;
    connected = setup::QVR_IsUSBConnection(productId) == QVR_CONNECTED;
    previousConnected = connected;
    if (connected) {
        usbConnectionLevel = 0;
        ReadCertifyState();
    }
    cautionToggle = false;
    selectorStatus.fill(kSelectorNotReported);
    is64BitWindows = Is64BitWindows();
    asioDriverState = 0;

    timing_.Milestone("labels");
    const char* const pageMilestones[kPageCount] = {"page0", "page1", "page2", "page3"};
    for (int tab = 0; tab < kPageCount; ++tab) {
        pages_[tab]->Init();
        timing_.Milestone(pageMilestones[tab]);
    }

    if (userRoot_.autoStart) {
        currentTab = 1;
    } else {
        // The remembered tab belongs to the user at the console, never to another user's hive.
        const std::optional<DWORD> tab = config::ReadSettingsDword(HKEY_CURRENT_USER, L"Tab");
        currentTab = tab && *tab < static_cast<DWORD>(kPageCount) ? static_cast<int>(*tab) : 0;
    }
    if (setupLoadResult != 0) currentTab = 3;

    if (connected) {
        ReadInputSelectorStatuses();
        static_cast<InputRoutingPage&>(page(0)).RenderChannelLabels();
        Redraw();
    }
    tabChosenByUser = false;
    blinkOpacity = 100;
    blinkCounter = 0;
    launchPollCounter = 8;
    launchRequestSeen = false;
    SetTimer(m_hWnd, kConnectionTimer, 100, nullptr);
    SetTimer(m_hWnd, kCautionTimer, 1000, nullptr);

    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = rkx::names::kUsbDeviceInterfaceClass;
    deviceNotification_ = RegisterDeviceNotificationW(m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);

    config::BringToForeground(m_hWnd);
    timing_.Milestone("shown");
    return TRUE;
}

void CMixerConfigDlg::PlaceWindow()
{
    const SIZE size{2 * GetSystemMetrics(SM_CXDLGFRAME) + config::kClientWidth,
                    2 * GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION) + config::kClientHeight};
    RECT current{};
    GetWindowRect(m_hWnd, &current);
    RECT desktop{};
    GetClientRect(GetDesktopWindow(), &desktop);
    const rkx::UniqueKey root = userRoot_.Open();
    std::optional<int> left, top;
    if (auto x = config::ReadSettingsDword(root.get(), L"PosX")) left = static_cast<int>(*x);
    if (auto y = config::ReadSettingsDword(root.get(), L"PosY")) top = static_cast<int>(*y);
    const config::Placement placement = config::PlaceWindow(current, size, left, top, desktop);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!placement.move) flags |= SWP_NOMOVE;
    SetWindowPos(m_hWnd, nullptr, placement.rect.left, placement.rect.top, size.cx, size.cy, flags);
}

void CMixerConfigDlg::CreateFonts()
{
    config::UiFonts fonts = config::MakeUiFonts(config::ReadInstallLanguage(), config::LoadUiString(kStrFontFace));
    uiFaceName = fonts.face;
    arialFont = std::move(fonts.arial12);
    labelFont = std::move(fonts.label48);
    messageFont = std::move(fonts.message48);
    buttonFont = std::move(fonts.button52);
}

// --- Operations for pages and popups ---------------------------------------------------------

void CMixerConfigDlg::Redraw()
{
    if (m_hWnd) RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CMixerConfigDlg::RedrawRect(int left, int top, int right, int bottom)
{
    const RECT rect{left, top, right, bottom};
    if (m_hWnd) RedrawWindow(m_hWnd, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CMixerConfigDlg::ClosePopupMenu()
{
    sourceHighlight = -1;
    if (popup) {
        // Moved out first: destroying the window may bring us back here.
        std::unique_ptr<CPopMenu> closing = std::move(popup);
        RECT covered{};
        const bool placed = closing->m_hWnd != nullptr && GetWindowRect(closing->m_hWnd, &covered) &&
                            ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&covered.left)) &&
                            ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&covered.right));
        closing->DestroyWindow();
        // What the menu covered is painted at once: a choice that raises the warning balloon
        // stops the blink, and nothing else would repaint there until the next change.
        if (placed) RedrawRect(covered.left, covered.top, covered.right, covered.bottom);
    }
    popupRow = -1;
    popupOpen = false;
}

void CMixerConfigDlg::SetSourceHighlight(int frame) { sourceHighlight = frame; }

void CMixerConfigDlg::RenderLabel(LabelBitmap& target, int x, int y, int w, int h, const wchar_t* text,
                                  COLORREF textColour, COLORREF background, HFONT font, int* measuredWidth)
{
    config::LogRenderedLabel(w, h, textColour, text);
    config::LabelRecipe recipe;
    recipe.x = x, recipe.y = y, recipe.w = w, recipe.h = h;
    recipe.text = text != nullptr ? text : L"";
    recipe.textColour = textColour, recipe.background = background, recipe.font = font;
    recipe.measuredIn = measuredWidth != nullptr ? *measuredWidth : -1;
    if (text != nullptr && labelRecipes_.StillRendered(target, recipe, measuredWidth)) return;
    RenderLabelBitmap(m_hWnd, target, x, y, w, h, text, textColour, background, font, measuredWidth);
    if (text != nullptr) labelRecipes_.Note(target, std::move(recipe), measuredWidth);
}

void CMixerConfigDlg::RenderWrappedLabel(LabelBitmap& target, int x, int y, int w, int h, const wchar_t* text,
                                         COLORREF textColour, COLORREF background, HFONT font, int rightInset)
{
    config::LogRenderedLabel(w, h, textColour, text);
    config::LabelRecipe recipe;
    recipe.wrapped = true;
    recipe.x = x, recipe.y = y, recipe.w = w, recipe.h = h;
    recipe.text = text != nullptr ? text : L"";
    recipe.textColour = textColour, recipe.background = background, recipe.font = font;
    recipe.arialLabelFont = labelFont.get(), recipe.rightInset = rightInset;
    recipe.language = skin::ReadInstallLanguage();
    if (text != nullptr && labelRecipes_.StillRendered(target, recipe, nullptr)) return;
    RenderWrappedLabelBitmap(m_hWnd, target, x, y, w, h, text, textColour, background, font, labelFont.get(),
                             rightInset);
    if (text != nullptr) labelRecipes_.Note(target, std::move(recipe), nullptr);
}

const SkinImage* CMixerConfigDlg::LoadImage(const wchar_t* name)
{
    return Image(name);
}

const SkinImage* CMixerConfigDlg::Image(const wchar_t* name) const
{
    std::wstring key = UpperCase(name);
    auto found = images_.find(key);
    if (found == images_.end())
        found = images_.emplace(std::move(key), LoadSkinImage(GetModuleHandleW(nullptr), name)).first;
    return found->second.get();
}

void CMixerConfigDlg::Capture(CapturedArea& area, HDC picture, int x, int y, int w, int h)
{
    if (area.captured) return;
    skin::MemoryDc memory(picture);
    area.pixels.reset(CreateCompatibleBitmap(picture, w, h));
    if (memory.get() == nullptr || area.pixels.get() == nullptr) return;
    skin::SelectedObject selected(memory.get(), area.pixels.get());
    BitBlt(memory.get(), 0, 0, w, h, picture, x, y, SRCCOPY);
    area.captured = true;
}

void CMixerConfigDlg::CaptureCautionBackground(HDC picture)
{
    if (IsRoutingPage()) Capture(cautionBackground_[currentTab], picture, kCautionX, kCautionY, kCautionSize, kCautionSize);
}

void CMixerConfigDlg::CaptureFrameBackground(HDC picture)
{
    if (IsRoutingPage()) Capture(frameBackground_[currentTab], picture, kMixerX, kMixerY, kMixerWidth, kMixerHeight);
}

void CMixerConfigDlg::ShowCaptured(const CapturedArea& area, int x, int y, int w, int h, const SkinImage* over, int opacity)
{
    if (!area.captured || IsIconic(m_hWnd)) return;
    skin::WindowDc window(m_hWnd);
    skin::MemoryDc source(window.get());
    skin::MemoryDc composed(window.get());
    skin::GdiObject<HBITMAP> picture(CreateCompatibleBitmap(window.get(), w, h));
    if (source.get() == nullptr || composed.get() == nullptr || picture.get() == nullptr) return;
    skin::SelectedObject background(source.get(), area.pixels.get());
    skin::SelectedObject target(composed.get(), picture.get());
    BitBlt(composed.get(), 0, 0, w, h, source.get(), 0, 0, SRCCOPY);
    if (over != nullptr) {
        if (opacity >= 100)
            DrawSkinImage(composed.get(), over, 0, 0);
        else
            DrawSkinImageFaded(composed.get(), over, 0, 0, opacity);
    }
    BitBlt(window.get(), x, y, w, h, composed.get(), 0, 0, SRCCOPY);
}

bool CMixerConfigDlg::ReadInputSelectorStatuses()
{
    bool changed = false;
    for (int channel = 0; channel < 3; ++channel) {
        int status = kSelectorNotReported;
        setup::QVR_GetMixerInputSelectorStatus(productId, channel, &status);
        if (status >= 0 && status < 25 && status != selectorStatus[channel]) {
            selectorStatus[channel] = static_cast<uint16_t>(status);
            changed = true;
        }
    }
    if (changed) selectorStatusForDrawing = selectorStatus;
    return changed;
}

void CMixerConfigDlg::ReadCertifyState()
{
    int level = config::kCertifyUndetermined;
    const int result = connected ? setup::QVR_GetMixerCertifyLevel(productId, &level) : QVR_FAILURE;
    config::ApplyCertifyReading(certify, connected, result, level);
}

// --- PopMenuOwner --------------------------------------------------------------------------------

bool CMixerConfigDlg::AskInputMenuItemCount(int row, int& count)
{
    return setup::QVR_GetNumOfOutputAudioIndex(productId, row, &count) == QVR_SUCCESS;
}

bool CMixerConfigDlg::AskOutputMenuItemCount(int row, int& count)
{
    if (row == 5) return setup::QVR_GetNumOfBoostLevelIndex(productId, &count) == QVR_SUCCESS;
    return setup::QVR_GetNumOfInputAudioIndex(productId, row, &count) == QVR_SUCCESS;
}

const SkinImage* CMixerConfigDlg::PopupImageOf(PopupImage image) const
{
    switch (image) {
    case PopupImage::ShadowLU: return Image(L"PLDWN_SHADOW_LU");
    case PopupImage::ShadowRU: return Image(L"PLDWN_SHADOW_RU");
    case PopupImage::ShadowLC: return Image(L"PLDWN_SHADOW_LC");
    case PopupImage::ShadowRC: return Image(L"PLDWN_SHADOW_RC");
    case PopupImage::ShadowLD: return Image(L"PLDWN_SHADOW_LD");
    case PopupImage::ShadowCD: return Image(L"PLDWN_SHADOW_CD");
    case PopupImage::ShadowRD: return Image(L"PLDWN_SHADOW_RD");
    case PopupImage::CheckNormal: return Image(L"PLDWN_CHECK_NORMAL");
    case PopupImage::CheckFocus: return Image(L"PLDWN_CHECK_FOCUS");
    }
    return nullptr;
}

template <std::size_t N>
static const LabelBitmap* EntryOf(const std::array<LabelBitmap, N>& labels, int entry)
{
    return entry >= 0 && static_cast<std::size_t>(entry) < N ? &labels[entry] : nullptr;
}

const LabelBitmap* CMixerConfigDlg::InputMenuLabel(int entry) const { return EntryOf(inputMenuLabels, entry); }
const LabelBitmap* CMixerConfigDlg::RoutingLabel(int entry) const { return EntryOf(routingLabels, entry); }
const LabelBitmap* CMixerConfigDlg::LevelLabel(int entry) const { return EntryOf(levelLabels, entry); }

int CMixerConfigDlg::RoutingLabelFirst(int row) const
{
    return row >= 0 && row < static_cast<int>(routingLabelFirst.size()) ? routingLabelFirst[row] : 0;
}

void CMixerConfigDlg::SelectUsbOutputRoute(int row, int item)
{
    static_cast<InputRoutingPage&>(page(0)).SelectUsbOutputRoute(row, item);
}

void CMixerConfigDlg::SelectUsbInputRoute(int row, int item)
{
    static_cast<OutputRoutingPage&>(page(1)).SelectUsbInputRoute(row, item);
}

// --- Messages ----------------------------------------------------------------------------------

bool CMixerConfigDlg::PreTranslateMessage(MSG& message)
{
    if (message.message != WM_KEYDOWN) return false;
    switch (message.wParam) {
    case VK_DOWN:
    case VK_UP:
        if (!popupOpen || !popup) return false;
        popup->MoveSelection(message.wParam == VK_DOWN ? 1 : -1);
        return true;
    case VK_RETURN:
        if (popupOpen && popup) {
            popup->MoveSelection(0);
            ClosePopupMenu();
        }
        return true;  // never the dialog manager's "OK"
    case VK_ESCAPE:
        if (popupOpen) ClosePopupMenu();
        return true;  // never the dialog manager's "Cancel"
    default:
        return false;
    }
}

bool CMixerConfigDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_ERASEBKGND:
        result = 0;  // the paint covers everything; erasing first would flicker
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(icon_);
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLButtonDown(x, y);
        return true;
    case WM_LBUTTONUP:
        if (setupLoadResult == 0 && currentTab == 2) page(2).OnLButtonUp(x, y);
        return true;
    case WM_MOUSEMOVE:
        if (setupLoadResult == 0 && currentTab == 2) page(2).OnMouseMove(x, y);
        return true;
    case WM_NCLBUTTONDOWN:
        ClosePopupMenu();
        return false;  // dragging and the caption buttons still work
    case WM_ACTIVATEAPP:
        ClosePopupMenu();
        return false;
    case WM_NCACTIVATE:
        if (!wParam && popupOpen) {
            // The menu has the focus; the window keeps its active caption meanwhile.
            result = TRUE;
            return true;
        }
        return false;
    case WM_DEVICECHANGE:
        OnDeviceChange(wParam, lParam);
        result = TRUE;
        return true;
    case WM_COMMAND:
        // The dialog manager's OK and Cancel never close this window.
        return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
    case WM_CLOSE:
        EndModal(IDCANCEL);
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    default:
        return false;
    }
}

void CMixerConfigDlg::OnPaint()
{
    const long long started = config::PaintTiming::Now();
    timing_.Milestone("paint");
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    if (dc == nullptr) return;
    RECT client{};
    GetClientRect(m_hWnd, &client);
    if (IsIconic(m_hWnd)) {
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, icon_);
    } else {
        skin::MemoryDc memory(dc);
        skin::GdiObject<HBITMAP> picture(CreateCompatibleBitmap(dc, config::kClientWidth, config::kClientHeight));
        if (memory.get() != nullptr && picture.get() != nullptr) {
            skin::SelectedObject selected(memory.get(), picture.get());
            PaintFrameFromCache(memory.get());
            page(currentTab).Paint(memory.get());
            if (IsRoutingPage()) connectedAsPainted = connected;
            BitBlt(dc, 0, 0, config::kClientWidth, config::kClientHeight, memory.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(m_hWnd, &ps);
    if (timing_.enabled()) {
        GdiFlush();
        timing_.PaintDone(started);
    }
}

void CMixerConfigDlg::PaintFrameFromCache(HDC dc)
{
    skin::GdiObject<HBITMAP>& kept = framePictures_[currentTab];
    skin::MemoryDc keptDc(dc);
    if (keptDc.get() == nullptr) {
        PaintFrame(dc);
        return;
    }
    if (kept.get() == nullptr) {
        PaintFrame(dc);
        kept.reset(CreateCompatibleBitmap(dc, config::kClientWidth, config::kClientHeight));
        if (kept.get() == nullptr) return;
        skin::SelectedObject selected(keptDc.get(), kept.get());
        BitBlt(keptDc.get(), 0, 0, config::kClientWidth, config::kClientHeight, dc, 0, 0, SRCCOPY);
        return;
    }
    skin::SelectedObject selected(keptDc.get(), kept.get());
    BitBlt(dc, 0, 0, config::kClientWidth, config::kClientHeight, keptDc.get(), 0, 0, SRCCOPY);
}

void CMixerConfigDlg::PaintFrame(HDC dc)
{
    const RECT band{0, 0, config::kClientWidth, kTitleBandHeight};
    const RECT body{0, kTitleBandHeight, config::kClientWidth, config::kClientHeight};
    skin::GdiObject<HBRUSH> black(CreateSolidBrush(kTitleBand));
    skin::GdiObject<HBRUSH> grey(CreateSolidBrush(kPageBackground));
    FillRect(dc, &band, black.get());
    FillRect(dc, &body, grey.get());
    DrawSkinImage(dc, Image(L"LOGO"), 0, 0);

    const int top = config::kTabStripTop;
    DrawSkinImage(dc, Image(currentTab == 0 ? L"TAB_L-END_ON" : L"TAB_L-END_OFF"), config::kTabLeftEndX, top);
    for (int tab = 0; tab < kPageCount; ++tab) {
        DrawSkinImageStretchedH(dc, Image(currentTab == tab ? L"TAB_C_ON" : L"TAB_C_OFF"), config::TabMiddleX(tab), top,
                                config::kTabMiddleWidth);
        if (tab < kPageCount - 1) {
            const wchar_t* join = currentTab == tab ? L"TAB_R_ON" : currentTab == tab + 1 ? L"TAB_L_ON" : L"TAB_R_OFF";
            DrawSkinImage(dc, Image(join), config::TabJoinX(tab), top);
        }
    }
    DrawSkinImage(dc, Image(currentTab == 3 ? L"TAB_R-END_ON" : L"TAB_R-END_OFF"), config::kTabRightEndX, top);
    for (int tab = 0; tab < kPageCount; ++tab)
        DrawCenteredText(dc, tabLabels[tab].c_str(), 0, config::TabMiddleX(tab), config::kTabLabelTop,
                         config::kTabMiddleWidth, false);
}

void CMixerConfigDlg::OnLButtonDown(int x, int y)
{
    // Without the setup library only the version page can be shown.
    if (setupLoadResult != 0) return;
    const int tab = config::TabAt(x, y, currentTab);
    if (tab >= 0) SwitchToTab(tab);
    if (currentTab <= 2) page(currentTab).OnLButtonDown(x, y);
}

void CMixerConfigDlg::SwitchToTab(int tab)
{
    tabChosenByUser = true;
    sourceHighlight = -1;
    page1Warning = 0;
    ClosePopupMenu();
    currentTab = tab;
    if (tab == 2 || tab == 3) page(tab).Refresh();
    Redraw();
}

// --- Timers -------------------------------------------------------------------------------------

void CMixerConfigDlg::OnTimer(UINT_PTR id)
{
    if (id == kConnectionTimer) {
        const long long started = config::PaintTiming::Now();
        OnConnectionTimer();
        timing_.BlinkTickDone(started);
    } else if (id == kCautionTimer) {
        OnCautionTimer();
    }
}

void CMixerConfigDlg::OnConnectionTimer()
{
    const bool connectionChanged = connected != previousConnected;
    previousConnected = connected;

    PollLaunchRequest();
    if (currentTab == 2) static_cast<AsioPage&>(page(2)).PollDrivers();

    if (IsRoutingPage()) {
        if (connectionChanged) {
            ReadInputSelectorStatuses();
            static_cast<InputRoutingPage&>(page(0)).RenderChannelLabels();
            usbConnectionLevel = connected ? 0 : 255;
            ReadCertifyState();
            Redraw();
            return;
        }
        if (connected) {
            ReadCertifyState();
            if (certify.state != certifyAsPainted) {
                certifyAsPainted = certify.state;
                Redraw();
            }
            if (ReadInputSelectorStatuses()) {
                static_cast<InputRoutingPage&>(page(0)).RenderChannelLabels();
                if (currentTab == 1 && usbConnectionLevel == 0 && page1Warning > 0 &&
                    selectorStatus[page1Warning - 1] == kSelectorUsb)
                    page1Warning = 0;
                Redraw();
                return;
            }
        } else if (connectedAsPainted) {
            Redraw();
        }
        if (page1Warning != 0) return;
        const long long blinkStarted = config::PaintTiming::Now();
        BlinkFrame();
        timing_.BlinkDrawDone(blinkStarted);
    }
    if (currentTab == 1 && popup) popup->CheckPointerLeft();
    if (currentTab == 3 && connectionChanged) {
        page(3).Refresh();
        Redraw();
    }
}

void CMixerConfigDlg::BlinkFrame()
{
    blinkCounter = (blinkCounter + 1) % config::kBlinkSteps;
    blinkOpacity = config::kBlinkOpacity[blinkCounter];
    if (currentTab == 0) {
        ShowCaptured(frameBackground_[0], kMixerX, kMixerY, kMixerWidth, kMixerHeight, Image(L"FRAME_INPUTSELECTOR"),
                     blinkOpacity);
    } else if (currentTab == 1) {
        // Highlight 9 (and anything else outside the nine frames) names no frame: none is drawn.
        const SkinImage* frame = sourceHighlight >= 0 && sourceHighlight < kSourceFrameCount
                                     ? Image(kSourceFrames[sourceHighlight]) : nullptr;
        ShowCaptured(frameBackground_[1], kMixerX, kMixerY, kMixerWidth, kMixerHeight, frame, blinkOpacity);
    }
}

void CMixerConfigDlg::PollLaunchRequest()
{
    if (++launchPollCounter < kLaunchPollPeriod) return;
    launchPollCounter = 0;
    const rkx::UniqueKey root = userRoot_.Open();
    const rkx::UniqueKey settings = config::CreateSettingsKey(root.get());
    const DWORD request = ReadDword(settings.get(), rkx::names::kAsioConfigLaunchValueW).value_or(0);
    if (request == 0) return;
    if (!launchRequestSeen) {
        launchRequestSeen = true;
        tabChosenByUser = false;
    }
    if (!tabChosenByUser && currentTab != 2) {
        // As a switch by the user does: a routing menu or a warning of the page left goes.
        sourceHighlight = -1;
        page1Warning = 0;
        ClosePopupMenu();
        currentTab = 2;
        page(2).Refresh();
        Redraw();
    }
    // The control panel asked for this window: keep it in front of the host that asked.
    SetWindowLongW(m_hWnd, GWL_EXSTYLE, GetWindowLongW(m_hWnd, GWL_EXSTYLE) | WS_EX_TOPMOST);
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
}

void CMixerConfigDlg::OnCautionTimer()
{
    if (connected || page1Warning != 0) return;
    cautionToggle = !cautionToggle;
    if (IsRoutingPage())
        ShowCaptured(cautionBackground_[currentTab], kCautionX, kCautionY, kCautionSize, kCautionSize,
                     cautionToggle ? Image(L"CAUTION") : nullptr, 100);
}

// --- Devices and the end ------------------------------------------------------------------------

void CMixerConfigDlg::OnDeviceChange(WPARAM event, LPARAM data)
{
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    const bool deviceInterface = header != nullptr && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE;
    bool recheck = false;
    switch (event) {
    case DBT_DEVNODES_CHANGED:
        recheck = true;
        break;
    case DBT_DEVICEARRIVAL:
        recheck = deviceInterface &&
                  IsEqualGUID(reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header)->dbcc_classguid,
                              rkx::names::kUsbDeviceInterfaceClass);
        break;
    case DBT_DEVICEQUERYREMOVE:
    case DBT_DEVICEREMOVEPENDING:
    case DBT_DEVICEREMOVECOMPLETE:
        recheck = deviceInterface;
        break;
    default:
        break;
    }
    // The next 100 ms tick turns a change into the page updates.
    if (recheck) connected = setup::QVR_IsUSBConnection(productId) == QVR_CONNECTED;
}

void CMixerConfigDlg::SaveState()
{
    const rkx::UniqueKey root = userRoot_.Open();
    const rkx::UniqueKey settings = config::CreateSettingsKey(root.get());
    if (!settings) return;
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    config::WriteDword(settings.get(), L"Tab", static_cast<DWORD>(currentTab));
    config::WriteDword(settings.get(), L"PosX", static_cast<DWORD>(window.left));
    config::WriteDword(settings.get(), L"PosY", static_cast<DWORD>(window.top));
    config::WriteDword(settings.get(), rkx::names::kAsioConfigLaunchValueW, 0);
}

void CMixerConfigDlg::OnDestroy()
{
    KillTimer(m_hWnd, kConnectionTimer);
    KillTimer(m_hWnd, kCautionTimer);
    if (deviceNotification_ != nullptr) UnregisterDeviceNotification(deviceNotification_);
    deviceNotification_ = nullptr;
    SaveState();
    setup::QVR_UnregisterInputAudioChangedCallback(productId);
    setup::QVR_UnregisterBoostLevelChangedCallback(productId);
    setup::QVR_UnregisterMidiChannelChangedCallback(productId);
    for (auto* areas : {&cautionBackground_, &frameBackground_})
        for (CapturedArea& area : *areas) {
            area.pixels.reset();
            area.captured = false;
        }
    ClosePopupMenu();
    timing_.Write();
}
