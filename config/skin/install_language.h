// The installation language as the wrapped labels need it. Read afresh on every rendering, so
// a label follows the machine value as the string tables do.
#pragma once

#include <windows.h>

namespace skin {

// "InstallLanguage" under HKEY_LOCAL_MACHINE\Software\Korvane\RKX-T2; 9 when it cannot be read.
DWORD ReadInstallLanguage();
// Chinese, Japanese or Korean: primary language (low 10 bits) 0x04, 0x11 or 0x12.
bool IsEastAsianInstallLanguage(DWORD languageId);

}  // namespace skin
