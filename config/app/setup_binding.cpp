#include "app/setup_binding.h"

#include "app/registry_names.h"

namespace config {
namespace {

enum Slot : int {
    kGetProductId, kGetDriverVersionText, kGetUtilityVersionText, kGetLibraryVersionText,
    kGetInstallerVersionText, kGetFirmwareVersion, kGetPortInfo, kGetMixerCertifyLevel,
    kIsUSBConnection, kGetNumOfInputAudioIndex, kGetUSBInputAudioText, kSetUSBInputAudio2,
    kSetUSBInputAudioDirect, kGetWarningTextForSetUSBAudioInput, kGetCurrentUSBInputAudioIndex2,
    kGetNumOfBoostLevelIndex, kGetBoostLevelText, kSetBoostLevelIndex2, kGetCurrentBoostLevelIndex2,
    kGetNumOfOutputAudioIndex, kGetUSBOutputAudioText, kSetUSBOutputAudio2, kSetUSBOutputAudioDefault,
    kGetCurrentUSBOutputAudioIndex2, kGetNumOfMidiChannelIndex, kGetMidiChannelText,
    kSetMidiChannelIndex2, kGetCurrentMidiChannelIndex2, kGetNumOfMidiKeyModeIndex,
    kGetMidiKeyModeText, kSetMidiKeyModeIndex2, kGetCurrentMidiKeyModeIndex2,
    kGetMixerInputSelectorStatus, kGetMixerVantorActiveStatus, kRegisterInputAudioChangedCallback,
    kUnregisterInputAudioChangedCallback, kRegisterOutputAudioChangedCallback,
    kUnregisterOutputAudioChangedCallback, kRegisterBoostLevelChangedCallback,
    kUnregisterBoostLevelChangedCallback, kRegisterMidiChannelChangedCallback,
    kUnregisterMidiChannelChangedCallback, kRegisterMidiKeyModeChangedCallback,
    kUnregisterMidiKeyModeChangedCallback, kSlotEnd
};
static_assert(kSlotEnd == kSetupSlotCount);

// Process-wide; written once on the UI thread by the dialog's initialisation.
HMODULE g_library = nullptr;
FARPROC g_slots[kSetupSlotCount] = {};

}  // namespace

const char* const kSetupSlotNames[kSetupSlotCount] = {
    "QVR_GetProductId", "QVR_GetDriverVersionText", "QVR_GetUtilityVersionText",
    "QVR_GetLibraryVersionText", "QVR_GetInstallerVersionText", "QVR_GetFirmwareVersion",
    "QVR_GetPortInfo", "QVR_GetMixerCertifyLevel", "QVR_IsUSBConnection",
    "QVR_GetNumOfInputAudioIndex", "QVR_GetUSBInputAudioText", "QVR_SetUSBInputAudio2",
    "QVR_SetUSBInputAudioDirect", "QVR_GetWarningTextForSetUSBAudioInput",
    "QVR_GetCurrentUSBInputAudioIndex2", "QVR_GetNumOfBoostLevelIndex", "QVR_GetBoostLevelText",
    "QVR_SetBoostLevelIndex2", "QVR_GetCurrentBoostLevelIndex2", "QVR_GetNumOfOutputAudioIndex",
    "QVR_GetUSBOutputAudioText", "QVR_SetUSBOutputAudio2", "QVR_SetUSBOutputAudioDefault",
    "QVR_GetCurrentUSBOutputAudioIndex2", "QVR_GetNumOfMidiChannelIndex", "QVR_GetMidiChannelText",
    "QVR_SetMidiChannelIndex2", "QVR_GetCurrentMidiChannelIndex2", "QVR_GetNumOfMidiKeyModeIndex",
    "QVR_GetMidiKeyModeText", "QVR_SetMidiKeyModeIndex2", "QVR_GetCurrentMidiKeyModeIndex2",
    "QVR_GetMixerInputSelectorStatus", "QVR_GetMixerVantorActiveStatus",
    "QVR_RegisterInputAudioChangedCallback", "QVR_UnregisterInputAudioChangedCallback",
    "QVR_RegisterOutputAudioChangedCallback", "QVR_UnregisterOutputAudioChangedCallback",
    "QVR_RegisterBoostLevelChangedCallback", "QVR_UnregisterBoostLevelChangedCallback",
    "QVR_RegisterMidiChannelChangedCallback", "QVR_UnregisterMidiChannelChangedCallback",
    "QVR_RegisterMidiKeyModeChangedCallback", "QVR_UnregisterMidiKeyModeChangedCallback",
};

int BindSetupLibraryFrom(const wchar_t* fileName)
{
    if (g_library == nullptr) {
        // Kept for the life of the process: callbacks registered with it point into our code.
        g_library = LoadLibraryW(fileName);
        if (g_library == nullptr) return 2;
    }
    for (int slot = 0; slot < kSetupSlotCount; ++slot) g_slots[slot] = GetProcAddress(g_library, kSetupSlotNames[slot]);
    return 0;
}

int BindSetupLibrary() { return BindSetupLibraryFrom(kSetupLibraryFile); }

int BoundSetupSlotCount()
{
    int count = 0;
    for (FARPROC slot : g_slots) count += slot != nullptr;
    return count;
}

// The slot's function as its exported type; null while unbound.
template <typename Function>
Function SlotFunction(int slot)
{
    // void(*)() converts to any function pointer type without a cast-function-type warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(g_slots[slot]));
}

}  // namespace config

