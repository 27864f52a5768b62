// The ASIO interface types under their standard names and layouts, written for this driver.
// Both builds use the standard's pair of 32-bit words for sample positions and time stamps,
// so a 32-bit and a 64-bit host read the same record. The static_asserts pin every layout in
// both builds; a change that moves a field fails the build, not a host.
#pragma once

#include <cstddef>
#include <cstdint>

static_assert(sizeof(long) == 4, "ASIO longs are 32-bit on Windows in both builds");

typedef long ASIOError;
typedef long ASIOBool;
typedef long ASIOSampleType;
typedef double ASIOSampleRate;

enum : long { ASIOFalse = 0, ASIOTrue = 1 };

enum : ASIOError {
    ASE_OK = 0,
    ASE_SUCCESS = 0x3F4847A0,
    ASE_NotPresent = -1000,
    ASE_HWMalfunction = -999,
    ASE_InvalidParameter = -998,
    ASE_InvalidMode = -997,
    ASE_SPNotAdvancing = -996,
    ASE_NoClock = -995,
    ASE_NoMemory = -994,
};

enum : ASIOSampleType { ASIOSTInt32LSB = 18 };

// Selectors of asioMessage.
enum : long {
    kAsioSelectorSupported = 1,
    kAsioEngineVersion = 2,
    kAsioResetRequest = 3,
    kAsioBufferSizeChange = 4,
    kAsioResyncRequest = 5,
    kAsioLatenciesChanged = 6,
    kAsioSupportsTimeInfo = 7,
    kAsioSupportsTimeCode = 8,
};

// Selectors of future.
enum : long {
    kAsioEnableTimeCodeRead = 1,
    kAsioDisableTimeCodeRead = 2,
    kAsioSetInputMonitor = 3,
    kAsioTransport = 4,
    kAsioSetInputGain = 5,
    kAsioGetInputMeter = 6,
    kAsioSetOutputGain = 7,
    kAsioGetOutputMeter = 8,
    kAsioCanInputMonitor = 9,
    kAsioCanTimeInfo = 10,
    kAsioCanTimeCode = 11,
    kAsioCanTransport = 12,
};

// Time info flags.
enum : unsigned long {
    kSystemTimeValid = 1,
    kSamplePositionValid = 2,
    kSampleRateValid = 4,
    kSpeedValid = 8,
    kSampleRateChanged = 0x10,
    kClockSourceChanged = 0x20,
};

// Time code flags.
enum : unsigned long {
    kTcValid = 1,
    kTcRunning = 2,
    kTcReverse = 4,
    kTcOnspeed = 8,
    kTcStill = 0x10,
    kTcSpeedValid = 0x100,
};

struct ASIOSamples {
    unsigned long hi;
    unsigned long lo;
};

struct ASIOTimeStamp {
    unsigned long hi;
    unsigned long lo;
};

struct ASIOTimeInfo {
    double speed;
    ASIOTimeStamp systemTime;
    ASIOSamples samplePosition;
    ASIOSampleRate sampleRate;
    unsigned long flags;
    char reserved[12];
};

struct ASIOTimeCode {
    double speed;
    ASIOSamples timeCodeSamples;
    unsigned long flags;
    char future[64];
};

struct ASIOTime {
    long reserved[4];
    ASIOTimeInfo timeInfo;
    ASIOTimeCode timeCode;
};

struct ASIOBufferInfo {
    ASIOBool isInput;
    long channelNum;
    void* buffers[2];
};

struct ASIOChannelInfo {
    long channel;
    ASIOBool isInput;
    ASIOBool isActive;
    long channelGroup;
    ASIOSampleType type;
    char name[32];
};

struct ASIOClockSource {
    long index;
    long associatedChannel;
    long associatedGroup;
    ASIOBool isCurrentSource;
    char name[32];
};

// Host callbacks: plain (cdecl) function pointers in the standard's order.
struct ASIOCallbacks {
    void (*bufferSwitch)(long doubleBufferIndex, ASIOBool directProcess);
    void (*sampleRateDidChange)(ASIOSampleRate sRate);
    long (*asioMessage)(long selector, long value, void* message, double* opt);
    ASIOTime* (*bufferSwitchTimeInfo)(ASIOTime* params, long doubleBufferIndex, ASIOBool directProcess);
};

// 64-bit values carried in the (hi, lo) pairs.
inline uint64_t AsioToU64(const ASIOSamples& s) { return (uint64_t(s.hi) << 32) | s.lo; }
inline uint64_t AsioToU64(const ASIOTimeStamp& s) { return (uint64_t(s.hi) << 32) | s.lo; }
inline ASIOSamples AsioSamplesOf(uint64_t v) { return {static_cast<unsigned long>(v >> 32), static_cast<unsigned long>(v)}; }
inline ASIOTimeStamp AsioTimeStampOf(uint64_t v)
{
    return {static_cast<unsigned long>(v >> 32), static_cast<unsigned long>(v)};
}

// ---- Layouts (identical to the standard's in both builds) ----------------------------------
constexpr bool kAsio64 = sizeof(void*) == 8;

static_assert(sizeof(ASIOSamples) == 8 && offsetof(ASIOSamples, lo) == 4);
static_assert(sizeof(ASIOTimeStamp) == 8 && offsetof(ASIOTimeStamp, lo) == 4);
static_assert(alignof(ASIOSamples) == 4 && alignof(ASIOTimeStamp) == 4);

static_assert(offsetof(ASIOTimeInfo, speed) == 0);
static_assert(offsetof(ASIOTimeInfo, systemTime) == 8);
static_assert(offsetof(ASIOTimeInfo, samplePosition) == 16);
static_assert(offsetof(ASIOTimeInfo, sampleRate) == 24);
static_assert(offsetof(ASIOTimeInfo, flags) == 32);
static_assert(offsetof(ASIOTimeInfo, reserved) == 36);
static_assert(sizeof(ASIOTimeInfo) == 48);

static_assert(offsetof(ASIOTimeCode, speed) == 0);
static_assert(offsetof(ASIOTimeCode, timeCodeSamples) == 8);
static_assert(offsetof(ASIOTimeCode, flags) == 16);
static_assert(offsetof(ASIOTimeCode, future) == 20);
static_assert(sizeof(ASIOTimeCode) == 88);

static_assert(offsetof(ASIOTime, timeInfo) == 16);
static_assert(offsetof(ASIOTime, timeCode) == 64);
static_assert(sizeof(ASIOTime) == 152);

static_assert(offsetof(ASIOBufferInfo, channelNum) == 4);
static_assert(offsetof(ASIOBufferInfo, buffers) == 8);
static_assert(sizeof(ASIOBufferInfo) == (kAsio64 ? 24 : 16));

static_assert(offsetof(ASIOChannelInfo, isActive) == 8);
static_assert(offsetof(ASIOChannelInfo, type) == 16);
static_assert(offsetof(ASIOChannelInfo, name) == 20);
static_assert(sizeof(ASIOChannelInfo) == 52);

static_assert(offsetof(ASIOClockSource, isCurrentSource) == 12);
static_assert(offsetof(ASIOClockSource, name) == 16);
static_assert(sizeof(ASIOClockSource) == 48);

static_assert(offsetof(ASIOCallbacks, asioMessage) == 2 * sizeof(void*));
static_assert(offsetof(ASIOCallbacks, bufferSwitchTimeInfo) == 3 * sizeof(void*));
static_assert(sizeof(ASIOCallbacks) == 4 * sizeof(void*));
