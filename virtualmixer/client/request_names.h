// Short names of the mixer's request codes, for journals and support output.
#pragma once

#include <cstdint>

namespace rkx::vmix {

// "SET_USB_SEND_SOURCE", "STREAM_WRITE", ...; nullptr for a code that is not a mixer request.
const char* MixerRequestName(uint32_t code);

}  // namespace rkx::vmix