namespace setup {
namespace {

template <int Slot, typename Function, typename... Args>
int Forward(Args... args)
{
    Function function = config::SlotFunction<Function>(Slot);
    return function != nullptr ? function(args...) : QVR_FAILURE;
}

}  // namespace

using namespace config;

int QVR_GetProductId(const wchar_t* modelName, int* productId)
{ return Forward<kGetProductId, decltype(&::QVR_GetProductId)>(modelName, productId); }
int QVR_IsUSBConnection(int productId)
{ return Forward<kIsUSBConnection, decltype(&::QVR_IsUSBConnection)>(productId); }
int QVR_GetMixerCertifyLevel(int productId, int* level)
{ return Forward<kGetMixerCertifyLevel, decltype(&::QVR_GetMixerCertifyLevel)>(productId, level); }
int QVR_GetMixerInputSelectorStatus(int productId, int channel, int* position)
{ return Forward<kGetMixerInputSelectorStatus, decltype(&::QVR_GetMixerInputSelectorStatus)>(productId, channel, position); }
int QVR_GetDriverVersionText(int productId, const wchar_t** text)
{ return Forward<kGetDriverVersionText, decltype(&::QVR_GetDriverVersionText)>(productId, text); }
int QVR_GetUtilityVersionText(int productId, const wchar_t** text)
{ return Forward<kGetUtilityVersionText, decltype(&::QVR_GetUtilityVersionText)>(productId, text); }
int QVR_GetLibraryVersionText(int productId, const wchar_t** text)
{ return Forward<kGetLibraryVersionText, decltype(&::QVR_GetLibraryVersionText)>(productId, text); }
int QVR_GetInstallerVersionText(int productId, const wchar_t** text)
{ return Forward<kGetInstallerVersionText, decltype(&::QVR_GetInstallerVersionText)>(productId, text); }
int QVR_GetFirmwareVersion(int productId, int firmwareNumber, int* version)
{ return Forward<kGetFirmwareVersion, decltype(&::QVR_GetFirmwareVersion)>(productId, firmwareNumber, version); }
int QVR_GetNumOfInputAudioIndex(int productId, int channel, int* count)
{ return Forward<kGetNumOfInputAudioIndex, decltype(&::QVR_GetNumOfInputAudioIndex)>(productId, channel, count); }
int QVR_GetUSBInputAudioText(int productId, int channel, int index, int language, const wchar_t** text)
{ return Forward<kGetUSBInputAudioText, decltype(&::QVR_GetUSBInputAudioText)>(productId, channel, index, language, text); }
int QVR_GetCurrentUSBInputAudioIndex2(int productId, int channel, int* index, const wchar_t* userKey)
{ return Forward<kGetCurrentUSBInputAudioIndex2, decltype(&::QVR_GetCurrentUSBInputAudioIndex2)>(productId, channel, index, userKey); }
int QVR_SetUSBInputAudio2(int productId, int channel, int index, const wchar_t* userKey, int notify)
{ return Forward<kSetUSBInputAudio2, decltype(&::QVR_SetUSBInputAudio2)>(productId, channel, index, userKey, notify); }
int QVR_GetWarningTextForSetUSBAudioInput(int productId, int channel, int resultCode, int language,
                                          const wchar_t** text, int selectorType)
{
    return Forward<kGetWarningTextForSetUSBAudioInput, decltype(&::QVR_GetWarningTextForSetUSBAudioInput)>(
        productId, channel, resultCode, language, text, selectorType);
}
int QVR_GetNumOfOutputAudioIndex(int productId, int channel, int* count)
{ return Forward<kGetNumOfOutputAudioIndex, decltype(&::QVR_GetNumOfOutputAudioIndex)>(productId, channel, count); }
int QVR_SetUSBOutputAudio2(int productId, int channel, int index, const wchar_t* userKey, int notify)
{ return Forward<kSetUSBOutputAudio2, decltype(&::QVR_SetUSBOutputAudio2)>(productId, channel, index, userKey, notify); }
int QVR_SetUSBOutputAudioDefault(int productId, int channel)
{ return Forward<kSetUSBOutputAudioDefault, decltype(&::QVR_SetUSBOutputAudioDefault)>(productId, channel); }
int QVR_GetCurrentUSBOutputAudioIndex2(int productId, int channel, int* index, const wchar_t* userKey)
{ return Forward<kGetCurrentUSBOutputAudioIndex2, decltype(&::QVR_GetCurrentUSBOutputAudioIndex2)>(productId, channel, index, userKey); }
int QVR_GetNumOfBoostLevelIndex(int productId, int* count)
{ return Forward<kGetNumOfBoostLevelIndex, decltype(&::QVR_GetNumOfBoostLevelIndex)>(productId, count); }
int QVR_GetBoostLevelText(int productId, int index, int language, const wchar_t** text)
{ return Forward<kGetBoostLevelText, decltype(&::QVR_GetBoostLevelText)>(productId, index, language, text); }
int QVR_GetCurrentBoostLevelIndex2(int productId, int* index, const wchar_t* userKey)
{ return Forward<kGetCurrentBoostLevelIndex2, decltype(&::QVR_GetCurrentBoostLevelIndex2)>(productId, index, userKey); }
int QVR_SetBoostLevelIndex2(int productId, int index, const wchar_t* userKey, int notify)
{ return Forward<kSetBoostLevelIndex2, decltype(&::QVR_SetBoostLevelIndex2)>(productId, index, userKey, notify); }
int QVR_RegisterInputAudioChangedCallback(int productId, QVR_AudioChangedCallback callback, QVR_USER_VALUE user)
{ return Forward<kRegisterInputAudioChangedCallback, decltype(&::QVR_RegisterInputAudioChangedCallback)>(productId, callback, user); }
int QVR_UnregisterInputAudioChangedCallback(int productId)
{ return Forward<kUnregisterInputAudioChangedCallback, decltype(&::QVR_UnregisterInputAudioChangedCallback)>(productId); }
int QVR_RegisterBoostLevelChangedCallback(int productId, QVR_ValueChangedCallback callback, QVR_USER_VALUE user)
{ return Forward<kRegisterBoostLevelChangedCallback, decltype(&::QVR_RegisterBoostLevelChangedCallback)>(productId, callback, user); }
int QVR_UnregisterBoostLevelChangedCallback(int productId)
{ return Forward<kUnregisterBoostLevelChangedCallback, decltype(&::QVR_UnregisterBoostLevelChangedCallback)>(productId); }
int QVR_UnregisterMidiChannelChangedCallback(int productId)
{ return Forward<kUnregisterMidiChannelChangedCallback, decltype(&::QVR_UnregisterMidiChannelChangedCallback)>(productId); }

}  // namespace setup
