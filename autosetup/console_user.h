// The user at the console as one unit: the session, that user's own token and the string
// form of the SID read from that very token. The restore, the command line's user key and the
// identity the utility runs with all come from one ConsoleUser, so a change of console user
// between them cannot give one user another user's settings.
#pragma once

#include <windows.h>

#include "autosetup/autosetup_state.h"
#include "common/unique_handle.h"

namespace rkx::autosetup {

struct ConsoleUser {
    DWORD session = 0;
    UniqueHandle token;  // primary token of the session's user
    wchar_t sid[kUserKeyChars] = {};
};

// The user logged on in `session` (WTSQueryUserToken) with the SID of that token. False when
// nobody is logged on there, the service may not ask, or the SID cannot be read.
bool TakeConsoleUser(DWORD session, ConsoleUser& user);

}  // namespace rkx::autosetup
