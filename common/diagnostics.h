// Diagnostics for benches and tests, never on by default. One machine-wide switch turns them
// on for every program of the package: the REG_DWORD "Diagnostics" (nonzero = on) under
// HKEY_LOCAL_MACHINE\SOFTWARE\Korvane\RKX-T2, read in the 64-bit registry view by both builds.
// That key inherits the machine hive's rights, so only an administrator can set it. When it is
// on, programs write their figures to files of fixed names in one folder,
// %ProgramData%\Korvane\RKX-T2\Diagnostics; nothing else is ever written.
#pragma once

#include <string>

#include "common/package_names.h"

namespace rkx::diagnostics {

inline constexpr const wchar_t* kSwitchKeyPath = names::kSettingsKeyPathW;
inline constexpr wchar_t kSwitchValue[] = L"Diagnostics";

// Files of the diagnostics folder, one per figure set and writer.
inline constexpr wchar_t kAsio64CopyTimingFile[] = L"asio64-copy-timing.txt";
inline constexpr wchar_t kAsio32CopyTimingFile[] = L"asio32-copy-timing.txt";
inline constexpr wchar_t kUtilityPaintTimingFile[] = L"utility-paint-timing.txt";
inline constexpr wchar_t kUtilityLabelsFile[] = L"utility-labels.txt";

// Reads the switch. Cheap enough for start-up paths; never called on a real-time thread.
bool Enabled();

// The folder's path without a trailing separator, or empty when the system names no
// program-data folder.
std::wstring Folder();

// The full path of `fileName` in the folder, the folder created; empty when diagnostics are
// off or the folder cannot be made.
std::wstring PrepareFile(const wchar_t* fileName);

}  // namespace rkx::diagnostics
