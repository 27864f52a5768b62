#include "skin/install_language.h"

namespace skin {

DWORD ReadInstallLanguage()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Korvane\\RKX-T2", L"InstallLanguage",
                     RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return 9;
    return value;
}

bool IsEastAsianInstallLanguage(DWORD languageId)
{
    const DWORD primary = languageId & 0x3FF;
    return primary == 0x04 || primary == 0x11 || primary == 0x12;
}

}  // namespace skin
