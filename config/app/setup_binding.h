// The setup library, bound at run time by name. Every forwarder takes the library function's
// own arguments and answers 102 while its slot is empty (library missing or name not exported).
#pragma once

#include "include/rkx_t2_setup.h"

#include <windows.h>

namespace config {

// 0 when the library is loaded (whatever names it lacks), 2 when it cannot be loaded.
int BindSetupLibrary();
// The same for a library of another name; for tests.
int BindSetupLibraryFrom(const wchar_t* fileName);

constexpr int kSetupSlotCount = 44;
// Exported names in slot order.
extern const char* const kSetupSlotNames[kSetupSlotCount];
// How many slots hold a function (for diagnostics and tests).
int BoundSetupSlotCount();

}  // namespace config

// The library's functions under their own names, in a namespace of their own.
namespace setup {

int QVR_GetProductId(const wchar_t* modelName, int* productId);
int QVR_IsUSBConnection(int productId);
int QVR_GetMixerCertifyLevel(int productId, int* level);
int QVR_GetMixerInputSelectorStatus(int productId, int channel, int* position);
int QVR_GetDriverVersionText(int productId, const wchar_t** text);
int QVR_GetUtilityVersionText(int productId, const wchar_t** text);
int QVR_GetLibraryVersionText(int productId, const wchar_t** text);
int QVR_GetInstallerVersionText(int productId, const wchar_t** text);
int QVR_GetFirmwareVersion(int productId, int firmwareNumber, int* version);
int QVR_GetNumOfInputAudioIndex(int productId, int channel, int* count);
int QVR_GetUSBInputAudioText(int productId, int channel, int index, int language, const wchar_t** text);
int QVR_GetCurrentUSBInputAudioIndex2(int productId, int channel, int* index, const wchar_t* userKey);
int QVR_SetUSBInputAudio2(int productId, int channel, int index, const wchar_t* userKey, int notify);
int QVR_GetWarningTextForSetUSBAudioInput(int productId, int channel, int resultCode, int language,
                                          const wchar_t** text, int selectorType);
int QVR_GetNumOfOutputAudioIndex(int productId, int channel, int* count);
int QVR_SetUSBOutputAudio2(int productId, int channel, int index, const wchar_t* userKey, int notify);
int QVR_SetUSBOutputAudioDefault(int productId, int channel);
int QVR_GetCurrentUSBOutputAudioIndex2(int productId, int channel, int* index, const wchar_t* userKey);
int QVR_GetNumOfBoostLevelIndex(int productId, int* count);
int QVR_GetBoostLevelText(int productId, int index, int language, const wchar_t** text);
int QVR_GetCurrentBoostLevelIndex2(int productId, int* index, const wchar_t* userKey);
int QVR_SetBoostLevelIndex2(int productId, int index, const wchar_t* userKey, int notify);
int QVR_RegisterInputAudioChangedCallback(int productId, QVR_AudioChangedCallback callback, QVR_USER_VALUE user);
int QVR_UnregisterInputAudioChangedCallback(int productId);
int QVR_RegisterBoostLevelChangedCallback(int productId, QVR_ValueChangedCallback callback, QVR_USER_VALUE user);
int QVR_UnregisterBoostLevelChangedCallback(int productId);
int QVR_UnregisterMidiChannelChangedCallback(int productId);

}  // namespace setup
