#include "virtualmixer/client/request_names.h"

#include "common/mixer_requests.h"

namespace rkx::vmix {

const char* MixerRequestName(uint32_t code)
{
    static const char* const kControl[RKX_CONTROL_REQUEST_COUNT] = {
        "SET_USB_SEND_SOURCE", "SET_BOOST_LEVEL",      "GET_SELECTOR_STATUS", "GET_LAUNCH_REQUEST",
        "RESERVED_4",          "RESERVED_5",           "GET_PARTNER_ACTIVE",  "SET_USB_SEND_DIRECT",
        "GET_FIRMWARE_VERSION", "GET_PORT_INFO",       "GET_CERTIFY_LEVEL",   "SET_USB_RECEIVE_ROUTE",
    };
    static const char* const kStream[RKX_STREAM_REQUEST_COUNT] = {
        "STREAM_SET_RATE", "STREAM_STOP",  "STREAM_SET_FRAMES",      "STREAM_WRITE",
        "STREAM_READ",     "STREAM_START", "STREAM_SET_OUTPUT_PINS",
    };
    if (const int index = RkxControlRequestIndex(code); index >= 0) return kControl[index];
    if (const int index = RkxStreamRequestIndex(code); index >= 0) return kStream[index];
    return nullptr;
}

}  // namespace rkx::vmix
