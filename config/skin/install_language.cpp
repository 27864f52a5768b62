#include "skin/install_language.h"

#include "common/package_names.h"

namespace skin {

DWORD ReadInstallLanguage()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, rkx::names::kSettingsKeyPathW, rkx::names::kInstallLanguageValueW,
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
