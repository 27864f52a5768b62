// The names the programs of the package meet each other by: registry keys and values, kernel
// object names, the driver's window and its message, the device class they listen for. Names
// only: the ASIO driver and the settings utility share nothing else, and every value here is
// the one both sides must spell the same way. Narrow forms for the driver's ANSI calls, wide
// forms for everyone else.
#pragma once

#include <windows.h>

namespace rkx::names {

// --- Per-user and machine settings --------------------------------------------------------------

// The package's key, under the user root (per-user settings, "AsioConfigLaunch") and under
// HKEY_LOCAL_MACHINE ("AsioConfig", "InstallLanguage", "Diagnostics"). Registry key names
// compare without regard to case, so "SOFTWARE\..." names the same key.
inline constexpr char kSettingsKeyPath[] = "Software\\Korvane\\RKX-T2";
inline constexpr wchar_t kSettingsKeyPathW[] = L"Software\\Korvane\\RKX-T2";
// The same machine key in the 32-bit registry view, as a 64-bit process names it.
inline constexpr char kSettingsKeyPath32View[] = "Software\\Wow6432Node\\Korvane\\RKX-T2";
// The steps of kSettingsKeyPath, for code that creates it below an existing "SOFTWARE" only.
inline constexpr wchar_t kSoftwareKeyW[] = L"SOFTWARE";
inline constexpr char kSoftwareKey[] = "SOFTWARE";
inline constexpr wchar_t kMakerKeyW[] = L"Korvane";
inline constexpr wchar_t kModelKeyW[] = L"RKX-T2";

// Machine value: the settings utility's command line, ending with "-Auto".
inline constexpr char kAsioConfigValue[] = "AsioConfig";
inline constexpr wchar_t kAsioConfigValueW[] = L"AsioConfig";
// Machine value: the utility's language.
inline constexpr wchar_t kInstallLanguageValueW[] = L"InstallLanguage";
// Per-user value: 1 while a utility started from the driver's control panel is open.
inline constexpr char kAsioConfigLaunchValue[] = "AsioConfigLaunch";
inline constexpr wchar_t kAsioConfigLaunchValueW[] = L"AsioConfigLaunch";

// --- What the ASIO driver and the settings utility share ---------------------------------------

// Each driver build's name: its "Description" in the ASIO driver list, by which the utility
// finds the build it can load.
inline constexpr char kAsio32DriverName[] = "RKX-T2 ASIO";
inline constexpr char kAsio64DriverName[] = "RKX-T2 ASIO64";
// Each driver build's key name: under HKEY_LOCAL_MACHINE\SOFTWARE\ASIO, and under the user's
// "SOFTWARE" for its settings ("blockNum", "sampleRate").
inline constexpr char kAsio32KeyName[] = "RKX-T2 ASIO";
inline constexpr wchar_t kAsio32KeyNameW[] = L"RKX-T2 ASIO";
inline constexpr char kAsio64KeyName[] = "RKX-T2 ASIO 64bit";
inline constexpr wchar_t kAsio64KeyNameW[] = L"RKX-T2 ASIO 64bit";
// Buffer size in blocks of 64 frames: written by the utility, read by a driver being created.
inline constexpr char kBlockNumValue[] = "blockNum";
inline constexpr wchar_t kBlockNumValueW[] = L"blockNum";
inline constexpr wchar_t kSampleRateValueW[] = L"sampleRate";

// Exist exactly while a driver of that build streams; others only test for them. Kernel
// object names are case-sensitive.
inline constexpr char kAsio32StreamingMutex[] = "Global\\NTRKX-T2_ASIO";
inline constexpr wchar_t kAsio32StreamingMutexW[] = L"Global\\NTRKX-T2_ASIO";
inline constexpr char kAsio64StreamingMutex[] = "Global\\NTRKX-T2_ASIO64";
inline constexpr wchar_t kAsio64StreamingMutexW[] = L"Global\\NTRKX-T2_ASIO64";

// The streaming driver's hidden window and the message (WM_APP + 1, both parameters 0) with
// which the utility asks it to have its host reset after "blockNum" changed.
inline constexpr char kAsioWindowClass[] = "RKX_T2_Asio_WndProc";
inline constexpr wchar_t kAsioWindowClassW[] = L"RKX_T2_Asio_WndProc";
inline constexpr UINT kAsioResetMessage = 0x8001;
static_assert(kAsioResetMessage == WM_APP + 1);

// --- Device changes -----------------------------------------------------------------------------

// The USB device interface class the driver, the utility and the service register for
// (GUID_DEVINTERFACE_USB_DEVICE).
inline constexpr GUID kUsbDeviceInterfaceClass = {0xA5DCBF10, 0x6530, 0x11D2,
                                                  {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

}  // namespace rkx::names
