// The per-user settings store: DWORD values under "Software\Korvane\RKX-T2" of the settings
// root, which is HKEY_CURRENT_USER or, with a user key, that user's hive under HKEY_USERS.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rkx::setup {

// Null (the current user) or a user's SID as IsUserSid takes it. Any other key names no settings
// root: getters give their defaults and setters refuse it.
bool IsUsableUserKey(const wchar_t* userKey);

// The stored value when it is a 4-byte DWORD below `limit`; otherwise `fallback`.
uint32_t ReadSetting(const wchar_t* userKey, const wchar_t* name, uint32_t limit, uint32_t fallback);

// Writes the value when "SOFTWARE" exists under the settings root; silent on any failure.
void WriteSetting(const wchar_t* userKey, const wchar_t* name, uint32_t value);

// Machine-wide DWORD under HKEY_LOCAL_MACHINE "Software\Korvane\RKX-T2", or `fallback`.
uint32_t ReadMachineSetting(const wchar_t* name, uint32_t fallback);

}  // namespace rkx::setup
