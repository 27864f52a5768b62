// Processes by executable name: finding one, and ending the settings utility of a session.
#pragma once

#include <windows.h>

namespace rkx::autosetup {

// Identifier of the first process whose executable name equals `name` exactly (case counts);
// 0 when none does or the process list cannot be read.
DWORD FindProcessIdByName(const wchar_t* name);

// Ends (exit code 0) every process of `session` whose upper-cased executable name equals
// `upperCaseName`. Returns how many were ended.
int TerminateUtilityInSession(const wchar_t* upperCaseName, DWORD session);

}  // namespace rkx::autosetup
