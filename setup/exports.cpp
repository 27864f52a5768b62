// The exported C interface: each function checks its arguments, calls the plain code and
// maps the outcome to a result code. No exception leaves an export: any becomes 102. A user
// key that is no user's SID is an argument out of range: setters refuse it before anything
// is sent, stored or announced; getters read no settings root for it and give defaults.
#include "include/rkx_t2_setup.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "common/package_names.h"
#include "setup/boost_level.h"
#include "setup/mixer_paths.h"
#include "setup/module_state.h"
#include "setup/notifications.h"
#include "setup/result_codes.h"
#include "setup/routing.h"
#include "setup/settings_store.h"
#include "setup/status_queries.h"
#include "setup/version_info.h"
#include "setup/warning_text.h"

using namespace rkx::setup;

namespace {

template <class Body>
int Boundary(Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return kFailure;
    }
}

// Text buffers, one per function; a later call overwrites the previous text.
wchar_t g_driverVersion[kVersionTextChars];
wchar_t g_utilityVersion[kVersionTextChars];
wchar_t g_libraryVersion[kVersionTextChars];
wchar_t g_installerVersion[kVersionTextChars];
wchar_t g_warningText[kWarningTextChars];

template <size_t N>
const wchar_t* CopyToBuffer(wchar_t (&buffer)[N], const std::wstring& text)
{
    const size_t chars = text.size() < N - 1 ? text.size() : N - 1;
    wmemcpy(buffer, text.data(), chars);
    buffer[chars] = L'\0';
    return buffer;
}

template <size_t N>
int VersionText(wchar_t (&buffer)[N], std::optional<int> (*number)(), const wchar_t** text)
{
    const std::optional<int> version = number();
    if (!version) {
        *text = nullptr;
        return kFailure;
    }
    *text = CopyToBuffer(buffer, FormatVersionNumber(*version));
    return kSuccess;
}

constexpr wchar_t kModelName[] = L"RKX-T2";
constexpr size_t kModelNameCopyChars = 255;

}  // namespace

extern "C" {

int QVR_CALL QVR_GetProductId(const wchar_t* modelName, int* productId)
{
    return Boundary([&] {
        if (modelName == nullptr || productId == nullptr) return kFailure;
        wchar_t copy[kModelNameCopyChars + 1] = {};
        const size_t length = wcsnlen(modelName, kModelNameCopyChars);
        wmemcpy(copy, modelName, length);
        CharUpperBuffW(copy, static_cast<DWORD>(length));
        if (std::wcsstr(copy, kModelName) == nullptr) return kFailure;
        *productId = kProductId;
        return kSuccess;
    });
}

int QVR_CALL QVR_IsUSBConnection(int productId)
{
    return Boundary([&] { return IsOurProduct(productId) && IsMixerConnected() ? kConnected : kNotConnected; });
}

// ---- USB input audio -------------------------------------------------------------------

int QVR_CALL QVR_GetNumOfInputAudioIndex(int productId, int channel, int* count)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || count == nullptr || !InRange(channel, kInputAudioSetChannels - 1)) return kFailure;
        *count = static_cast<int>(InputAudioCount(channel));
        return kSuccess;
    });
}

int QVR_CALL QVR_GetUSBInputAudioText(int productId, int channel, int index, int, const wchar_t** text)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || text == nullptr || !InRange(channel, kInputAudioChannels - 1) ||
            !InRange(index, kInputAudioIndexes - 1))
            return kFailure;
        *text = InputAudioText(channel, index);
        return kSuccess;
    });
}

int QVR_CALL QVR_GetCurrentUSBInputAudioIndex2(int productId, int channel, int* index, const wchar_t* userKey)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || index == nullptr || !InRange(channel, kInputAudioChannels - 1)) return kFailure;
        *index = 0;
        *index = static_cast<int>(CurrentInputAudio(channel, userKey));
        return kSuccess;
    });
}

