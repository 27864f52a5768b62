// Starting the settings utility on the console user's desktop.
#pragma once

#include <windows.h>

namespace rkx::autosetup {

// Asks the mixer; when it says yes, starts "AsioConfig" followed by the user key in the
// console session.
void LaunchSettingsUtility();

// Starts `commandLine` on "winsta0\default" of the active console session. With no
// `sourceProcess` the process runs as the console user (the token WTSQueryUserToken gives),
// never with a system identity; otherwise with a copy of that process's token. The user's own
// environment block goes with it. True when the process was created; the service does not
// wait for it.
bool StartInConsoleSession(const wchar_t* commandLine, HANDLE sourceProcess);

}  // namespace rkx::autosetup
