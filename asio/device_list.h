// The mixer streaming interfaces present now, by the device path rule.
#pragma once

#include "asio/device_io.h"

namespace rkx::asio {

// Fills list (at most 128 paths of at most 259 characters, ANSI) in enumeration order.
// False when the interface list could not be obtained at all.
bool CollectMixerPaths(PathList& list);

}  // namespace rkx::asio
