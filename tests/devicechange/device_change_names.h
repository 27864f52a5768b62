// Names the device change listener and its tests agree on.
#pragma once

namespace rkx::devicechange {

// Global so a service on its own window station and the test share them.
inline constexpr wchar_t kReadyEvent[] = L"Global\\RkxDeviceChangeListenerReady";
inline constexpr wchar_t kHeardEvent[] = L"Global\\RkxDeviceChangeHeard";
inline constexpr wchar_t kWindowClass[] = L"RkxDeviceChangeListener";

}  // namespace rkx::devicechange
