#include "popup_owner_window.h"

#include <string>

#include "popup/in_pop_menu.h"
#include "popup/out_pop_menu.h"

namespace {

constexpr wchar_t kOwnerClass[] = L"SkinPopupTestOwner";

const wchar_t* const kImageNames[9] = {
    L"PLDWN_SHADOW_LU", L"PLDWN_SHADOW_RU", L"PLDWN_SHADOW_LC", L"PLDWN_SHADOW_RC", L"PLDWN_SHADOW_LD",
    L"PLDWN_SHADOW_CD", L"PLDWN_SHADOW_RD", L"PLDWN_CHECK_NORMAL", L"PLDWN_CHECK_FOCUS",
};

constexpr COLORREF kNormalText = 0x010000;
constexpr COLORREF kNormalBack = RGB(0xE8, 0xE8, 0xE8);
constexpr COLORREF kFocusText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kFocusBack = RGB(0x0A, 0x0A, 0x0A);

}  // namespace

PopupOwnerWindow::PopupOwnerWindow() = default;

PopupOwnerWindow::~PopupOwnerWindow()
{
    menu_.reset();
}

bool PopupOwnerWindow::Create(int left, int top)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = CWnd::ClassWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kOwnerClass;
    RegisterClassExW(&windowClass);
    if (!RegisterPopMenuClass(GetModuleHandleW(nullptr))) return false;

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    if (!CreateEx(WS_EX_DLGMODALFRAME, kOwnerClass, L"Popup owner", style, left, top, frame.right - frame.left,
                  frame.bottom - frame.top, nullptr, 0))
        return false;

    for (int i = 0; i < 9; ++i) images_[i] = LoadSkinImage(GetModuleHandleW(nullptr), kImageNames[i]);
    HFONT font = CreateFontW(-48, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    for (int state = 0; state < 2; ++state) {
        const COLORREF text = state == 0 ? kNormalText : kFocusText;
        const COLORREF back = state == 0 ? kNormalBack : kFocusBack;
        for (int i = 0; i < 3; ++i) {
            const std::wstring name = L"PC " + std::to_wstring(i + 1);
            RenderLabelBitmap(m_hWnd, inputLabels_[3 * state + i], 0, 0, 50, 14, name.c_str(), text, back, font,
                              nullptr);
        }
        for (int i = 0; i < 8; ++i) {
            const std::wstring level = std::to_wstring(i * 3) + L" dB";
            RenderLabelBitmap(m_hWnd, levelLabels_[8 * state + i], 0, 0, 117, 14, level.c_str(), text, back, font,
                              nullptr);
        }
    }
    for (int state = 0; state < 4; ++state) {
        const bool focus = state == 1 || state == 3;
        const COLORREF text = state >= 2 ? RGB(0x90, 0x90, 0x90) : (focus ? kFocusText : kNormalText);
        for (int i = 0; i < kRoutingLabelsRendered; ++i) {
            const std::wstring name = L"Source " + std::to_wstring(i);
            RenderLabelBitmap(m_hWnd, routingLabels_[64 * state + i], 0, 0, 160, 14, name.c_str(), text,
                              focus ? kFocusBack : kNormalBack, font, nullptr);
        }
    }
    DeleteObject(font);
    return true;
}

CPopMenu* PopupOwnerWindow::Open(MenuKind kind, int x, int y, int row, int currentItem)
{
    ClosePopupMenu();
    closes = 0;
    if (kind == MenuKind::Input)
        menu_ = std::make_unique<CInPopMenu>(*this, x, y, row, currentItem, 0);
    else
        menu_ = std::make_unique<COutPopMenu>(*this, x, y, row, currentItem, 0);
    return menu_.get();
}

bool PopupOwnerWindow::AskInputMenuItemCount(int, int& count)
{
    count = itemCount;
    return itemCountAnswered;
}

bool PopupOwnerWindow::AskOutputMenuItemCount(int, int& count)
{
    count = itemCount;
    return itemCountAnswered;
}

const SkinImage* PopupOwnerWindow::PopupImageOf(PopupImage image) const
{
    const int index = static_cast<int>(image);
    return index >= 0 && index < 9 ? images_[index].get() : nullptr;
}

const LabelBitmap* PopupOwnerWindow::InputMenuLabel(int entry) const
{
    inputLabelsAsked.push_back(entry);
    return entry >= 0 && entry < 6 ? &inputLabels_[entry] : nullptr;
}

const LabelBitmap* PopupOwnerWindow::RoutingLabel(int entry) const
{
    routingLabelsAsked.push_back(entry);
    return entry >= 0 && entry < 4 * 64 ? &routingLabels_[entry] : nullptr;
}

const LabelBitmap* PopupOwnerWindow::LevelLabel(int entry) const
{
    levelLabelsAsked.push_back(entry);
    return entry >= 0 && entry < 16 ? &levelLabels_[entry] : nullptr;
}

void PopupOwnerWindow::ClosePopupMenu()
{
    SetSourceHighlight(-1);
    if (!menu_) return;
    ++closes;
    menu_->DestroyWindow();
    menu_.reset();
}

bool PopupOwnerWindow::HandleMenuKey(const MSG& message)
{
    if (message.message != WM_KEYDOWN || !menu_) return false;
    switch (message.wParam) {
    case VK_DOWN:
        menu_->MoveSelection(+1);
        return true;
    case VK_UP:
        menu_->MoveSelection(-1);
        return true;
    case VK_RETURN:
        menu_->MoveSelection(0);
        ClosePopupMenu();
        return true;
    case VK_ESCAPE:
        ClosePopupMenu();
        return true;
    default:
        return false;
    }
}
