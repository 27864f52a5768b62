// Starting the settings utility on the console user's desktop, and the machine value that
// holds its command line.
#pragma once

#include <windows.h>

#include "autosetup/utility_command_line.h"

namespace rkx::autosetup {

// "AsioConfig" into `text`; false when missing, not a string or longer than 259 characters.
bool ReadAsioConfig(wchar_t (&text)[kCommandLineChars]);

// Starts `commandLine` on "winsta0\default" of `session` with a copy of `userToken`, the
// console user's own token (never a system identity), and that user's environment block.
// True when the process was created; the service does not wait for it.
bool StartAsUser(HANDLE userToken, DWORD session, const wchar_t* commandLine);

}  // namespace rkx::autosetup
