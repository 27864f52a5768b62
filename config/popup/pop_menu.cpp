#include "popup/pop_menu.h"

#include "popup/source_highlight_table.h"
#include "skin/gdi_owners.h"
#include "skin/skin_image.h"

using namespace skin;

namespace {

constexpr COLORREF kPanelColour = RGB(0xE8, 0xE8, 0xE8);
constexpr COLORREF kBorderColour = RGB(0x60, 0x60, 0x60);
constexpr COLORREF kHighlightColour = RGB(0x0A, 0x0A, 0x0A);
constexpr int kShadowCorner = 28;

POINT PointOf(LPARAM lParam)
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    if (brush.get() != nullptr) FillRect(dc, &rect, brush.get());
}

}  // namespace

bool RegisterPopMenuClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = CWnd::ClassWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = kPopMenuClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

CPopMenu::CPopMenu(PopMenuOwner& owner, int row, int currentItem, int noPaint)
    : owner_(owner), row_(row), currentItem_(currentItem), noPaint_(noPaint)
{
    selection_.focus = currentItem;
    selection_.highlight = false;
}

bool CPopMenu::CreateMenuWindow(int x, int y, int width)
{
    RECT ownerRect = {};
    GetWindowRect(owner_.OwnerWindow(), &ownerRect);
    const RECT rect = PopMenuWindowRect(ownerRect, GetSystemMetrics(SM_CXDLGFRAME),
                                        GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYCAPTION),
                                        x, y, width, static_cast<int>(itemCount_));
    CaptureBehind(rect);
    return CreateEx(0, kPopMenuClassName, kPopMenuWindowName, WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, owner_.OwnerWindow(), 0);
}

void CPopMenu::CaptureBehind(const RECT& screenRect)
{
    const int width = screenRect.right - screenRect.left;
    const int height = screenRect.bottom - screenRect.top;
    if (width <= 0 || height <= 0) return;
    WindowDc screen(nullptr);
    if (screen.get() == nullptr) return;
    MemoryDc copy(screen.get());
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (copy.get() == nullptr || bitmap.get() == nullptr) return;
    {
        SelectedObject select(copy.get(), bitmap.get());
        if (!BitBlt(copy.get(), 0, 0, width, height, screen.get(), screenRect.left, screenRect.top, SRCCOPY)) return;
    }
    behind_ = std::move(bitmap);
}

LRESULT CPopMenu::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 0;
    case WM_LBUTTONUP:
        // The owner may delete this menu inside the handler: return without touching it.
        OnLButtonUp(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), PointOf(lParam));
        return 0;
    default:
        return Default();
    }
}

