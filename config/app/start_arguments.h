// What the command line says about whose settings the utility works on.
#pragma once

#include <string>

namespace config {

struct StartArguments {
    bool autoStart = false;  // "-Auto" appears (exact case)
    // The user's security identifier that follows "-Auto" directly; empty when absent or no
    // user's SID (rkx::IsUserSid). It names a key under HKEY_USERS, so nothing else may get
    // through.
    std::wstring userSid;
};

StartArguments ParseStartArguments(const wchar_t* commandLine);

}  // namespace config
