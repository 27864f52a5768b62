// The hidden window that hears device changes, power resumes and the settings utility, and
// the reset that rebuilds the pins while the host keeps running.
#include <windows.h>
#include <dbt.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <new>

#include "asio/mmp_asio.h"
#include "common/mixer_requests.h"
#include "common/package_names.h"

namespace rkx::asio {

namespace {

constexpr UINT_PTR kResumeTimer = 1;
constexpr UINT kResumeDelayMs = 5000;
constexpr UINT_PTR kRetryTimer = 2;
// A reset that could not hold the thread (still in the host's callback) is tried again.
constexpr UINT kRetryDelayMs = 250;

// True when a device-interface record names the mixer. The name is read only within the
// record's own size.
bool NamesMixer(const DEV_BROADCAST_HDR* header)
{
    const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(header);
    const size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
    if (header->dbch_size <= nameOffset) return false;
    const size_t available = header->dbch_size - nameOffset;
    const auto* raw = reinterpret_cast<const unsigned char*>(record->dbcc_name);
    char name[kPathBytes] = {};
    const bool wide = available >= 2 && raw[0] != 0 && raw[1] == 0;
    size_t length = 0;
    if (wide) {
        for (size_t i = 0; i + 1 < available && length < kPathBytes - 1; i += 2) {
            if (raw[i] == 0 && raw[i + 1] == 0) break;
            name[length++] = char(raw[i]);
        }
    } else {
        for (size_t i = 0; i < available && length < kPathBytes - 1 && raw[i] != 0; ++i) name[length++] = char(raw[i]);
    }
    name[length] = '\0';
    CharUpperA(name);
    return std::strstr(name, RKX_USB_DEVICE_NAME_TAG_A) != nullptr;
}

}  // namespace

// What the window knows of its driver object. The window and the object each hold a
// reference; the object detaches itself (waiting for a message in progress) before it stops
// or goes away, from whatever thread, so no message ever reaches it afterwards.
struct WindowLink {
    std::mutex lock;
    MMPAsio* object = nullptr;       // null once detached
    std::atomic<int> references{2};  // the window's and the object's

    void Release()
    {
        if (references.fetch_sub(1) == 1) delete this;
    }
};

namespace {

WindowLink* LinkOf(HWND window) { return reinterpret_cast<WindowLink*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowLink* link = LinkOf(window);
    switch (message) {
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (link != nullptr) link->Release();
        return 0;
    case WM_CLOSE: {
        // Only a detached window closes: its object asked for that from another thread.
        bool detached = link == nullptr;
        if (link != nullptr) {
            std::lock_guard<std::mutex> hold(link->lock);
            detached = link->object == nullptr;
        }
        if (detached) DestroyWindow(window);
        return 0;
    }
    case names::kAsioResetMessage: {
        // The host is called outside the lock: it may well release the driver in answer.
        decltype(ASIOCallbacks::asioMessage) asioMessage = nullptr;
        if (link != nullptr) {
            std::lock_guard<std::mutex> hold(link->lock);
            if (link->object != nullptr && link->object->HostCallbacks() != nullptr) {
                asioMessage = link->object->HostCallbacks()->asioMessage;
            }
        }
        if (asioMessage != nullptr) asioMessage(kAsioResetRequest, 0, nullptr, nullptr);
        return 0;
    }
    case WM_TIMER:
    case WM_POWERBROADCAST:
    case WM_DEVICECHANGE:
        if (link != nullptr) {
            std::lock_guard<std::mutex> hold(link->lock);
            if (link->object != nullptr) link->object->HandleDeviceMessage(window, message, wParam, lParam);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK DriverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void MMPAsio::HandleDeviceMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        // The resume delay and the retry of a reset that could not hold the thread.
        KillTimer(hwnd, wParam);
        Reset(hwnd, true);
        return;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND || wParam == PBT_APMRESUMESTANDBY) {
            SetTimer(hwnd, kResumeTimer, kResumeDelayMs, nullptr);
        }
        return;
    case WM_DEVICECHANGE: {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        const bool arrivalOrRemoval = wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE;
        if (arrivalOrRemoval && header != nullptr && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
            !NamesMixer(header)) {
            return;
        }
        Reset(hwnd, false);
        return;
    }
    default:
        return;
    }
}

// A reset that found the thread still inside the host's callback is tried again shortly.
void MMPAsio::Reset(HWND hwnd, bool forced)
{
    const ResetOutcome outcome = forced ? engine_.ForcedReset() : engine_.CheckedReset();
    if (outcome == ResetOutcome::ThreadBusy) SetTimer(hwnd, kRetryTimer, kRetryDelayMs, nullptr);
}

void MMPAsio::CreateResetWindow()
{
    auto* link = new (std::nothrow) WindowLink;
    if (link == nullptr) return;
    link->object = this;
    window = CreateWindowExA(0, names::kAsioWindowClass, names::kAsioWindowClass, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, moduleInstance, nullptr);
    if (window == nullptr) {
        delete link;
        return;
    }
    windowLink = link;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link));
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = names::kUsbDeviceInterfaceClass;
    deviceNotification = RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

// From any thread. The window is destroyed by its own thread: at once when that is this one,
// otherwise when its thread next dispatches messages (or ends).
void MMPAsio::DestroyResetWindow()
{
    if (window == nullptr) return;
    {
        std::lock_guard<std::mutex> hold(windowLink->lock);
        windowLink->object = nullptr;
    }
    if (deviceNotification != nullptr) UnregisterDeviceNotification(deviceNotification);
    deviceNotification = nullptr;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        DestroyWindow(window);
    } else {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    windowLink->Release();
    windowLink = nullptr;
    window = nullptr;
}

}  // namespace rkx::asio
