#include "autosetup/console_user.h"

#include <sddl.h>
#include <wtsapi32.h>

#include <cwchar>
#include <memory>
#include <new>

namespace rkx::autosetup {
namespace {

// The token user's identifier as text into `sid`; false when it cannot be read or would not fit.
bool ReadSid(HANDLE token, wchar_t (&sid)[kUserKeyChars])
{
    DWORD bytes = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &bytes);
    if (bytes < sizeof(TOKEN_USER)) return false;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes]());
    if (!buffer || !GetTokenInformation(token, TokenUser, buffer.get(), bytes, &bytes)) return false;

    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &text)) return false;
    const size_t length = std::wcslen(text);
    const bool fits = length < kUserKeyChars;
    if (fits) std::wmemcpy(sid, text, length + 1);
    LocalFree(text);
    return fits;
}

}  // namespace

bool TakeConsoleUser(DWORD session, ConsoleUser& user)
{
    HANDLE token = nullptr;
    if (!WTSQueryUserToken(session, &token)) return false;
    user.session = session;
    user.token.reset(token);
    return ReadSid(user.token.get(), user.sid);
}

}  // namespace rkx::autosetup
