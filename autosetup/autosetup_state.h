// What the service remembers between events. Owned by the loop thread: set up before the
// message loop starts and changed only inside the hidden window's procedure.
#pragma once

#include <windows.h>
#include <dbt.h>

#include <cstdint>

namespace rkx::autosetup {

// Values of the last handled console session besides real session numbers.
constexpr int64_t kNoSessionHandled = -1;
constexpr int64_t kSessionLoggedOff = -2;

constexpr size_t kUserKeyChars = 256;  // 255 characters and the terminating zero

struct AutoSetupState {
    int productId = 0;
    bool connected = false;
    int64_t lastHandledSession = kNoSessionHandled;
    // String form of the console user's security identifier; empty until the first restore.
    wchar_t userKey[kUserKeyChars] = {};
};

AutoSetupState& State();

}  // namespace rkx::autosetup
