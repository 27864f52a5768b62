/*
 * Control device of the virtual mixer (\\.\RkxVirtualMixer): how the rig plugs, steers,
 * inspects and lists the stand-in. Shared by the kernel driver, its control tool, the device
 * discovery seam and the tests. Plain C; every payload size is pinned below.
 */
#ifndef RKX_VIRTUAL_MIXER_CONTROL_H
#define RKX_VIRTUAL_MIXER_CONTROL_H

#include <stddef.h>
#include "../../common/mixer_requests.h"

#define VMIX_CONTROL_DEVICE_PATH   L"\\\\.\\RkxVirtualMixer"
#define VMIX_CONTROL_DEVICE_NAME   L"\\Device\\RkxVirtualMixer"
#define VMIX_CONTROL_LINK_NAME     L"\\DosDevices\\RkxVirtualMixer"
#define VMIX_PIN_DEVICE_PREFIX     L"\\Device\\RkxVirtualMixerPin"
#define VMIX_DECOY_DEVICE_NAME     L"\\Device\\RkxVirtualMixerDecoy"

#define VMIX_MAX_MIXERS            4u
#define VMIX_DEFAULT_MIXERS        1u
#define VMIX_JOURNAL_CAPACITY      64u
#define VMIX_MAX_LISTED_INTERFACES 16u
#define VMIX_PAYLOAD_BYTES         8u   /* payload bytes kept per journal entry */
#define VMIX_CHUNK_FRAMES          2048u /* frames moved per capture/inject request */
#define VMIX_MAX_CAPTURE_FRAMES    (RKX_SAMPLE_RATE * 30u)
#define VMIX_MAX_INJECT_FRAMES     (RKX_SAMPLE_RATE * 30u)

/* Control requests: device type 0x22, functions 0x900.., METHOD_BUFFERED, any access. */
#define VMIX_REQUEST(function) ((0x22u << 16) | (0u << 14) | ((uint32_t)(function) << 2) | 0u)

#define IOCTL_VMIX_RESET          VMIX_REQUEST(0x900) /* all mixers to defaults, counters cleared */
#define IOCTL_VMIX_GET_STATUS     VMIX_REQUEST(0x901) /* out: VmixStatus */
#define IOCTL_VMIX_SET_PLUGGED    VMIX_REQUEST(0x902) /* in: VmixPlugRequest */
#define IOCTL_VMIX_SET_VALUE      VMIX_REQUEST(0x903) /* in: VmixSetValueRequest */
#define IOCTL_VMIX_SET_FAULT      VMIX_REQUEST(0x904) /* in: VmixFaultRequest */
#define IOCTL_VMIX_GET_STATS      VMIX_REQUEST(0x905) /* in: uint32 mixer; out: VmixStats */
#define IOCTL_VMIX_CLEAR_STATS    VMIX_REQUEST(0x906) /* counters and journal cleared */
#define IOCTL_VMIX_GET_JOURNAL    VMIX_REQUEST(0x907) /* out: VmixJournal */
#define IOCTL_VMIX_LIST_INTERFACES VMIX_REQUEST(0x908) /* out: VmixInterfaceList */
#define IOCTL_VMIX_SET_DECOYS     VMIX_REQUEST(0x909) /* in: uint32 VMIX_DECOY_* mask */
#define IOCTL_VMIX_CAPTURE_ARM    VMIX_REQUEST(0x90A) /* in: VmixCaptureArm */
#define IOCTL_VMIX_CAPTURE_FETCH  VMIX_REQUEST(0x90B) /* in: VmixChunkHeader; out: VmixAudioChunk */
#define IOCTL_VMIX_INJECT_LOAD    VMIX_REQUEST(0x90C) /* in: VmixAudioChunk */
#define IOCTL_VMIX_INJECT_CLEAR   VMIX_REQUEST(0x90D) /* in: VmixInjectClear */

/* Fixed, recognisable signals of the mixer's analog sources (left, right tone in Hz). */
typedef enum VmixAnalogSource {
    VMIX_SOURCE_CH1_PHONO = 0,
    VMIX_SOURCE_CH1_LINE,
    VMIX_SOURCE_CH2_PHONO,
    VMIX_SOURCE_CH2_LINE,
    VMIX_SOURCE_MIC,
    VMIX_SOURCE_AUX_LINE,
    VMIX_ANALOG_SOURCE_COUNT
} VmixAnalogSource;

/* Tones sit on whole multiples of 187.5 Hz (48000 / 256) so every block size of 256 frames or
 * more holds whole periods and a test can tell them apart with a plain DFT bin. */
#define VMIX_TONE_STEP_HZ 187.5
static const uint32_t VMIX_SOURCE_TONE_BIN[VMIX_ANALOG_SOURCE_COUNT][2] = {
    {4, 5},   /* CH1 PHONO: 750 / 937.5 Hz   */
    {6, 7},   /* CH1 LINE:  1125 / 1312.5 Hz */
    {8, 9},   /* CH2 PHONO: 1500 / 1687.5 Hz */
    {10, 11}, /* CH2 LINE:  1875 / 2062.5 Hz */
    {2, 3},   /* MIC:       375 / 562.5 Hz   */
    {12, 13}, /* AUX LINE:  2250 / 2437.5 Hz */
};
/* Peak level of every analog source: a quarter of full scale, so mixes never clip. */
#define VMIX_SOURCE_PEAK 0x20000000

