/*
 * RKX-T2 mixer setup library: the exported C interface of RKX-T2_Setup.dll (32-bit) and
 * RKX-T2_Setup64.dll (64-bit).
 *
 * Calling convention: every function and every callback is QVR_CALL, which is __stdcall in
 * 32-bit code (as the Windows API) and the one x64 convention in 64-bit code. Exports carry
 * their plain names ("QVR_GetProductId") in both builds, so GetProcAddress works by name.
 *
 * Integers are 32-bit; pointers and the callbacks' user value follow the build's width.
 * Texts returned by the library are NUL-terminated UTF-16 owned by the library; a later call
 * of the same function may overwrite them.
 */
#ifndef RKX_T2_SETUP_H
#define RKX_T2_SETUP_H

#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN64)
#define QVR_CALL
#else
#define QVR_CALL __stdcall
#endif

/* Result codes. */
#define QVR_SUCCESS          100
#define QVR_SUCCESS_WARNING  101 /* input routing: a control tone needs the selector on USB */
#define QVR_FAILURE          102 /* wrong product, out of range, null output, unsupported, unavailable */
#define QVR_CONNECTED        103 /* QVR_IsUSBConnection only */
#define QVR_NOT_CONNECTED    104 /* QVR_IsUSBConnection only */

/* The one product this library knows. */
#define QVR_PRODUCT_RKX_T2   11
/* Language argument of the text functions meaning "the installed language". */
#define QVR_LANGUAGE_INSTALLED 99

typedef intptr_t QVR_USER_VALUE;
/* Results of callbacks are ignored. */
typedef int (QVR_CALL *QVR_AudioChangedCallback)(int channel, int index, QVR_USER_VALUE user);
typedef int (QVR_CALL *QVR_ValueChangedCallback)(int value, QVR_USER_VALUE user);

int QVR_CALL QVR_GetProductId(const wchar_t* modelName, int* productId);
int QVR_CALL QVR_IsUSBConnection(int productId);

/* USB input audio: what the computer receives from the mixer (send channels). */
int QVR_CALL QVR_GetNumOfInputAudioIndex(int productId, int channel, int* count);
int QVR_CALL QVR_GetUSBInputAudioText(int productId, int channel, int index, int language, const wchar_t** text);
int QVR_CALL QVR_GetCurrentUSBInputAudioIndex(int productId, int channel, int* index);
int QVR_CALL QVR_GetCurrentUSBInputAudioIndex2(int productId, int channel, int* index, const wchar_t* userKey);
int QVR_CALL QVR_SetUSBInputAudio(int productId, int channel, int index);
int QVR_CALL QVR_SetUSBInputAudio2(int productId, int channel, int index, const wchar_t* userKey, int notify);
int QVR_CALL QVR_SetUSBInputAudioDirect(int productId, int channel, int source, int mode);
int QVR_CALL QVR_GetWarningTextForSetUSBAudioInput(int productId, int channel, int resultCode, int language,
                                                   const wchar_t** text, int selectorType);

/* USB output audio: what the computer plays into the mixer (receive channels). */
int QVR_CALL QVR_GetNumOfOutputAudioIndex(int productId, int channel, int* count);
int QVR_CALL QVR_GetUSBOutputAudioText(int productId, int channel, int index, int language, const wchar_t** text);
int QVR_CALL QVR_GetCurrentUSBOutputAudioIndex(int productId, int channel, int* index);
int QVR_CALL QVR_GetCurrentUSBOutputAudioIndex2(int productId, int channel, int* index, const wchar_t* userKey);
int QVR_CALL QVR_SetUSBOutputAudio(int productId, int channel, int index);
int QVR_CALL QVR_SetUSBOutputAudio2(int productId, int channel, int index, const wchar_t* userKey, int notify);
int QVR_CALL QVR_SetUSBOutputAudioDefault(int productId, int channel);

