// The settings utility's command line: "AsioConfig" followed directly by the user key.
#pragma once

#include <cstddef>

namespace rkx::autosetup {

constexpr size_t kCommandLineChars = 260;  // 259 characters and the terminating zero

// Fills `out` with `asioConfig` immediately followed by `userKey` (no separator, so the
// utility sees "-Auto" directly followed by the identifier). False, with `out` emptied, when
// the result would not fit in 259 characters: a cut command line would start the utility for
// a wrong or partial user, so nothing is started instead.
bool BuildUtilityCommandLine(const wchar_t* asioConfig, const wchar_t* userKey, wchar_t (&out)[kCommandLineChars]);

}  // namespace rkx::autosetup
