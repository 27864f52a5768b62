#include "autosetup/autosetup_window.h"

#include <wtsapi32.h>

#include "autosetup/autosetup_state.h"
#include "autosetup/device_broadcast_filter.h"
#include "autosetup/session_processes.h"
#include "autosetup/system_service_work.h"
#include "common/package_names.h"
#include "include/rkx_t2_setup.h"

namespace rkx::autosetup {
namespace {

constexpr wchar_t kUtilityExecutable[] = L"RKX-T2_CONFIG.EXE";

void OnDeviceChange(WPARAM event, LPARAM record)
{
    if (!DeviceChangeConcernsMixer(event, reinterpret_cast<const void*>(record))) return;
    AutoSetupState& state = State();
    const bool connected = QVR_IsUSBConnection(state.productId) == QVR_CONNECTED;
    if (connected == state.connected) return;
    state.connected = connected;
    if (connected) OnMixerConnected(state, SystemServiceWork());
}

void OnSessionRegistrationTimer(HWND window)
{
    if (WTSRegisterSessionNotification(window, NOTIFY_FOR_ALL_SESSIONS)) KillTimer(window, kSessionRegistrationTimer);
}

void OnSessionChange(WPARAM event, LPARAM session)
{
    if (event != WTS_SESSION_LOGOFF) return;
    TerminateUtilityInSession(kUtilityExecutable, static_cast<DWORD>(session));
    // Whoever is at the console next gets a restore and a new question to the mixer.
    State().lastHandledSession = kSessionLoggedOff;
}

}  // namespace

LRESULT CALLBACK AutoSetupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        switch (message) {
        case WM_DEVICECHANGE:
            OnDeviceChange(wParam, lParam);
            return 0;
        case WM_TIMER:
            if (wParam == kConsoleTimer) OnConsoleTick(State(), SystemServiceWork());
            else if (wParam == kSessionRegistrationTimer) OnSessionRegistrationTimer(window);
            return 0;
        case WM_WTSSESSION_CHANGE:
            OnSessionChange(wParam, lParam);
            return 0;
        case WM_POWERBROADCAST:
            return 0;
        default:
            break;
        }
    } catch (...) {
        // One event's failure must not end the service; the next event starts afresh.
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool MonitorWindow::Create(HINSTANCE instance)
{
    instance_ = instance;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = AutoSetupWndProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    classRegistered_ = RegisterClassExW(&windowClass) != 0;
    if (!classRegistered_) return false;

    // Top-level, so broadcast device and power messages reach it too; never shown.
    window_ = CreateWindowExW(0, kWindowClass, kWindowName, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (window_ == nullptr) return false;

    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = names::kUsbDeviceInterfaceClass;
    deviceNotification_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);

    SetTimer(window_, kConsoleTimer, kConsoleTimerMs, nullptr);
    SetTimer(window_, kSessionRegistrationTimer, kSessionRegistrationTimerMs, nullptr);
    return true;
}

MonitorWindow::~MonitorWindow()
{
    if (window_ != nullptr) {
        WTSUnRegisterSessionNotification(window_);
        if (deviceNotification_ != nullptr) UnregisterDeviceNotification(deviceNotification_);
        DestroyWindow(window_);
    }
    if (classRegistered_) UnregisterClassW(kWindowClass, instance_);
}

}  // namespace rkx::autosetup
