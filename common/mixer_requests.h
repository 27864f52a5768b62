/*
 * The mixer's kernel interface as the package sees it: request codes, payload layouts,
 * the audio block format and the device path rule. The product, the virtual mixer and
 * the tests all include this one header, so a value can never be written twice.
 *
 * Plain C so the kernel-mode virtual mixer can use it too.
 */
#ifndef RKX_COMMON_MIXER_REQUESTS_H
#define RKX_COMMON_MIXER_REQUESTS_H

#include <stdint.h>

#ifdef __cplusplus
#define RKX_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define RKX_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* CTL_CODE(0x22, function, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS). */
#define RKX_MIXER_REQUEST(function) ((0x22u << 16) | (3u << 14) | ((uint32_t)(function) << 2) | 0u)

/* ---- Control requests on the audio filter ---------------------------------------------- */

#define IOCTL_MIXER_SET_USB_SEND_SOURCE   RKX_MIXER_REQUEST(0x00) /* in: RkxRoutePayload */
#define IOCTL_MIXER_SET_BOOST_LEVEL       RKX_MIXER_REQUEST(0x01) /* in: uint16 level index */
#define IOCTL_MIXER_GET_SELECTOR_STATUS   RKX_MIXER_REQUEST(0x02) /* out: 4 bytes */
#define IOCTL_MIXER_GET_LAUNCH_REQUEST    RKX_MIXER_REQUEST(0x03) /* out: 2 bytes */
#define IOCTL_MIXER_RESERVED_4            RKX_MIXER_REQUEST(0x04) /* never issued */
#define IOCTL_MIXER_RESERVED_5            RKX_MIXER_REQUEST(0x05) /* never issued */
#define IOCTL_MIXER_GET_PARTNER_ACTIVE    RKX_MIXER_REQUEST(0x06) /* out: 2 bytes */
#define IOCTL_MIXER_SET_USB_SEND_DIRECT   RKX_MIXER_REQUEST(0x07) /* in: uint16 packed word */
#define IOCTL_MIXER_GET_FIRMWARE_VERSION  RKX_MIXER_REQUEST(0x08) /* out: 2 bytes, MSB first */
#define IOCTL_MIXER_GET_PORT_INFO         RKX_MIXER_REQUEST(0x09) /* out: 2 bytes */
#define IOCTL_MIXER_GET_CERTIFY_LEVEL     RKX_MIXER_REQUEST(0x0A) /* out: 4 bytes, MSB first */
#define IOCTL_MIXER_SET_USB_RECEIVE_ROUTE RKX_MIXER_REQUEST(0x0B) /* in: RkxRoutePayload */

#define RKX_CONTROL_REQUEST_COUNT 12u
#define RKX_FIRST_CONTROL_REQUEST IOCTL_MIXER_SET_USB_SEND_SOURCE

RKX_STATIC_ASSERT(IOCTL_MIXER_SET_USB_SEND_SOURCE == 0x22C000u, "control code base");
RKX_STATIC_ASSERT(IOCTL_MIXER_SET_USB_RECEIVE_ROUTE == 0x22C02Cu, "control code end");

/* 0x22C000 and 0x22C02C: which source feeds a USB channel. Channel is sent as channel + 1. */
typedef struct RkxRoutePayload {
    uint16_t channelPlusOne;
    uint16_t selection;
} RkxRoutePayload;
RKX_STATIC_ASSERT(sizeof(RkxRoutePayload) == 4, "route payload is 4 bytes");

#define RKX_BOOST_PAYLOAD_BYTES      2u
#define RKX_SELECTOR_REPLY_BYTES     4u
#define RKX_LAUNCH_REPLY_BYTES       2u
#define RKX_PARTNER_REPLY_BYTES      2u
#define RKX_DIRECT_PAYLOAD_BYTES     2u
#define RKX_FIRMWARE_REPLY_BYTES     2u
#define RKX_PORT_INFO_REPLY_BYTES    2u
#define RKX_CERTIFY_REPLY_BYTES      4u

/* Selector reply: byte channel + 1 is the input selector of mixer channel 0..2. */
#define RKX_SELECTOR_CHANNELS        3u
#define RKX_SELECTOR_POSITION_PHONO  1u
#define RKX_SELECTOR_POSITION_LINE   2u
#define RKX_SELECTOR_POSITION_USB    4u

/* Launch reply byte 0. */
#define RKX_LAUNCH_NO                0u
#define RKX_LAUNCH_YES               1u

/* 0x22C01C: bits 15-12 source + 1, bits 11-8 channel + 1, bits 7-0 mode (all truncated). */
static inline uint16_t RkxPackDirectRoute(uint32_t channel, uint32_t source, uint32_t mode)
{
    return (uint16_t)((((source + 1u) & 0xFu) << 12) | (((channel + 1u) & 0xFu) << 8) | (mode & 0xFFu));
}
static inline uint32_t RkxDirectRouteSourcePlusOne(uint16_t word) { return (word >> 12) & 0xFu; }
static inline uint32_t RkxDirectRouteChannelPlusOne(uint16_t word) { return (word >> 8) & 0xFu; }
static inline uint32_t RkxDirectRouteMode(uint16_t word) { return word & 0xFFu; }

