#include "virtualmixer/client/device_change_broadcast.h"

#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "common/mixer_requests.h"
#include "virtualmixer/client/window_station_walk.h"

namespace rkx::vmix {
namespace {

constexpr GUID kUsbDeviceClass = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr UINT kPerWindowTimeoutMs = 1000;

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

    const DWORD self = GetCurrentProcessId();
    const int reached = ForEachTopLevelWindow([&](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == self) return 0;
        DWORD_PTR answer = 0;
        return SendMessageTimeoutW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record), SMTO_ABORTIFHUNG,
                                   kPerWindowTimeoutMs, &answer) != 0 ? 1 : 0;
    });
    return reached;
}

}  // namespace rkx::vmix
