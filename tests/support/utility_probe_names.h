// Names the settings-utility stand-in and the tests share.
#pragma once

#include <windows.h>

namespace rkx::test {

constexpr wchar_t kProbeLogName[] = L"launches.log";
// Set by the tests to let every running stand-in end.
constexpr wchar_t kProbeReleaseEvent[] = L"Global\\rkx_autosetup_probe_release";
// A stand-in left behind by a failed test ends by itself after this.
constexpr DWORD kProbeLifetimeMs = 120000;

}  // namespace rkx::test
