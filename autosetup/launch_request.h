// Asks the mixer whether the settings utility should be started (request 0x22C00C).
#pragma once

#include <windows.h>

namespace rkx::autosetup {

constexpr int kLaunchAttemptsPerFilter = 5;
constexpr DWORD kLaunchRetryDelayMs = 100;
// A mixer answers at once; one that keeps a request longer than this is asked again.
constexpr DWORD kLaunchAnswerTimeoutMs = 1000;
// How long a cancelled request is given to complete before its memory is left to it.
constexpr DWORD kLaunchCancelGraceMs = 1000;

// True when a mixer audio filter answered "yes". Per filter, in enumeration order: "no" moves
// on to the next filter; a failed exchange, an unanswered request or any other answer is asked
// again after 100 ms, five times at most. Blocks the calling thread meanwhile; `stop` (may be
// null) ends it at once with "no".
bool QueryLaunchRequest(HANDLE stop);

}  // namespace rkx::autosetup
