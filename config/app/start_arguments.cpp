#include "app/start_arguments.h"

#include "common/user_sid.h"

#include <cwchar>

namespace config {

StartArguments ParseStartArguments(const wchar_t* commandLine)
{
    StartArguments result;
    if (commandLine == nullptr) return result;
    const wchar_t* found = std::wcsstr(commandLine, L"-Auto");
    if (found == nullptr) return result;
    result.autoStart = true;
    std::wstring sid = found + 5;
    // A launcher may leave blanks after the identifier; they are not part of it.
    while (!sid.empty() && (sid.back() == L' ' || sid.back() == L'\t' || sid.back() == L'\r' || sid.back() == L'\n'))
        sid.pop_back();
    if (rkx::IsUserSid(sid.c_str())) result.userSid = sid;
    return result;
}

}  // namespace config
