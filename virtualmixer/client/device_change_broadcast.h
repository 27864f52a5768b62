// Tells running programs that a mixer arrived or left, the way the system announces a USB
// device: WM_DEVICECHANGE with a device-interface record of the USB device class.
#pragma once

#include <cstdint>
#include <string>

namespace rkx::vmix {

// \\?\USB#VID_3C1A&PID_0052#<serial of the mixer>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}
std::wstring MixerUsbDeviceName(uint32_t mixer);

// Sends DBT_DEVICEARRIVAL (arrival) or DBT_DEVICEREMOVECOMPLETE to every top-level window of
// every desktop of every window station this process can open, services' included, except
// this process's own windows. Returns how many windows took the message.
int BroadcastMixerDeviceChange(bool arrival, uint32_t mixer);

}  // namespace rkx::vmix