/* Index 0..11 of a control request, or -1 when the code is not one. */
static inline int RkxControlRequestIndex(uint32_t code)
{
    if (code < RKX_FIRST_CONTROL_REQUEST || (code & 3u) != 0u) return -1;
    uint32_t index = (code - RKX_FIRST_CONTROL_REQUEST) >> 2;
    return index < RKX_CONTROL_REQUEST_COUNT ? (int)index : -1;
}

/* ---- Streaming requests on a pin --------------------------------------------------------- */

#define IOCTL_STREAM_SET_RATE         RKX_MIXER_REQUEST(0x80) /* in: int32 Hz */
#define IOCTL_STREAM_STOP             RKX_MIXER_REQUEST(0x81)
#define IOCTL_STREAM_SET_FRAMES       RKX_MIXER_REQUEST(0x82) /* in: int32 frames per block */
#define IOCTL_STREAM_WRITE            RKX_MIXER_REQUEST(0x83) /* in: one output block */
#define IOCTL_STREAM_READ             RKX_MIXER_REQUEST(0x84) /* out: one input block */
#define IOCTL_STREAM_START            RKX_MIXER_REQUEST(0x85)
#define IOCTL_STREAM_SET_OUTPUT_PINS  RKX_MIXER_REQUEST(0x86) /* in: int32 output pin count */

#define RKX_STREAM_REQUEST_COUNT 7u
#define RKX_FIRST_STREAM_REQUEST IOCTL_STREAM_SET_RATE

RKX_STATIC_ASSERT(IOCTL_STREAM_SET_RATE == 0x22C200u, "stream code base");
RKX_STATIC_ASSERT(IOCTL_STREAM_SET_OUTPUT_PINS == 0x22C218u, "stream code end");

static inline int RkxStreamRequestIndex(uint32_t code)
{
    if (code < RKX_FIRST_STREAM_REQUEST || (code & 3u) != 0u) return -1;
    uint32_t index = (code - RKX_FIRST_STREAM_REQUEST) >> 2;
    return index < RKX_STREAM_REQUEST_COUNT ? (int)index : -1;
}

/* Block format: bufferFrames frames of 8 little-endian int32 samples, one per sub-channel. */
#define RKX_SAMPLE_RATE          48000
#define RKX_CHANNELS_PER_PIN     8u
#define RKX_BYTES_PER_SAMPLE     4u
#define RKX_BYTES_PER_FRAME      (RKX_CHANNELS_PER_PIN * RKX_BYTES_PER_SAMPLE)
#define RKX_FRAME_STEP           64u    /* buffer sizes come in steps of 64 frames */
#define RKX_MAX_BLOCK_FRAMES     4096u

RKX_STATIC_ASSERT(RKX_BYTES_PER_FRAME == 32u, "a frame is 32 bytes");

static inline uint32_t RkxBlockBytes(uint32_t frames) { return frames * RKX_BYTES_PER_FRAME; }
static inline uint32_t RkxSampleOffset(uint32_t frame, uint32_t subChannel)
{
    return (RKX_CHANNELS_PER_PIN * frame + subChannel) * RKX_BYTES_PER_SAMPLE;
}

/* USB stereo channels inside a block: receive (host output) channel c and send (host input)
 * channel s occupy sub-channels 2c, 2c + 1 and 2s, 2s + 1. */
#define RKX_USB_RECEIVE_CHANNELS 3u
#define RKX_USB_SEND_CHANNELS    4u

/* ---- Device path rule ---------------------------------------------------------------------- */

/* Substrings a mixer's audio filter path must contain (case-sensitive). */
#define RKX_PATH_DEVICE_TAG       L"usb#vid_3c1a&pid_0052&mi_00"
#define RKX_PATH_DEVICE_TAG_A     "usb#vid_3c1a&pid_0052&mi_00"
#define RKX_PATH_STREAM_REFERENCE L"wave1"
#define RKX_PATH_STREAM_REFERENCE_A "wave1"
#define RKX_PATH_GLOBAL_REFERENCE L"global"
#define RKX_PATH_ANY_WAVE_REFERENCE L"wave"
/* Upper-case device name in a USB device-interface broadcast. */
#define RKX_USB_DEVICE_NAME_TAG   L"USB#VID_3C1A&PID_0052"
#define RKX_USB_DEVICE_NAME_TAG_A "USB#VID_3C1A&PID_0052"

#define RKX_MAX_DEVICE_PATHS      128u
#define RKX_MAX_PATH_CHARS        260u   /* including the terminating zero */

/* Interface classes, as text (the GUID structures come from the platform headers). */
#define RKX_KSCATEGORY_AUDIO_TEXT    L"{6994ad04-93ef-11d0-a3cc-00a0c9223196}"
#define RKX_KSCATEGORY_RENDER_TEXT   L"{65e8773e-8f56-11d0-a3b9-00a0c9223196}"
#define RKX_USB_DEVICE_CLASS_TEXT    L"{a5dcbf10-6530-11d2-901f-00c04fb951ed}"

#endif
