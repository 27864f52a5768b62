// A hidden top-level window on a thread of its own: a foreign program's window as a test needs
// one (one that answers, one that is slow, one that hangs in its procedure).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

namespace rkx::test {

class WindowThread {
public:
    // On the new thread: registers `className` with `procedure`, makes the window titled
    // `title` with `userData` as its GWLP_USERDATA, makes sure the thread's queue exists, then
    // runs `serve(window)` (by default a message loop that ends at WM_QUIT) and destroys the
    // window. Returns once the window exists or could not be made.
    WindowThread(const wchar_t* className, const wchar_t* title, WNDPROC procedure, void* userData,
                 std::function<void(HWND)> serve = {});
    ~WindowThread() { Stop(); }
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    bool created() const { return window_.load() != nullptr; }
    HWND window() const { return window_.load(); }
    // Posts WM_QUIT to the thread and waits for it to end; `serve` must return by then.
    void Stop();

private:
    void Run(const wchar_t* className, const wchar_t* title, WNDPROC procedure, void* userData);

    std::function<void(HWND)> serve_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> threadId_{0};
    std::atomic<bool> ready_{false};
    std::thread thread_;
};

}  // namespace rkx::test