int QVR_CALL QVR_GetCurrentUSBInputAudioIndex(int productId, int channel, int* index)
{
    return QVR_GetCurrentUSBInputAudioIndex2(productId, channel, index, nullptr);
}

int QVR_CALL QVR_SetUSBInputAudio2(int productId, int channel, int index, const wchar_t* userKey, int notify)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || !InRange(channel, kInputAudioSetChannels - 1) ||
            !InRange(index, kInputAudioIndexes - 1) || !IsUsableUserKey(userKey))
            return kFailure;
        return SetInputAudio(channel, index, userKey, notify != 0);
    });
}

int QVR_CALL QVR_SetUSBInputAudio(int productId, int channel, int index)
{
    return QVR_SetUSBInputAudio2(productId, channel, index, nullptr, 1);
}

int QVR_CALL QVR_SetUSBInputAudioDirect(int productId, int channel, int source, int mode)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || !InRange(channel, kInputAudioChannels - 1) || !InRange(mode, 24)) return kFailure;
        return SetInputAudioDirect(channel, static_cast<uint32_t>(source), mode);
    });
}

int QVR_CALL QVR_GetWarningTextForSetUSBAudioInput(int productId, int channel, int resultCode, int language,
                                                   const wchar_t** text, int selectorType)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || text == nullptr || !InRange(channel, kInputAudioChannels - 1) ||
            resultCode != kWarning || !InRange(selectorType, 2))
            return kFailure;
        const LANGID installed = InstalledLanguage(ReadMachineSetting(rkx::names::kInstallLanguageValueW, 9));
        const LANGID chosen = WarningLanguage(language, installed);
        *text = CopyToBuffer(g_warningText, LoadModuleString(LibraryModule(), kWarningStringId, chosen));
        return kSuccess;
    });
}

// ---- USB output audio ------------------------------------------------------------------

int QVR_CALL QVR_GetNumOfOutputAudioIndex(int productId, int channel, int* count)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || count == nullptr || !InRange(channel, kOutputAudioChannels - 1)) return kFailure;
        *count = static_cast<int>(kOutputAudioIndexes);
        return kSuccess;
    });
}

int QVR_CALL QVR_GetUSBOutputAudioText(int productId, int channel, int index, int, const wchar_t** text)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || text == nullptr || !InRange(channel, 3) ||
            !InRange(index, kOutputAudioIndexes - 1))
            return kFailure;
        *text = OutputAudioText(index);
        return kSuccess;
    });
}

int QVR_CALL QVR_GetCurrentUSBOutputAudioIndex2(int productId, int channel, int* index, const wchar_t* userKey)
{
    return Boundary([&] {
        // Signed comparison: a negative channel reads back as itself, like channel 3.
        if (!IsOurProduct(productId) || index == nullptr || channel >= 4) return kFailure;
        *index = channel;
        if (channel >= 0) *index = static_cast<int>(CurrentOutputAudio(channel, userKey));
        return kSuccess;
    });
}

int QVR_CALL QVR_GetCurrentUSBOutputAudioIndex(int productId, int channel, int* index)
{
    return QVR_GetCurrentUSBOutputAudioIndex2(productId, channel, index, nullptr);
}

int QVR_CALL QVR_SetUSBOutputAudio2(int productId, int channel, int index, const wchar_t* userKey, int notify)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || !InRange(channel, kOutputAudioChannels - 1) ||
            !InRange(index, kOutputAudioIndexes - 1) || !IsUsableUserKey(userKey))
            return kFailure;
        return SetOutputAudio(channel, index, userKey, notify != 0);
    });
}

int QVR_CALL QVR_SetUSBOutputAudio(int productId, int channel, int index)
{
    return QVR_SetUSBOutputAudio2(productId, channel, index, nullptr, 1);
}

int QVR_CALL QVR_SetUSBOutputAudioDefault(int productId, int channel)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || !InRange(channel, kOutputAudioChannels - 1)) return kFailure;
        return SetOutputAudioDefault(channel);
    });
}

