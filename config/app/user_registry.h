// The per-user registry root the utility works on and the DWORD reads and writes of the
// window's own values.
#pragma once

#include "common/unique_registry_key.h"

#include <windows.h>

#include <optional>
#include <string>

namespace config {

// What a failed DWORD read yields; a stored value equal to it counts as missing.
constexpr DWORD kMissingValue = 0xFFFF0000u;

struct UserRoot {
    bool autoStart = false;
    std::wstring userSid;  // empty: HKEY_CURRENT_USER

    // HKEY_USERS\<sid> when started for a user, otherwise HKEY_CURRENT_USER; null when the
    // user's hive cannot be opened.
    rkx::UniqueKey Open() const;
    // The user key to pass to the setup library: the SID, or null for the current user.
    const wchar_t* UserKey() const { return userSid.empty() ? nullptr : userSid.c_str(); }
};

// A DWORD under "Software\Korvane\RKX-T2" of `root`; nothing when missing or kMissingValue.
std::optional<DWORD> ReadSettingsDword(HKEY root, const wchar_t* name);

// Opens "SOFTWARE" (never created) and opens or creates "Korvane\RKX-T2" below it.
rkx::UniqueKey CreateSettingsKey(HKEY root);

bool WriteDword(HKEY key, const wchar_t* name, DWORD value);

}  // namespace config
