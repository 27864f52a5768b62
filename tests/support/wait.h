// Waiting in tests. Every limit is a hang guard that turns a hang into a failure, not a timing
// goal: a condition is polled until it holds or the limit passes.
#pragma once

#include <windows.h>

#include <functional>

namespace rkx::test {

// The default hang guard.
inline constexpr DWORD kHangLimitMs = 20000;

// Polls `condition` every `pollMs`; true as soon as it holds, false when it stayed false for
// `limitMs` (checked once more at the end).
bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs = kHangLimitMs, DWORD pollMs = 20);

// Dispatches every message already queued for this thread.
void PumpMessages();
// Dispatches this thread's messages for `ms`.
void PumpMessagesFor(DWORD ms);
// Waits for a handle while dispatching this thread's messages (a window this thread made, or
// one of a library loaded here, must keep answering). False after `limitMs`.
bool WaitPumping(HANDLE handle, DWORD limitMs = kHangLimitMs);
// As WaitUntil, dispatching this thread's messages between the polls.
bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs = kHangLimitMs);

}  // namespace rkx::test