// ---- Boost level -----------------------------------------------------------------------

int QVR_CALL QVR_GetNumOfBoostLevelIndex(int productId, int* count)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || count == nullptr) return kFailure;
        *count = static_cast<int>(kBoostLevels);
        return kSuccess;
    });
}

int QVR_CALL QVR_GetBoostLevelText(int productId, int index, int, const wchar_t** text)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || text == nullptr || !InRange(index, kBoostLevels - 1)) return kFailure;
        *text = BoostLevelText(index);
        return kSuccess;
    });
}

int QVR_CALL QVR_GetCurrentBoostLevelIndex2(int productId, int* index, const wchar_t* userKey)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || index == nullptr) return kFailure;
        *index = static_cast<int>(kDefaultBoostLevel);
        *index = static_cast<int>(CurrentBoostLevel(userKey));
        return kSuccess;
    });
}

int QVR_CALL QVR_GetCurrentBoostLevelIndex(int productId, int* index)
{
    return QVR_GetCurrentBoostLevelIndex2(productId, index, nullptr);
}

int QVR_CALL QVR_SetBoostLevelIndex2(int productId, int index, const wchar_t* userKey, int notify)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || !InRange(index, kBoostLevels - 1) || !IsUsableUserKey(userKey))
            return kFailure;
        return SetBoostLevel(index, userKey, notify != 0);
    });
}

int QVR_CALL QVR_SetBoostLevelIndex(int productId, int index)
{
    return QVR_SetBoostLevelIndex2(productId, index, nullptr, 1);
}

// ---- MIDI families: this mixer has none ------------------------------------------------

int QVR_CALL QVR_GetNumOfMidiChannelIndex(int, int*) { return kFailure; }
int QVR_CALL QVR_GetMidiChannelText(int, int, int, const wchar_t**) { return kFailure; }
int QVR_CALL QVR_GetCurrentMidiChannelIndex(int, int*) { return kFailure; }
int QVR_CALL QVR_GetCurrentMidiChannelIndex2(int, int*, const wchar_t*) { return kFailure; }
int QVR_CALL QVR_SetMidiChannelIndex(int, int) { return kFailure; }
int QVR_CALL QVR_SetMidiChannelIndex2(int, int, const wchar_t*, int) { return kFailure; }
int QVR_CALL QVR_GetNumOfMidiKeyModeIndex(int, int*) { return kFailure; }
int QVR_CALL QVR_GetMidiKeyModeText(int, int, int, const wchar_t**) { return kFailure; }
int QVR_CALL QVR_GetCurrentMidiKeyModeIndex(int, int*) { return kFailure; }
int QVR_CALL QVR_GetCurrentMidiKeyModeIndex2(int, int*, const wchar_t*) { return kFailure; }
int QVR_CALL QVR_SetMidiKeyModeIndex(int, int) { return kFailure; }
int QVR_CALL QVR_SetMidiKeyModeIndex2(int, int, const wchar_t*, int) { return kFailure; }

// ---- Versions and status ---------------------------------------------------------------

int QVR_CALL QVR_GetDriverVersionText(int productId, const wchar_t** text)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || text == nullptr) return kFailure;
        return VersionText(g_driverVersion, DriverVersionNumber, text);
    });
}

int QVR_CALL QVR_GetUtilityVersionText(int productId, const wchar_t** text)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || text == nullptr) return kFailure;
        return VersionText(g_utilityVersion, UtilityVersionNumber, text);
    });
}

int QVR_CALL QVR_GetLibraryVersionText(int productId, const wchar_t** text)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || text == nullptr) return kFailure;
        return VersionText(g_libraryVersion, LibraryVersionNumber, text);
    });
}

int QVR_CALL QVR_GetInstallerVersionText(int productId, const wchar_t** text)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || text == nullptr) return kFailure;
        const auto version = InstallerDisplayVersion();
        if (!version) return kFailure;
        *text = CopyToBuffer(g_installerVersion, *version);
        return kSuccess;
    });
}

