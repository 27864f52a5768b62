// The record the system passes with WM_DEVICECHANGE when a device interface arrives or leaves:
// a DEV_BROADCAST_DEVICEINTERFACE_W whose name runs past the declared structure, sized to it.
#pragma once

#include <windows.h>
#include <dbt.h>

#include <string>
#include <vector>

namespace rkx::test {

// The USB device interface class ({A5DCBF10-6530-11D2-901F-00C04FB951ED}).
inline constexpr GUID kUsbDeviceInterfaceClass = {0xA5DCBF10, 0x6530, 0x11D2,
                                                  {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

class DeviceInterfaceRecord {
public:
    explicit DeviceInterfaceRecord(const std::wstring& name, const GUID& interfaceClass = kUsbDeviceInterfaceClass);

    const DEV_BROADCAST_DEVICEINTERFACE_W* get() const
    {
        return reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes_.data());
    }
    DEV_BROADCAST_DEVICEINTERFACE_W* get() { return reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes_.data()); }
    LPARAM lParam() const { return reinterpret_cast<LPARAM>(bytes_.data()); }
    size_t size() const { return bytes_.size(); }

private:
    std::vector<BYTE> bytes_;
};

// DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE.
inline WPARAM DeviceChangeEvent(bool arrival) { return arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE; }

}  // namespace rkx::test
