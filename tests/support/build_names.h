// The names each build of the package carries, as a test built for the same architecture
// expects them: the i686 tests run against the 32-bit deliverables on a 32-bit Windows, the
// x86_64 tests against the 64-bit ones.
#pragma once

#include <windows.h>

namespace rkx::test {

#ifdef _WIN64
inline constexpr bool kBuild64 = true;
inline constexpr CLSID kAsioClassId = {0x5A3C9E21, 0x7B4D, 0x4F08, {0x9C, 0x62, 0x1D, 0x8E, 0x0B, 0x7A, 0x4F, 0x35}};
inline constexpr char kAsioClassIdText[] = "{5A3C9E21-7B4D-4F08-9C62-1D8E0B7A4F35}";
inline constexpr char kAsioFile[] = "RKX-T2_ASIO64.dll";
inline constexpr char kAsioInstalledFile[] = "C:\\windows\\system32\\RKX-T2_ASIO64.dll";
inline constexpr char kAsioDriverName[] = "RKX-T2 ASIO64";
// The driver's key under SOFTWARE\ASIO and its per-user settings key under SOFTWARE.
inline constexpr char kAsioKeyName[] = "RKX-T2 ASIO 64bit";
inline constexpr wchar_t kAsioKeyNameW[] = L"RKX-T2 ASIO 64bit";
inline constexpr char kAsioStreamingMutex[] = "Global\\NTRKX-T2_ASIO64";
inline constexpr char kAsioOpenFailure[] = "RKX-T2 ASIO 64bit Driver open Failure!";
// Where this build reads the machine values ("AsioConfig"): the 32-bit registry view's key.
inline constexpr char kMachineKey[] = "Software\\Wow6432Node\\Korvane\\RKX-T2";
inline constexpr wchar_t kMachineKeyW[] = L"Software\\Wow6432Node\\Korvane\\RKX-T2";
inline constexpr wchar_t kSetupLibrary[] = L"RKX-T2_Setup64.dll";
#else
inline constexpr bool kBuild64 = false;
inline constexpr CLSID kAsioClassId = {0x2E7F4B90, 0xC1A6, 0x4D3E, {0x8B, 0x25, 0x6F, 0x09, 0xD4, 0xC8, 0xA1, 0x72}};
inline constexpr char kAsioClassIdText[] = "{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}";
inline constexpr char kAsioFile[] = "RKX-T2_ASIO.dll";
inline constexpr char kAsioInstalledFile[] = "C:\\windows\\system32\\RKX-T2_ASIO.dll";
inline constexpr char kAsioDriverName[] = "RKX-T2 ASIO";
inline constexpr char kAsioKeyName[] = "RKX-T2 ASIO";
inline constexpr wchar_t kAsioKeyNameW[] = L"RKX-T2 ASIO";
inline constexpr char kAsioStreamingMutex[] = "Global\\NTRKX-T2_ASIO";
inline constexpr char kAsioOpenFailure[] = "RKX-T2 ASIO Driver open Failure!";
inline constexpr char kMachineKey[] = "Software\\Korvane\\RKX-T2";
inline constexpr wchar_t kMachineKeyW[] = L"Software\\Korvane\\RKX-T2";
inline constexpr wchar_t kSetupLibrary[] = L"RKX-T2_Setup.dll";
#endif

}  // namespace rkx::test
