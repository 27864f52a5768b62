// A modal dialog created from a template resource, run by a loop of our own so that keyboard
// input can be examined before the dialog manager sees it.
#pragma once

#include <windows.h>

class CModalDialog {
public:
    CModalDialog(UINT templateId, HWND parent);
    virtual ~CModalDialog();
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // Creates the window, runs until EndModal, and returns its result. -1 when the window
    // could not be created.
    INT_PTR DoModal();
    void EndModal(INT_PTR result);
    // Destroys the window if it still exists.
    void DestroyWindow();

    HWND m_hWnd = nullptr;

protected:
    // WM_INITDIALOG; the return value as for a dialog procedure (TRUE: default focus).
    virtual BOOL OnInitDialog() { return TRUE; }
    // Every message after WM_INITDIALOG. Return true when handled, with `result` the message's
    // result; false leaves it to the dialog manager.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // Sees each queued message of the thread before dispatch; true swallows it.
    virtual bool PreTranslateMessage(MSG& message);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND parent_;
    bool running_ = false;
    INT_PTR result_ = 0;
};
