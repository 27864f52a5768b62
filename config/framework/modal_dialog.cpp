#include "framework/modal_dialog.h"

namespace {

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
    case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

}  // namespace

CModalDialog::CModalDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

CModalDialog::~CModalDialog() { DestroyWindow(); }

void CModalDialog::DestroyWindow()
{
    if (m_hWnd != nullptr && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void CModalDialog::EndModal(INT_PTR result)
{
    result_ = result;
    running_ = false;
    // Wakes GetMessage so the loop sees the end at once.
    PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

bool CModalDialog::PreTranslateMessage(MSG&) { return false; }

INT_PTR CModalDialog::DoModal()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId_), parent_, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (window == nullptr) return -1;
    running_ = true;
    if (parent_ != nullptr) EnableWindow(parent_, FALSE);
    MSG message;
    while (running_ && m_hWnd != nullptr) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to an outer loop: pass it on after ending this one.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0) break;
        if (PreTranslateMessage(message)) continue;
        // The dialog manager would turn Return and Escape into IDOK / IDCANCEL and close the
        // window; they go to normal dispatch instead.
        const bool closingKey = (message.message == WM_KEYDOWN || message.message == WM_KEYUP) &&
                                (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE);
        if (!closingKey && m_hWnd != nullptr && IsDialogMessageW(m_hWnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (parent_ != nullptr) EnableWindow(parent_, TRUE);
    return result_;
}

INT_PTR CALLBACK CModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CModalDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CModalDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        dialog->m_hWnd = window;
    } else {
        dialog = reinterpret_cast<CModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (dialog == nullptr) return FALSE;
    // No exception leaves the window procedure: a failing handler leaves the message to the
    // dialog manager and the window goes on.
    try {
        return dialog->Dispatch(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_NCDESTROY) {
        LRESULT ignored = 0;
        OnMessage(message, wParam, lParam, ignored);
        SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        running_ = false;
        return FALSE;
    }
    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result)) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
