// The installed auto-setup service as the service manager sees it, its process, and its hidden
// window on the service window station, for every test that drives the service.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/wait.h"

namespace rkx::test {

inline constexpr wchar_t kAutoSetupServiceName[] = L"RKX-T2_AutoSetup";
inline constexpr wchar_t kAutoSetupWindowClass[] = L"RKXT2AutoSetupWin";

// SERVICE_* state; 0 when it cannot be queried.
DWORD AutoSetupState();
DWORD AutoSetupProcessId();
bool StartAutoSetup();
// Sends the stop control; the state it answered with, 0 when refused.
DWORD StopAutoSetup();
// Polls until the state is reached; false after `limitMs`.
bool WaitForAutoSetupState(DWORD state, DWORD limitMs = kHangLimitMs);
// Stops the service if it runs and makes sure its process is gone (ended by force when it
// does not end by itself).
void EnsureAutoSetupStopped();

// Windows of the service's class on every desktop of every window station.
int CountAutoSetupWindows();
// Until exactly `count` such windows exist: the service reports running before its loop
// creates the window, so a slow machine can see it running without one for a moment.
bool WaitForAutoSetupWindows(int count, DWORD limitMs = kHangLimitMs);
// Sends the message to each of them, waiting until handled; how many took it.
int SendToAutoSetupWindows(UINT message, WPARAM wParam, LPARAM lParam);
// A USB device-interface arrival or removal with this interface name, sent to them.
int SendDeviceInterfaceChange(bool arrival, const std::wstring& interfaceName);

}  // namespace rkx::test
