// What the command line says about whose settings the utility works on.
#pragma once

#include <string>

namespace config {

struct StartArguments {
    bool autoStart = false;  // "-Auto" appears (exact case)
    // The user's security identifier that follows "-Auto" directly; empty when absent or not a
    // well-formed SID. It names a key under HKEY_USERS, so nothing else may get through.
    std::wstring userSid;
};

StartArguments ParseStartArguments(const wchar_t* commandLine);

// "S-1-<authority>-<sub>..." with a decimal (or 0x-hex) 48-bit authority and 1 to 15 decimal
// 32-bit sub-authorities, nothing else.
bool IsWellFormedSid(const std::wstring& text);

}  // namespace config
