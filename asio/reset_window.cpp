// The hidden window that hears device changes, power resumes and the settings utility, and
// the reset that rebuilds the pins while the host keeps running.
#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <memory>
#include <new>

#include "asio/device_list.h"
#include "asio/mmp_asio.h"

namespace rkx::asio {

extern const char kWindowClassName[] = "RKX_T2_Asio_WndProc";

namespace {

constexpr UINT kResetRequestMessage = 0x8001;  // WM_APP + 1, from the settings utility
constexpr UINT_PTR kResumeTimer = 1;
constexpr UINT kResumeDelayMs = 5000;
constexpr int kResetAttempts = 5;
// How long a reset waits for the buffer thread to leave its pass (it may be in the host's
// callback). Past this the reset is left pending; the next notification completes it.
constexpr DWORD kHoldWaitMs = 5000;
constexpr GUID kUsbDeviceClass = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr char kMixerDeviceTag[] = "USB#VID_3C1A&PID_0052";

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
    return std::strstr(name, kMixerDeviceTag) != nullptr;
}

}  // namespace

LRESULT CALLBACK DriverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        auto* object = reinterpret_cast<MMPAsio*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (object != nullptr) return object->HandleWindowMessage(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT MMPAsio::HandleWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        KillTimer(hwnd, kResumeTimer);
        ForcedReset();
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND || wParam == PBT_APMRESUMESTANDBY) {
            SetTimer(hwnd, kResumeTimer, kResumeDelayMs, nullptr);
        }
        return 0;
    case WM_DEVICECHANGE: {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        const bool arrivalOrRemoval = wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE;
        if (arrivalOrRemoval && header != nullptr && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
            !NamesMixer(header)) {
            return 0;
        }
        CheckedReset();
        return 0;
    }
    case kResetRequestMessage:
        if (callbacks != nullptr && callbacks->asioMessage != nullptr) {
            callbacks->asioMessage(kAsioResetRequest, 0, nullptr, nullptr);
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

bool MMPAsio::CreateResetWindow()
{
    window = CreateWindowExA(0, kWindowClassName, kWindowClassName, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, nullptr, nullptr, moduleInstance, nullptr);
    if (window == nullptr) return false;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kUsbDeviceClass;
    deviceNotification = RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    return true;
}

void MMPAsio::DestroyResetWindow()
{
    if (window == nullptr) return;
    if (DestroyWindow(window)) {
        if (deviceNotification != nullptr) UnregisterDeviceNotification(deviceNotification);
        deviceNotification = nullptr;
        window = nullptr;
    }
}

void MMPAsio::CheckedReset()
{
    if (DeviceListChanged()) ForcedReset();
}

bool MMPAsio::DeviceListChanged()
{
    std::unique_ptr<DeviceList> now(new (std::nothrow) DeviceList);
    if (!now || !CollectMixerPaths(*now)) return true;
    if (pinCount == 0) return now->count > 0;
    for (int p = 0; p < pinCount; ++p) {
        bool found = false;
        for (int q = 0; q < now->count && !found; ++q) found = lstrcmpiA(devicePath[p], now->path[q]) == 0;
        if (!found) return true;
    }
    return false;
}

void MMPAsio::ForcedReset()
{
    ResetEvent(heldEvent.get());
    resetPending_ = 1;
    SignalAllSlots();
    GetDeviceList();
    if (pinCount == 0 || (outPinCount == 0 && inPinCount == 0)) return;  // held until the mixer returns
    // Blocks are replaced only once the buffer thread is out of its pass.
    if (BufferThreadExists() && threadHeld == 0 && WaitForSingleObject(heldEvent.get(), kHoldWaitMs) != WAIT_OBJECT_0) {
        return;
    }
    DropPins();
    for (int attempt = 0; attempt < kResetAttempts; ++attempt) {
        // A StartSound that failed has closed its pins, so StartAllPins would report success
        // for nothing: both must succeed.
        if (StartSound() && StartAllPins()) {
            SetEvent(resetEvent.get());
            return;
        }
        ClosePins();
    }
    // Every attempt failed: the thread stays held (no buffer switches on closed pins) until a
    // later notification completes a reset or stop releases it.
}

}  // namespace rkx::asio
