// The service's hidden window: device and session notifications, the timers, and the work
// they trigger. Everything runs on the thread that created the window.
#pragma once

#include <windows.h>
#include <dbt.h>

namespace rkx::autosetup {

constexpr wchar_t kWindowClass[] = L"RKXT2AutoSetupWin";
constexpr wchar_t kWindowName[] = L"RKXT2AutoSetupClass";
constexpr UINT_PTR kConsoleTimer = 1;            // looks for a console user to restore for
constexpr UINT kConsoleTimerMs = 1000;
constexpr UINT_PTR kSessionRegistrationTimer = 3;  // retries the session notifications
constexpr UINT kSessionRegistrationTimerMs = 100;

LRESULT CALLBACK AutoSetupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The hidden window with its registrations; the destructor undoes them in reverse order:
// session notifications, device notifications, the window itself.
class MonitorWindow {
public:
    MonitorWindow() = default;
    ~MonitorWindow();
    MonitorWindow(const MonitorWindow&) = delete;
    MonitorWindow& operator=(const MonitorWindow&) = delete;

    // Registers the class, creates the window, asks for USB device-interface notifications
    // and starts both timers. False when the window cannot be created.
    bool Create(HINSTANCE instance);

private:
    HINSTANCE instance_ = nullptr;
    bool classRegistered_ = false;
    HWND window_ = nullptr;
    HDEVNOTIFY deviceNotification_ = nullptr;
};

}  // namespace rkx::autosetup
