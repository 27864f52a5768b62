// Raised when the service control manager asks the service to stop. The loop thread's only
// long waits - on the mixer's answer to the launch question - end on it, so the stop completes
// whatever the mixer does.
#pragma once

#include <windows.h>

namespace rkx::autosetup {

// A manual-reset event, made on first use; null only if it could not be made.
HANDLE StopSignal();
void RaiseStopSignal();

}  // namespace rkx::autosetup
