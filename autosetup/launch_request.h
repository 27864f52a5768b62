// Asks the mixer whether the settings utility should be started (request 0x22C00C).
#pragma once

namespace rkx::autosetup {

constexpr int kLaunchAttemptsPerFilter = 5;
constexpr unsigned kLaunchRetryDelayMs = 100;

// True when a mixer audio filter answered "yes". Per filter, in enumeration order: "no" moves
// on to the next filter; a failed exchange or any other answer is asked again after 100 ms,
// five times at most. Blocks the calling thread meanwhile.
bool QueryLaunchRequest();

}  // namespace rkx::autosetup