/* Boost level. */
int QVR_CALL QVR_GetNumOfBoostLevelIndex(int productId, int* count);
int QVR_CALL QVR_GetBoostLevelText(int productId, int index, int language, const wchar_t** text);
int QVR_CALL QVR_GetCurrentBoostLevelIndex(int productId, int* index);
int QVR_CALL QVR_GetCurrentBoostLevelIndex2(int productId, int* index, const wchar_t* userKey);
int QVR_CALL QVR_SetBoostLevelIndex(int productId, int index);
int QVR_CALL QVR_SetBoostLevelIndex2(int productId, int index, const wchar_t* userKey, int notify);

/* MIDI channel and MIDI key mode: not supported by this mixer; every call answers 102. */
int QVR_CALL QVR_GetNumOfMidiChannelIndex(int productId, int* count);
int QVR_CALL QVR_GetMidiChannelText(int productId, int index, int language, const wchar_t** text);
int QVR_CALL QVR_GetCurrentMidiChannelIndex(int productId, int* index);
int QVR_CALL QVR_GetCurrentMidiChannelIndex2(int productId, int* index, const wchar_t* userKey);
int QVR_CALL QVR_SetMidiChannelIndex(int productId, int index);
int QVR_CALL QVR_SetMidiChannelIndex2(int productId, int index, const wchar_t* userKey, int notify);
int QVR_CALL QVR_GetNumOfMidiKeyModeIndex(int productId, int* count);
int QVR_CALL QVR_GetMidiKeyModeText(int productId, int index, int language, const wchar_t** text);
int QVR_CALL QVR_GetCurrentMidiKeyModeIndex(int productId, int* index);
int QVR_CALL QVR_GetCurrentMidiKeyModeIndex2(int productId, int* index, const wchar_t* userKey);
int QVR_CALL QVR_SetMidiKeyModeIndex(int productId, int index);
int QVR_CALL QVR_SetMidiKeyModeIndex2(int productId, int index, const wchar_t* userKey, int notify);

/* Versions and status. */
int QVR_CALL QVR_GetDriverVersionText(int productId, const wchar_t** text);
int QVR_CALL QVR_GetUtilityVersionText(int productId, const wchar_t** text);
int QVR_CALL QVR_GetLibraryVersionText(int productId, const wchar_t** text);
int QVR_CALL QVR_GetInstallerVersionText(int productId, const wchar_t** text);
int QVR_CALL QVR_GetFirmwareVersion(int productId, int firmwareNumber, int* version);
int QVR_CALL QVR_GetMixerCertifyLevel(int productId, int* level);
int QVR_CALL QVR_GetPortInfo(int productId, int* portInfo);
int QVR_CALL QVR_GetMixerInputSelectorStatus(int productId, int channel, int* position);
int QVR_CALL QVR_GetMixerVantorActiveStatus(int productId, int* active);

/* Change notifications: callbacks run on the thread that loaded the library. */
int QVR_CALL QVR_RegisterInputAudioChangedCallback(int productId, QVR_AudioChangedCallback callback, QVR_USER_VALUE user);
int QVR_CALL QVR_RegisterOutputAudioChangedCallback(int productId, QVR_AudioChangedCallback callback, QVR_USER_VALUE user);
int QVR_CALL QVR_RegisterBoostLevelChangedCallback(int productId, QVR_ValueChangedCallback callback, QVR_USER_VALUE user);
int QVR_CALL QVR_UnregisterInputAudioChangedCallback(int productId);
int QVR_CALL QVR_UnregisterOutputAudioChangedCallback(int productId);
int QVR_CALL QVR_UnregisterBoostLevelChangedCallback(int productId);
int QVR_CALL QVR_RegisterMidiChannelChangedCallback(int productId, QVR_ValueChangedCallback callback, QVR_USER_VALUE user);
int QVR_CALL QVR_UnregisterMidiChannelChangedCallback(int productId);
int QVR_CALL QVR_RegisterMidiKeyModeChangedCallback(int productId, QVR_ValueChangedCallback callback, QVR_USER_VALUE user);
int QVR_CALL QVR_UnregisterMidiKeyModeChangedCallback(int productId);

#ifdef __cplusplus
}
#endif

#endif
