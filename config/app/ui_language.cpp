#include "app/ui_language.h"

#include "common/package_names.h"

namespace config {

LANGID StringTableLanguage(DWORD installLanguage, UINT id)
{
    const DWORD language = id <= kLastNeutralStringId ? 17 : installLanguage;
    switch (PrimaryLanguageOf(language)) {
    case 4: return static_cast<LANGID>(language);
    case 7: return 1031;
    case 10: return 3082;
    case 12: return 1036;
    case 16: return 1040;
    case 17: return 1041;
    case 18: return 1042;
    case 19: return 1043;
    case 22: return 2070;
    case 25: return 1049;
    default: return 1033;
    }
}

bool IsEastAsianLanguage(DWORD installLanguage)
{
    const DWORD primary = PrimaryLanguageOf(installLanguage);
    return primary == 4 || primary == 17 || primary == 18;
}

bool UsesBoldUiFonts(DWORD installLanguage)
{
    const DWORD primary = PrimaryLanguageOf(installLanguage);
    return primary == 4 || primary == 18;
}

DWORD ReadInstallLanguage()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, rkx::names::kSettingsKeyPathW, rkx::names::kInstallLanguageValueW,
                     RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return kDefaultInstallLanguage;
    return value;
}

}  // namespace config