/* Mixer gains in Q15 (32768 = unity). */
#define VMIX_GAIN_CHANNEL_FADER   16384  /* post-fader signal: -6 dB   */
#define VMIX_GAIN_CROSSFADER_SIDE 23170  /* each cross-fader side: -3 dB */
#define VMIX_GAIN_REC_OUT_SEND    16384  /* MIC and AUX into the recording mix */

/* Selectable values (IOCTL_VMIX_SET_VALUE). */
typedef enum VmixValueId {
    VMIX_VALUE_SELECTOR = 0,       /* index: mixer channel 0..2; value: position byte */
    VMIX_VALUE_LAUNCH_ANSWER,      /* value: byte 0 of the 0x22C00C reply */
    VMIX_VALUE_LAUNCH_ASK_AGAIN,   /* value: number of replies of 2 ("ask again") before it */
    VMIX_VALUE_PARTNER_ACTIVE,     /* value: byte 0 of the 0x22C018 reply */
    VMIX_VALUE_FIRMWARE,           /* value: 16-bit version, major in the high byte */
    VMIX_VALUE_PORT_INFO,          /* value: byte 0 of the 0x22C024 reply */
    VMIX_VALUE_CERTIFY_LEVEL,      /* value: 32-bit level */
    VMIX_VALUE_SEND_SOURCE,        /* index: send channel 0..3; value: selection */
    VMIX_VALUE_RECEIVE_ROUTE,      /* index: receive channel 0..2; value: 0 CH1, 1 CH2, 2 AUX */
    VMIX_VALUE_BOOST_LEVEL,        /* value: 0..3 */
    VMIX_VALUE_COUNT
} VmixValueId;

typedef struct VmixSetValueRequest {
    uint32_t mixer;
    uint32_t valueId;   /* VmixValueId */
    uint32_t index;
    uint32_t value;
} VmixSetValueRequest;
RKX_STATIC_ASSERT(sizeof(VmixSetValueRequest) == 16, "set value request");

typedef struct VmixPlugRequest {
    uint32_t mixer;
    uint32_t plugged;   /* 0 unplug, 1 plug */
} VmixPlugRequest;
RKX_STATIC_ASSERT(sizeof(VmixPlugRequest) == 8, "plug request");

/* Faults. A fault applies to one mixer. */
typedef enum VmixFaultId {
    VMIX_FAULT_FAIL_NEXT = 0,      /* code: request code; count: how many to fail */
    VMIX_FAULT_START_ASYNC,        /* count: 1 = IOCTL_STREAM_START completes asynchronously */
    VMIX_FAULT_CONTROL_DELAY_MS,   /* count: control requests complete asynchronously after ms;
                                      code: only that request, 0 for every control request */
    VMIX_FAULT_STALL_ONCE_MS,      /* count: the audio clock stops once for ms (a hiccup) */
    VMIX_FAULT_COUNT
} VmixFaultId;

typedef struct VmixFaultRequest {
    uint32_t mixer;
    uint32_t faultId;   /* VmixFaultId */
    uint32_t code;
    uint32_t count;
} VmixFaultRequest;
RKX_STATIC_ASSERT(sizeof(VmixFaultRequest) == 16, "fault request");

/* State of one mixer as the control requests left it. */
typedef struct VmixMixerState {
    uint32_t plugged;
    uint32_t sendSource[RKX_USB_SEND_CHANNELS];
    uint32_t receiveRoute[RKX_USB_RECEIVE_CHANNELS];
    uint32_t boostLevel;
    uint8_t  selector[RKX_SELECTOR_CHANNELS];
    uint8_t  launchAnswer;
    uint32_t launchAskAgain;
    uint32_t partnerActive;
    uint32_t firmware;
    uint32_t portInfo;
    uint32_t certifyLevel;
    uint32_t lastDirectWord;      /* last 0x22C01C word, 0xFFFFFFFF when none was sent */
    /* streaming */
    uint32_t streaming;           /* started and not stopped */
    uint32_t rate;                /* 0 until set */
    uint32_t frames;              /* 0 until set */
    uint32_t outputPins;          /* last IOCTL_STREAM_SET_OUTPUT_PINS value */
    uint32_t openHandles;
    uint32_t reserved;
} VmixMixerState;
RKX_STATIC_ASSERT(sizeof(VmixMixerState) == 88, "mixer state");

typedef struct VmixStatus {
    uint32_t version;             /* VMIX_PROTOCOL_VERSION */
    uint32_t mixerCount;          /* VMIX_MAX_MIXERS: slots, plugged or not */
    uint32_t decoys;              /* VMIX_DECOY_* mask */
    uint32_t reserved;
    VmixMixerState mixer[VMIX_MAX_MIXERS];
} VmixStatus;
#define VMIX_PROTOCOL_VERSION 2u
RKX_STATIC_ASSERT(sizeof(VmixStatus) == 16 + 4 * 88, "status");

