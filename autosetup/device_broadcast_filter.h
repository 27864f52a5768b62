// Which WM_DEVICECHANGE messages make the service look at the mixer's connection again.
#pragma once

#include <windows.h>

namespace rkx::autosetup {

// Arrivals and removals of device interfaces pass only when the interface names the mixer's
// USB device; every other device-change message passes. `record` is the message's lParam and
// may be null. The interface name is read only within the record's declared size and at
// most 259 characters of it, so a malformed or overlong record is never read or copied past
// its end.
bool DeviceChangeConcernsMixer(WPARAM event, const void* record);

}  // namespace rkx::autosetup
