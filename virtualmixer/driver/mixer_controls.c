/* The mixer's twelve control requests and the settings they read and change. */
#include "vmix_driver.h"

#define NO_DIRECT_WORD 0xFFFFFFFFu

VOID VmixSettingsChangedLocked(VmixMixer *mixer)
{
    InterlockedIncrement(&mixer->settingsGeneration);
}

VOID VmixSetMixerDefaultsLocked(VmixMixer *mixer)
{
    VmixMixerState *state = &mixer->state;
    VmixSettingsChangedLocked(mixer);
    for (ULONG s = 0; s < RKX_USB_SEND_CHANNELS; s++) state->sendSource[s] = 0;
    for (ULONG c = 0; c < RKX_USB_RECEIVE_CHANNELS; c++) state->receiveRoute[c] = c;
    state->boostLevel = 3;
    state->selector[0] = RKX_SELECTOR_POSITION_USB;
    state->selector[1] = RKX_SELECTOR_POSITION_USB;
    state->selector[2] = RKX_SELECTOR_POSITION_LINE;
    state->launchAnswer = RKX_LAUNCH_NO;
    state->launchAskAgain = 0;
    state->partnerActive = 0;
    state->firmware = 0x0105;
    state->portInfo = 1;
    state->certifyLevel = 1;
    state->lastDirectWord = NO_DIRECT_WORD;
}

static NTSTATUS SetRoute(uint32_t *routes, ULONG channels, ULONG selections, const RkxRoutePayload *payload)
{
    if (payload->channelPlusOne < 1 || payload->channelPlusOne > channels) return STATUS_INVALID_PARAMETER;
    if (payload->selection >= selections) return STATUS_INVALID_PARAMETER;
    routes[payload->channelPlusOne - 1] = payload->selection;
    return STATUS_SUCCESS;
}

/* The packed word names a send channel and its source; a word that names neither is only
 * remembered, as the mixer ignores it. */
static VOID ApplyDirectWord(VmixMixerState *state, USHORT word)
{
    ULONG channelPlusOne = RkxDirectRouteChannelPlusOne(word);
    ULONG sourcePlusOne = RkxDirectRouteSourcePlusOne(word);
    state->lastDirectWord = word;
    if (channelPlusOne >= 1 && channelPlusOne <= RKX_USB_SEND_CHANNELS && sourcePlusOne >= 1) {
        state->sendSource[channelPlusOne - 1] = sourcePlusOne - 1;
    }
}

static ULONG InputSize(ULONG code)
{
    switch (code) {
    case IOCTL_MIXER_SET_USB_SEND_SOURCE:
    case IOCTL_MIXER_SET_USB_RECEIVE_ROUTE: return sizeof(RkxRoutePayload);
    case IOCTL_MIXER_SET_BOOST_LEVEL: return RKX_BOOST_PAYLOAD_BYTES;
    case IOCTL_MIXER_SET_USB_SEND_DIRECT: return RKX_DIRECT_PAYLOAD_BYTES;
    default: return 0;
    }
}

static ULONG ReplySize(ULONG code)
{
    switch (code) {
    case IOCTL_MIXER_GET_SELECTOR_STATUS: return RKX_SELECTOR_REPLY_BYTES;
    case IOCTL_MIXER_GET_LAUNCH_REQUEST: return RKX_LAUNCH_REPLY_BYTES;
    case IOCTL_MIXER_GET_PARTNER_ACTIVE: return RKX_PARTNER_REPLY_BYTES;
    case IOCTL_MIXER_GET_FIRMWARE_VERSION: return RKX_FIRMWARE_REPLY_BYTES;
    case IOCTL_MIXER_GET_PORT_INFO: return RKX_PORT_INFO_REPLY_BYTES;
    case IOCTL_MIXER_GET_CERTIFY_LEVEL: return RKX_CERTIFY_REPLY_BYTES;
    default: return 0;
    }
}

NTSTATUS VmixExecuteControlLocked(VmixMixer *mixer, ULONG code, PVOID buffer,
                                  ULONG inputBytes, ULONG outputBytes, ULONG_PTR *replyBytes)
{
    VmixMixerState *state = &mixer->state;
    UCHAR *bytes = buffer;
    ULONG reply = ReplySize(code);

    *replyBytes = 0;
    VmixSettingsChangedLocked(mixer); /* cheaper than telling setters from getters */
    if (code == IOCTL_MIXER_RESERVED_4 || code == IOCTL_MIXER_RESERVED_5) return STATUS_INVALID_DEVICE_REQUEST;
    if (inputBytes < InputSize(code)) return STATUS_INVALID_PARAMETER;
    if (outputBytes < reply) return STATUS_BUFFER_TOO_SMALL;
    if (reply != 0) RtlZeroMemory(bytes, reply);

    switch (code) {
    case IOCTL_MIXER_SET_USB_SEND_SOURCE:
        return SetRoute(state->sendSource, RKX_USB_SEND_CHANNELS, 8, buffer);
    case IOCTL_MIXER_SET_USB_RECEIVE_ROUTE:
        return SetRoute(state->receiveRoute, RKX_USB_RECEIVE_CHANNELS, 3, buffer);
    case IOCTL_MIXER_SET_BOOST_LEVEL: {
        USHORT level = *(const USHORT *)buffer;
        if (level > 3) return STATUS_INVALID_PARAMETER;
        state->boostLevel = level;
        return STATUS_SUCCESS;
    }
    case IOCTL_MIXER_SET_USB_SEND_DIRECT:
        ApplyDirectWord(state, *(const USHORT *)buffer);
        return STATUS_SUCCESS;
    case IOCTL_MIXER_GET_SELECTOR_STATUS:
        for (ULONG c = 0; c < RKX_SELECTOR_CHANNELS; c++) bytes[c + 1] = state->selector[c];
        break;
    case IOCTL_MIXER_GET_LAUNCH_REQUEST:
        if (state->launchAskAgain > 0) {
            state->launchAskAgain--;
            bytes[0] = 2;
        } else {
            bytes[0] = state->launchAnswer;
        }
        break;
    case IOCTL_MIXER_GET_PARTNER_ACTIVE:
        bytes[0] = (UCHAR)state->partnerActive;
        break;
    case IOCTL_MIXER_GET_FIRMWARE_VERSION:
        bytes[0] = (UCHAR)(state->firmware >> 8);
        bytes[1] = (UCHAR)state->firmware;
        break;
    case IOCTL_MIXER_GET_PORT_INFO:
        bytes[0] = (UCHAR)state->portInfo;
        break;
    case IOCTL_MIXER_GET_CERTIFY_LEVEL:
        bytes[0] = (UCHAR)(state->certifyLevel >> 24);
        bytes[1] = (UCHAR)(state->certifyLevel >> 16);
        bytes[2] = (UCHAR)(state->certifyLevel >> 8);
        bytes[3] = (UCHAR)state->certifyLevel;
        break;
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
    *replyBytes = reply;
    return STATUS_SUCCESS;
}
