// The utility's own names. What it shares with the other programs of the package (settings
// keys, the driver's mutexes and window) is in common/package_names.h.
#pragma once

namespace config {

inline constexpr wchar_t kSingleInstanceMutex[] = L"NTRKX-T2_ASIO_SETTING";
inline constexpr wchar_t kModelName[] = L"RKX-T2";
// The 64-bit utility can only load the 64-bit build of the setup library.
#if defined(_WIN64)
inline constexpr wchar_t kSetupLibraryFile[] = L"RKX-T2_Setup64.dll";
#else
inline constexpr wchar_t kSetupLibraryFile[] = L"RKX-T2_Setup.dll";
#endif

}  // namespace config
