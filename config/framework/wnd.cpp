#include "framework/wnd.h"

namespace {

// The object lives in a window property, not GWLP_USERDATA, so dialogs and subclasses keep
// their own user data.
constexpr wchar_t kObjectProperty[] = L"RkxWndObject";

}  // namespace

CWnd::~CWnd()
{
    if (m_hWnd == nullptr) return;
    HWND window = m_hWnd;
    Unbind();
    ::DestroyWindow(window);
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                    int x, int y, int width, int height, HWND owner, UINT_PTR id)
{
    if (m_hWnd != nullptr) return false;
    HWND window = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, owner,
                                  reinterpret_cast<HMENU>(id), GetModuleHandleW(nullptr), this);
    // WM_NCCREATE bound the window; a creation refused later has unbound it again.
    return window != nullptr && m_hWnd == window;
}

void CWnd::DestroyWindow()
{
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND window)
{
    if (window == nullptr) return nullptr;
    return static_cast<CWnd*>(GetPropW(window, kObjectProperty));
}

void CWnd::Bind(HWND window)
{
    m_hWnd = window;
    SetPropW(window, kObjectProperty, this);
}

void CWnd::Unbind()
{
    if (m_hWnd == nullptr) return;
    RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = FromHandle(window);
    if (object == nullptr && message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        object = static_cast<CWnd*>(create->lpCreateParams);
        if (object != nullptr) object->Bind(window);
    }
    if (object == nullptr) return DefWindowProcW(window, message, wParam, lParam);

    // A handler may send messages to its own window; keep the outer message for its Default().
    const CurrentMessage outer = object->current_;
    object->current_ = {message, wParam, lParam};
    LRESULT result = 0;
    try {
        result = object->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    // A handler may have deleted the object (a menu closed by its owner): touch it only when
    // the window still names it.
    if (FromHandle(window) == object) {
        object->current_ = outer;
        if (message == WM_NCDESTROY) object->Unbind();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefaultProc(current_.message, current_.wParam, current_.lParam);
}

LRESULT CWnd::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}