typedef struct VmixStats {
    uint32_t controlRequests[RKX_CONTROL_REQUEST_COUNT];
    uint32_t streamRequests[RKX_STREAM_REQUEST_COUNT];
    uint32_t blocksWritten;       /* WRITE requests the device played */
    uint32_t blocksRead;          /* READ requests the device filled */
    /* Periods whose WRITE was not queued by the period's deadline on the clock's timeline:
     * the host's lateness. A WRITE that arrived after the deadline but before a late tick is
     * still played, and still counted here. */
    uint32_t hostUnderruns;
    uint32_t lateReads;           /* periods whose READ was not queued by the deadline */
    uint32_t cancelled;           /* transfers ended by close, unplug, stop or cancel */
    uint32_t failedInjected;      /* requests failed by a fault */
    uint32_t periods;             /* audio periods the clock ran */
    uint32_t streamStarts;
    /* time between consecutive ticks of the audio clock, microseconds */
    uint32_t periodMeanUs;
    uint32_t periodMaxUs;
    uint32_t periodP99Us;
    /* Whole periods the clock itself overslept (its thread woke a period or more after the
     * deadline): skipped, not blamed on the host. */
    uint32_t clockSlips;
    /* the clock's lateness: tick time minus deadline, microseconds */
    uint32_t clockLateMeanUs;
    uint32_t clockLateP99Us;
    uint32_t clockLateMaxUs;
    uint32_t reserved;
} VmixStats;
RKX_STATIC_ASSERT(sizeof(VmixStats) == (12 + 7 + 16) * 4, "stats");

typedef struct VmixJournalEntry {
    uint32_t sequence;
    int32_t  mixer;               /* -1: a decoy interface */
    uint32_t code;
    int32_t  status;              /* NTSTATUS the request completed with */
    uint32_t inputBytes;
    uint32_t outputBytes;
    uint8_t  input[VMIX_PAYLOAD_BYTES];
    uint8_t  output[VMIX_PAYLOAD_BYTES];
} VmixJournalEntry;
RKX_STATIC_ASSERT(sizeof(VmixJournalEntry) == 40, "journal entry");

typedef struct VmixJournal {
    uint32_t count;               /* valid entries, oldest first */
    uint32_t totalSequence;       /* requests journalled since the last clear */
    VmixJournalEntry entry[VMIX_JOURNAL_CAPACITY];
} VmixJournal;

/* Interfaces the discovery seam reports. */
#define VMIX_INTERFACE_RENDER_ALIAS 0x1u  /* also registered in KSCATEGORY_RENDER */
#define VMIX_INTERFACE_DECOY        0x2u

typedef struct VmixInterfaceEntry {
    uint32_t flags;
    int32_t  mixer;               /* -1 for a decoy */
    wchar_t  path[RKX_MAX_PATH_CHARS];
} VmixInterfaceEntry;

typedef struct VmixInterfaceList {
    uint32_t count;
    uint32_t reserved;
    VmixInterfaceEntry entry[VMIX_MAX_LISTED_INTERFACES];
} VmixInterfaceList;

/* Decoy interfaces that a correct path rule must skip. */
#define VMIX_DECOY_OTHER_VENDOR   0x01u  /* usb#vid_1a2b&pid_0001..., wave1, render alias */
#define VMIX_DECOY_NO_RENDER      0x02u  /* matching path without the render alias */
#define VMIX_DECOY_GLOBAL         0x04u  /* mixer 0's filter under the "global" reference */
#define VMIX_DECOY_WAVE2          0x08u  /* mixer 0's filter under the "wave2" reference */
#define VMIX_DECOY_UPPER_CASE     0x10u  /* matching path in upper case */
#define VMIX_DECOY_ALL            0x1Fu

/* Audio moving in and out of the rig. */
typedef struct VmixCaptureArm {
    uint32_t mixer;
    uint32_t frames;              /* capacity; 0 disarms and frees */
} VmixCaptureArm;

typedef struct VmixChunkHeader {
    uint32_t mixer;
    uint32_t target;              /* capture: ignored; inject: VmixAnalogSource */
    uint32_t offsetFrames;        /* where this chunk starts */
    uint32_t frames;              /* frames in the chunk (<= VMIX_CHUNK_FRAMES) */
    uint32_t totalFrames;         /* capture reply: frames captured; inject: total length */
    uint32_t reserved;
} VmixChunkHeader;
RKX_STATIC_ASSERT(sizeof(VmixChunkHeader) == 24, "chunk header");

/* Capture chunks carry the host's 8 played sub-channels; inject chunks carry stereo frames
 * (2 int32 per frame) that replace an analog source, looped. */
typedef struct VmixAudioChunk {
    VmixChunkHeader header;
    int32_t samples[VMIX_CHUNK_FRAMES * RKX_CHANNELS_PER_PIN];
} VmixAudioChunk;

typedef struct VmixInjectClear {
    uint32_t mixer;
    uint32_t target;              /* VmixAnalogSource */
} VmixInjectClear;

#endif