void CPopMenu::InvalidateItems()
{
    if (m_hWnd == nullptr) return;
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const RECT items = PopMenuItemArea(client);
    RedrawWindow(m_hWnd, &items, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

int CPopMenu::SourceFrameOf(int item) const
{
    return SourceHighlightFrame(row_, item);
}

void CPopMenu::TrackPointer(POINT point, bool followsSource, bool drivesSourceOnItems)
{
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    const int hit = PopMenuHitTest(point.x, point.y, client.right, static_cast<int>(itemCount_));
    const bool onItem = hit >= 0;
    if (onItem) {
        if (drivesSourceOnItems && (hit != selection_.focus || pointerLeft_))
            owner_.SetSourceHighlight(SourceFrameOf(hit));
        pointerLeft_ = false;
    }
    if (!pointerLeft_ && selection_.focus != hit && row_ != 3 && hit == -1) {
        pointerLeft_ = true;
        if (followsSource) owner_.SetSourceHighlight(kSourceHighlightOff);
    }
    if (selection_.highlight != onItem || (onItem && hit != selection_.focus)) {
        selection_.focus = hit;
        selection_.highlight = onItem;
        InvalidateItems();
    }
    Default();
}

void CPopMenu::StepSelection(int step, bool highlightsSource)
{
    if (!StepPopSelection(selection_, step, static_cast<int>(itemCount_))) return;
    if (highlightsSource) owner_.SetSourceHighlight(SourceFrameOf(selection_.focus));
    InvalidateItems();
}

void CPopMenu::CheckLeave(bool followsSource)
{
    if (pointerLeft_ || m_hWnd == nullptr) return;
    POINT cursor = {};
    RECT window = {};
    if (!GetCursorPos(&cursor) || !GetWindowRect(m_hWnd, &window)) return;
    if (cursor.x >= window.left && cursor.x < window.right && cursor.y >= window.top &&
        cursor.y < window.bottom)
        return;
    pointerLeft_ = true;
    if (!selection_.highlight) return;
    selection_.highlight = false;
    if (followsSource) owner_.SetSourceHighlight(kSourceHighlightOff);
    InvalidateItems();
}

void CPopMenu::ChooseAndClose(void (PopMenuOwner::*report)(int row, int item))
{
    // Copies first: the owner deletes this menu, possibly already while taking the choice.
    PopMenuOwner& owner = owner_;
    const int row = row_;
    const int item = selection_.focus;
    const bool chosen = selection_.highlight;
    selection_.highlight = false;
    if (chosen) (owner.*report)(row, item);
    owner.ClosePopupMenu();
}

void CPopMenu::ChooseByKey(void (PopMenuOwner::*report)(int row, int item))
{
    if (itemCount_ == 0 || !selection_.highlight) return;
    PopMenuOwner& owner = owner_;
    const int row = row_;
    const int item = selection_.focus;
    selection_.highlight = false;
    (owner.*report)(row, item);
}

void CPopMenu::OnPaint()
{
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (dc == nullptr) return;
    // Painting the window validates it even when nothing may be drawn, or WM_PAINT repeats.
    if (noPaint_ == 0) {
        RECT client = {};
        GetClientRect(m_hWnd, &client);
        const int W = client.right;
        const int H = client.bottom;
        if (behind_.get() != nullptr) {
            MemoryDc source(dc);
            if (source.get() != nullptr) {
                SelectedObject select(source.get(), behind_.get());
                BitBlt(dc, 0, 0, W, H, source.get(), 0, 0, SRCCOPY);
            }
        }

        DrawSkinImage(dc, owner_.PopupImageOf(PopupImage::ShadowLU), 0, -8);
        DrawSkinImage(dc, owner_.PopupImageOf(PopupImage::ShadowRU), W - kShadowCorner, -8);
        // A menu without items is too low for the side pieces.
        if (H - 45 > 0) {
            DrawSkinImageStretchedV(dc, owner_.PopupImageOf(PopupImage::ShadowLC), 0, 17, H - 45);
            DrawSkinImageStretchedV(dc, owner_.PopupImageOf(PopupImage::ShadowRC), W - kShadowCorner, 17,
                                    H - 45);
        }
        DrawSkinImage(dc, owner_.PopupImageOf(PopupImage::ShadowLD), 0, H - kShadowCorner);
        DrawSkinImageStretchedH(dc, owner_.PopupImageOf(PopupImage::ShadowCD), kShadowCorner,
                                H - kShadowCorner, W - 2 * kShadowCorner);
        DrawSkinImage(dc, owner_.PopupImageOf(PopupImage::ShadowRD), W - kShadowCorner, H - kShadowCorner);

        const int panelWidth = W - 2 * kPopShadowMargin;
        const int panelHeight = H - kPopBottomMargin;
        MemoryDc panel(dc);
        GdiObject<HBITMAP> bitmap(panelWidth > 0 && panelHeight > 0
                                      ? CreateCompatibleBitmap(dc, panelWidth, panelHeight)
                                      : nullptr);
        if (panel.get() != nullptr && bitmap.get() != nullptr) {
            SelectedObject selectBitmap(panel.get(), bitmap.get());
            const RECT all = {0, 0, panelWidth, panelHeight};
            FillSolid(panel.get(), all, kPanelColour);
            {
                GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, kBorderColour));
                SelectedObject selectPen(panel.get(), pen.get());
                MoveToEx(panel.get(), 0, 0, nullptr);
                LineTo(panel.get(), panelWidth - 1, 0);
                LineTo(panel.get(), panelWidth - 1, panelHeight - 1);
                LineTo(panel.get(), 0, panelHeight - 1);
                LineTo(panel.get(), 0, 0);
            }
            const int focus = selection_.focus;
            if (selection_.highlight) {
                const RECT bar = {1, kPopItemHeight * focus + 6, panelWidth - 1, kPopItemHeight * focus + 24};
                FillSolid(panel.get(), bar, kHighlightColour);
            }
            DrawItems(panel.get());
            const bool focusedCheck = selection_.highlight && focus == currentItem_;
            if (currentItem_ >= 0)
                DrawSkinImage(panel.get(),
                          owner_.PopupImageOf(focusedCheck ? PopupImage::CheckFocus : PopupImage::CheckNormal),
                          1, kPopItemHeight * currentItem_ + 6);
            BitBlt(dc, kPopShadowMargin, 0, panelWidth, panelHeight, panel.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(m_hWnd, &paint);
}
