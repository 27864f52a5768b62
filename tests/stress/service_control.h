// The auto-setup service as the service manager sees it, its process and its hidden window on
// the service window station, for the suites that drive the service.
#pragma once

#include <windows.h>

namespace rkx::stress {

// SERVICE_* state of "RKX-T2_AutoSetup"; 0 when it cannot be queried.
DWORD AutoSetupState();
DWORD AutoSetupProcessId();
bool StartAutoSetup();
// Sends the stop control; the state it answered with, 0 when refused.
DWORD StopAutoSetup();
// Polls until the state is reached; false after `limitMs`.
bool WaitForAutoSetupState(DWORD state, DWORD limitMs);
// Stops the service if it runs and makes sure its process is gone.
void EnsureAutoSetupStopped();

// Processes whose executable has this name (any case).
int CountProcessesNamed(const wchar_t* executable);

// Windows of class "RKXT2AutoSetupWin" on every desktop of every window station.
int CountAutoSetupWindows();
// Sends the message to each of them, waiting until handled; how many took it.
int SendToAutoSetupWindows(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace rkx::stress
