#include "setup/status_queries.h"

#include "common/mixer_requests.h"
#include "setup/mixer_access.h"

namespace rkx::setup {

uint32_t QueryFirmwareVersion()
{
    uint8_t reply[RKX_FIRMWARE_REPLY_BYTES] = {};
    if (!QueryAll(IOCTL_MIXER_GET_FIRMWARE_VERSION, reply, sizeof(reply))) return kFirmwareUnavailable;
    return (static_cast<uint32_t>(reply[0]) << 8) | reply[1];
}

uint32_t QueryCertifyLevel()
{
    uint8_t reply[RKX_CERTIFY_REPLY_BYTES] = {};
    if (!QueryAll(IOCTL_MIXER_GET_CERTIFY_LEVEL, reply, sizeof(reply))) return kCertifyUnavailable;
    return (static_cast<uint32_t>(reply[0]) << 24) | (static_cast<uint32_t>(reply[1]) << 16) |
           (static_cast<uint32_t>(reply[2]) << 8) | reply[3];
}

uint32_t QueryPortInfo()
{
    uint8_t reply[RKX_PORT_INFO_REPLY_BYTES] = {};
    if (!QueryAll(IOCTL_MIXER_GET_PORT_INFO, reply, sizeof(reply))) return kPortInfoUnavailable;
    return reply[0];
}

uint32_t QuerySelectorPosition(uint32_t channel)
{
    // Channel 3 has no byte in the 4-byte reply: it is never available.
    if (channel + 1 >= RKX_SELECTOR_REPLY_BYTES) return kSelectorUnavailable;
    uint8_t reply[RKX_SELECTOR_REPLY_BYTES] = {};
    if (!QueryAll(IOCTL_MIXER_GET_SELECTOR_STATUS, reply, sizeof(reply))) return kSelectorUnavailable;
    return reply[channel + 1];
}

uint32_t QueryPartnerActive()
{
    uint8_t reply[RKX_PARTNER_REPLY_BYTES] = {};
    if (!QueryAll(IOCTL_MIXER_GET_PARTNER_ACTIVE, reply, sizeof(reply))) return kPartnerUnavailable;
    return reply[0];
}

}  // namespace rkx::setup
