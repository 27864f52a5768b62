// How the version page writes the mixer's firmware version.
#pragma once

#include <string>

namespace config {

// The placeholder while the mixer is absent or does not answer.
inline constexpr wchar_t kFirmwareUnknown[] = L"*.**";

// "%01X.%02X": major version from bits 8 to 11, minor from bits 0 to 7 (0x0105 -> "1.05").
std::wstring FirmwareVersionText(int version);

}  // namespace config
