#include "virtualmixer/client/device_change_broadcast.h"

#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "common/mixer_requests.h"

namespace rkx::vmix {
namespace {

constexpr GUID kUsbDeviceClass = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr UINT kPerWindowTimeoutMs = 1000;

struct WindowStation {
    HWINSTA handle;
    explicit WindowStation(HWINSTA h) : handle(h) {}
    ~WindowStation()
    {
        if (handle != nullptr) CloseWindowStation(handle);
    }
    WindowStation(const WindowStation&) = delete;
    WindowStation& operator=(const WindowStation&) = delete;
};

struct Desktop {
    HDESK handle;
    explicit Desktop(HDESK h) : handle(h) {}
    ~Desktop()
    {
        if (handle != nullptr) CloseDesktop(handle);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;
};

// Puts the process back on its own window station however the walk ends.
struct StationRestorer {
    HWINSTA original = GetProcessWindowStation();
    ~StationRestorer()
    {
        if (original != nullptr) SetProcessWindowStation(original);
    }
};

BOOL CALLBACK CollectName(LPWSTR name, LPARAM context)
{
    reinterpret_cast<std::vector<std::wstring>*>(context)->emplace_back(name);
    return TRUE;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM context)
{
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

int SendToDesktop(const std::wstring& name, const DEV_BROADCAST_DEVICEINTERFACE_W* record, WPARAM event)
{
    Desktop desktop(OpenDesktopW(name.c_str(), 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE));
    if (desktop.handle == nullptr) return 0;
    std::vector<HWND> windows;
    EnumDesktopWindows(desktop.handle, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    const DWORD self = GetCurrentProcessId();
    int reached = 0;
    for (HWND window : windows) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == self) continue;
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record), SMTO_ABORTIFHUNG,
                                kPerWindowTimeoutMs, &answer) != 0) {
            ++reached;
        }
    }
    return reached;
}

}  // namespace

std::wstring MixerUsbDeviceName(uint32_t mixer)
{
    // One stable serial per mixer slot; the product matches the vendor and product part only.
    wchar_t serial[16] = L"RKXVM0000";
    serial[8] = static_cast<wchar_t>(L'0' + (mixer % 10));
    return std::wstring(L"\\\\?\\") + RKX_USB_DEVICE_NAME_TAG + L"#" + serial + L"#" + RKX_USB_DEVICE_CLASS_TEXT;
}

int BroadcastMixerDeviceChange(bool arrival, uint32_t mixer)
{
    const std::wstring name = MixerUsbDeviceName(mixer);
    const size_t bytes = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (name.size() + 1) * sizeof(wchar_t);
    std::unique_ptr<BYTE[]> storage(new (std::nothrow) BYTE[bytes]());
    if (!storage) return 0;
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(storage.get());
    record->dbcc_size = static_cast<DWORD>(bytes);
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_classguid = kUsbDeviceClass;
    std::memcpy(record->dbcc_name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    const WPARAM event = arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;

    std::vector<std::wstring> stations;
    EnumWindowStationsW(CollectName, reinterpret_cast<LPARAM>(&stations));
    StationRestorer restorer;
    int reached = 0;
    for (const std::wstring& stationName : stations) {
        WindowStation station(OpenWindowStationW(stationName.c_str(), FALSE, WINSTA_ENUMDESKTOPS | WINSTA_ENUMERATE));
        if (station.handle == nullptr || !SetProcessWindowStation(station.handle)) continue;
        std::vector<std::wstring> desktops;
        EnumDesktopsW(station.handle, CollectName, reinterpret_cast<LPARAM>(&desktops));
        for (const std::wstring& desktop : desktops) reached += SendToDesktop(desktop, record, event);
        // Back home before this station's handle closes.
        if (restorer.original != nullptr) SetProcessWindowStation(restorer.original);
    }
    return reached;
}

}  // namespace rkx::vmix
