#include "autosetup/settings_restore.h"

#include <windows.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <cwchar>
#include <memory>
#include <new>

#include "autosetup/autosetup_state.h"
#include "common/unique_handle.h"
#include "include/rkx_t2_setup.h"

namespace rkx::autosetup {
namespace {

constexpr int kRestoredChannels = 5;  // the library refuses the channels it does not have

// The token user's identifier as text into `key`; false (key untouched) when it cannot be
// read or would not fit.
bool ReadUserKey(HANDLE token, wchar_t (&key)[kUserKeyChars])
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
    if (fits) std::wmemcpy(key, text, length + 1);
    LocalFree(text);
    return fits;
}

void RestoreRouting(int product, const wchar_t* userKey)
{
    for (int channel = 0; channel < kRestoredChannels; ++channel) {
        int index = 0;
        if (QVR_GetCurrentUSBInputAudioIndex2(product, channel, &index, userKey) == QVR_SUCCESS)
            QVR_SetUSBInputAudio2(product, channel, index, userKey, 0);
    }
    for (int channel = 0; channel < kRestoredChannels; ++channel) {
        int index = 0;
        if (QVR_GetCurrentUSBOutputAudioIndex2(product, channel, &index, userKey) == QVR_SUCCESS)
            QVR_SetUSBOutputAudio2(product, channel, index, userKey, 0);
    }
}

void RestoreParameters(int product, const wchar_t* userKey)
{
    int index = 0;
    if (QVR_GetCurrentBoostLevelIndex2(product, &index, userKey) == QVR_SUCCESS)
        QVR_SetBoostLevelIndex2(product, index, userKey, 0);
    if (QVR_GetCurrentMidiChannelIndex2(product, &index, userKey) == QVR_SUCCESS)
        QVR_SetMidiChannelIndex2(product, index, userKey, 0);
    if (QVR_GetCurrentMidiKeyModeIndex2(product, &index, userKey) == QVR_SUCCESS)
        QVR_SetMidiKeyModeIndex2(product, index, userKey, 0);
}

}  // namespace

bool RestoreUserSettings()
{
    AutoSetupState& state = State();
    const DWORD session = WTSGetActiveConsoleSessionId();
    HANDLE raw = nullptr;
    if (session == 0xFFFFFFFF || !WTSQueryUserToken(session, &raw)) return false;
    UniqueHandle token(raw);
    state.lastHandledSession = session;
    if (!ReadUserKey(token.get(), state.userKey)) return false;

    // Asked before restoring; the restore runs whatever the answer.
    int partnerActive = 0;
    QVR_GetMixerVantorActiveStatus(state.productId, &partnerActive);
    // Notify flag 0 everywhere: a restore is not a change other programs need to hear of.
    RestoreRouting(state.productId, state.userKey);
    RestoreParameters(state.productId, state.userKey);
    return true;
}

}  // namespace rkx::autosetup
