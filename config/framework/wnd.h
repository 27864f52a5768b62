// The window base class of the settings utility: one C++ object per window, bound to its
// HWND when the window is created, messages dispatched to a virtual WindowProc.
#pragma once

#include <windows.h>

class CWnd {
public:
    CWnd() = default;
    // Destroys a window that still exists; it is unbound first, so no message of the dying
    // window reaches a half-destroyed object.
    virtual ~CWnd();

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates the window and binds it to this object (at WM_NCCREATE, so even the first
    // messages reach WindowProc). The class must be registered with ClassWindowProc.
    // `id` is the child identifier; 0 for top-level and popup windows.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                  int x, int y, int width, int height, HWND owner, UINT_PTR id);
    void DestroyWindow();

    // The procedure to register window classes with.
    static LRESULT CALLBACK ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The object bound to a window, or null.
    static CWnd* FromHandle(HWND window);

    HWND m_hWnd = nullptr;

protected:
    // Every message of the window. The default passes it on (Default()).
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message being dispatched, given to the default procedure.
    LRESULT Default();
    // Where Default() sends a message; DefWindowProcW unless a subclass needs another.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    void Bind(HWND window);
    void Unbind();

    CurrentMessage current_;
};
