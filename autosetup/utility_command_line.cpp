#include "autosetup/utility_command_line.h"

#include <cwchar>

namespace rkx::autosetup {

bool BuildUtilityCommandLine(const wchar_t* asioConfig, const wchar_t* userKey, wchar_t (&out)[kCommandLineChars])
{
    out[0] = L'\0';
    if (asioConfig == nullptr) return false;
    if (userKey == nullptr) userKey = L"";
    const size_t configLength = std::wcslen(asioConfig);
    const size_t keyLength = std::wcslen(userKey);
    if (configLength + keyLength >= kCommandLineChars) return false;
    std::wmemcpy(out, asioConfig, configLength);
    std::wmemcpy(out + configLength, userKey, keyLength);
    out[configLength + keyLength] = L'\0';
    return true;
}

}  // namespace rkx::autosetup
