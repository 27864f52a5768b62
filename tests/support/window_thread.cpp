#include "tests/support/window_thread.h"

namespace rkx::test {

WindowThread::WindowThread(const wchar_t* className, const wchar_t* title, WNDPROC procedure, void* userData,
                           std::function<void(HWND)> serve)
    : serve_(std::move(serve))
{
    thread_ = std::thread([=, this] {
        try {
            Run(className, title, procedure, userData);
        } catch (...) {
            ready_.store(true);
        }
    });
    while (!ready_.load()) Sleep(1);
}

void WindowThread::Stop()
{
    if (!thread_.joinable()) return;
    PostThreadMessageW(threadId_.load(), WM_QUIT, 0, 0);
    thread_.join();
}

void WindowThread::Run(const wchar_t* className, const wchar_t* title, WNDPROC procedure, void* userData)
{
    threadId_.store(GetCurrentThreadId());
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, className, title, 0, 0, 0, 0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window != nullptr) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(userData));
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone can post
    window_.store(window);
    ready_.store(true);
    if (window != nullptr) {
        if (serve_)
            serve_(window);
        else
            while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        DestroyWindow(window);
    }
    UnregisterClassW(className, windowClass.hInstance);
}

}  // namespace rkx::test
