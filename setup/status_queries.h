// Status values read from the mixer; each gives its unavailable value when the mixer is not
// found or an exchange fails.
#pragma once

#include <cstdint>

namespace rkx::setup {

constexpr uint32_t kFirmwareUnavailable = 65535;
constexpr uint32_t kCertifyUnavailable = 65535;
constexpr uint32_t kPortInfoUnavailable = 255;
constexpr uint32_t kSelectorUnavailable = 25;
constexpr uint32_t kPartnerUnavailable = 255;

uint32_t QueryFirmwareVersion();
uint32_t QueryCertifyLevel();
uint32_t QueryPortInfo();
uint32_t QuerySelectorPosition(uint32_t channel);  // channel < 4
uint32_t QueryPartnerActive();

}  // namespace rkx::setup