int QVR_CALL QVR_GetFirmwareVersion(int productId, int firmwareNumber, int* version)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || version == nullptr || !InRange(firmwareNumber, 9)) return kFailure;
        const uint32_t value = QueryFirmwareVersion();
        *version = static_cast<int>(value);
        return value == kFirmwareUnavailable ? kFailure : kSuccess;
    });
}

int QVR_CALL QVR_GetMixerCertifyLevel(int productId, int* level)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || level == nullptr) return kFailure;
        const uint32_t value = QueryCertifyLevel();
        *level = static_cast<int>(value);
        return value == kCertifyUnavailable ? kFailure : kSuccess;
    });
}

int QVR_CALL QVR_GetPortInfo(int productId, int* portInfo)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || portInfo == nullptr) return kFailure;
        const uint32_t value = QueryPortInfo();
        *portInfo = static_cast<int>(value);
        return value == kPortInfoUnavailable ? kFailure : kSuccess;
    });
}

int QVR_CALL QVR_GetMixerInputSelectorStatus(int productId, int channel, int* position)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || position == nullptr || !InRange(channel, 3)) return kFailure;
        const uint32_t value = QuerySelectorPosition(channel);
        *position = static_cast<int>(value);
        return value < kSelectorUnavailable ? kSuccess : kFailure;
    });
}

int QVR_CALL QVR_GetMixerVantorActiveStatus(int productId, int* active)
{
    return Boundary([&] {
        if (!IsOurProduct(productId) || active == nullptr) return kFailure;
        const uint32_t value = QueryPartnerActive();
        if (value > 1) return kFailure;
        *active = static_cast<int>(value);
        return kSuccess;
    });
}

// ---- Change notifications --------------------------------------------------------------

int QVR_CALL QVR_RegisterInputAudioChangedCallback(int productId, QVR_AudioChangedCallback callback, QVR_USER_VALUE user)
{
    if (!IsOurProduct(productId)) return kFailure;
    SetAudioCallback(AudioKind::Input, callback, user);
    return kSuccess;
}

int QVR_CALL QVR_RegisterOutputAudioChangedCallback(int productId, QVR_AudioChangedCallback callback, QVR_USER_VALUE user)
{
    if (!IsOurProduct(productId)) return kFailure;
    SetAudioCallback(AudioKind::Output, callback, user);
    return kSuccess;
}

int QVR_CALL QVR_RegisterBoostLevelChangedCallback(int productId, QVR_ValueChangedCallback callback, QVR_USER_VALUE user)
{
    if (!IsOurProduct(productId)) return kFailure;
    SetBoostCallback(callback, user);
    return kSuccess;
}

int QVR_CALL QVR_UnregisterInputAudioChangedCallback(int productId)
{
    if (!IsOurProduct(productId)) return kFailure;
    ClearAudioCallback(AudioKind::Input);
    return kSuccess;
}

int QVR_CALL QVR_UnregisterOutputAudioChangedCallback(int productId)
{
    if (!IsOurProduct(productId)) return kFailure;
    ClearAudioCallback(AudioKind::Output);
    return kSuccess;
}

int QVR_CALL QVR_UnregisterBoostLevelChangedCallback(int productId)
{
    if (!IsOurProduct(productId)) return kFailure;
    ClearBoostCallback();
    return kSuccess;
}

int QVR_CALL QVR_RegisterMidiChannelChangedCallback(int, QVR_ValueChangedCallback, QVR_USER_VALUE) { return kFailure; }
int QVR_CALL QVR_UnregisterMidiChannelChangedCallback(int) { return kFailure; }
int QVR_CALL QVR_RegisterMidiKeyModeChangedCallback(int, QVR_ValueChangedCallback, QVR_USER_VALUE) { return kFailure; }
int QVR_CALL QVR_UnregisterMidiKeyModeChangedCallback(int) { return kFailure; }

}  // extern "C"
