// Which listed interface is a mixer's streaming pin, and the names the rig prints.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::vmix {

// The wave1 filter path of a plugged mixer (decoys are never chosen); empty when not listed.
std::wstring MixerStreamPath(const std::vector<InterfaceInfo>& interfaces, uint32_t mixer);

// Paths are plain ASCII, but anything else is shown as '?' rather than mangled.
std::string ToPrintable(const std::wstring& text);

extern const char* const kAnalogSourceNames[VMIX_ANALOG_SOURCE_COUNT];

}  // namespace rkx::vmix
