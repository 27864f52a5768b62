// Change notifications between every process that has the library loaded: each owns a hidden
// window titled "RKX-T2SetupDllWin"; a setter sends a message to all of them and each window's
// procedure calls the callback its own process registered.
#pragma once

#include <windows.h>

#include <cstdint>

#include "include/rkx_t2_setup.h"

namespace rkx::setup {

constexpr wchar_t kNotifyWindowName[] = L"RKX-T2SetupDllWin";
constexpr UINT kInputAudioChanged = WM_USER + 100;
constexpr UINT kOutputAudioChanged = WM_USER + 101;
constexpr UINT kBoostLevelChanged = WM_USER + 102;
constexpr UINT kMidiChannelChanged = WM_USER + 103;
constexpr UINT kMidiKeyModeChanged = WM_USER + 104;

// A receiver that does not answer within this time is skipped. Long enough for any callback
// that is merely busy. Windows the system calls hung are not skipped early: a program that
// took no messages for 5 s and is then busy for a moment counts as hung, yet answers in time.
constexpr UINT kAnnounceTimeoutMs = 5000;

constexpr LPARAM AudioChangeParam(uint32_t channel, uint32_t index)
{
    return static_cast<LPARAM>((11u << 16) + ((channel & 0xFFu) << 8) + (index & 0xFFu));
}
constexpr LPARAM ValueChangeParam(uint32_t value) { return static_cast<LPARAM>((11u << 16) + (value & 0xFFFFu)); }

// Registers the class and creates this process's window; a failure leaves the process deaf.
void StartNotificationWindow(HINSTANCE module);
// Destroys the window when called on the thread that created it. On any other thread the
// window can only be made harmless: it stops calling into this module at once and closes at
// its thread's next message retrieval.
void StopNotificationWindow(bool processEnding);

// Sends the message to every window titled "RKX-T2SetupDllWin" of every process, own included.
void AnnounceChange(UINT message, LPARAM lParam);

// Registrations from any thread. A callback and its user value are taken together; once a
// clear returns, the old callback is neither running nor about to start on another thread.
// A callback runs under the lock these calls take, so it must not wait for a thread that is
// registering at that moment (it may itself register and unregister).
enum class AudioKind { Input, Output };
void SetAudioCallback(AudioKind kind, QVR_AudioChangedCallback callback, QVR_USER_VALUE user);
void ClearAudioCallback(AudioKind kind);
void SetBoostCallback(QVR_ValueChangedCallback callback, QVR_USER_VALUE user);
void ClearBoostCallback();

// The window procedure's work, callable directly by tests.
LRESULT HandleNotifyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace rkx::setup
