// The driver object: construction, queries, init, start and stop.
#include "asio/mmp_asio.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "asio/build_identity.h"

namespace rkx::asio {

LRESULT CALLBACK DriverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
extern const char kWindowClassName[];

MMPAsio::MMPAsio(IUnknown* owner) : CUnknown(owner)
{
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof(caps)) == MMSYSERR_NOERROR) timeBeginPeriod(caps.wPeriodMin);
    blockNum = ReadBlockNum();
    bufferFrames = blockNum * 64;
    moduleInstance = GetModuleHandleA(Build().moduleName);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DriverWindowProc;
    windowClass.hInstance = moduleInstance;
    windowClass.lpszClassName = kWindowClassName;
    RegisterClassA(&windowClass);  // already registered is fine
    resetEvent.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    heldEvent.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
}

MMPAsio::~MMPAsio()
{
    destroying = true;
    stop();
    disposeBuffers();
    // A thread that outlived stop's limit must end before the blocks go away.
    AwaitAbandonedBufferThread();
    ClosePins();
}

HRESULT STDMETHODCALLTYPE MMPAsio::NonDelegatingQueryInterface(REFIID iid, void** out)
{
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, Build().classId)) {
        *out = static_cast<IASIO*>(this);
        static_cast<IASIO*>(this)->AddRef();
        return S_OK;
    }
    return CUnknown::NonDelegatingQueryInterface(iid, out);
}

INonDelegatingUnknown* CreateDriverObject(IUnknown* owner, HRESULT*)
{
    MMPAsio* object = new (std::nothrow) MMPAsio(owner);
    return object == nullptr ? nullptr : static_cast<INonDelegatingUnknown*>(object);
}

ASIOBool MMPAsio::init(void*)
{
    if (initialised) return ASIOTrue;
    std::snprintf(errorText, sizeof(errorText), "%s", Build().openFailureText);
    if (StreamingMutexExists()) return ASIOFalse;
    GetDeviceList();
    if (pinCount == 0) return ASIOFalse;
    for (HANDLE& pin : pinHandle) pin = nullptr;
    window = nullptr;
    initialised = true;
    return ASIOTrue;
}

void MMPAsio::getDriverName(char* name)
{
    if (name != nullptr) std::snprintf(name, 32, "%s", Build().driverName);
}

long MMPAsio::getDriverVersion() { return 1; }

void MMPAsio::getErrorMessage(char* string)
{
    if (string != nullptr) std::snprintf(string, 124, "%s", errorText);
}

ASIOError MMPAsio::getChannels(long* numInputChannels, long* numOutputChannels)
{
    if (numInputChannels == nullptr || numOutputChannels == nullptr) return ASE_InvalidParameter;
    *numInputChannels = pinCount * kChannelsPerPin;
    *numOutputChannels = pinCount * kChannelsPerPin;
    return ASE_OK;
}

ASIOError MMPAsio::getLatencies(long* inputLatency, long* outputLatency)
{
    if (inputLatency == nullptr || outputLatency == nullptr) return ASE_InvalidParameter;
    *inputLatency = bufferFrames;
    *outputLatency = bufferFrames;
    return ASE_OK;
}

ASIOError MMPAsio::getBufferSize(long* minSize, long* maxSize, long* preferredSize, long* granularity)
{
    if (minSize == nullptr || maxSize == nullptr || preferredSize == nullptr || granularity == nullptr) {
        return ASE_InvalidParameter;
    }
    *minSize = *maxSize = *preferredSize = bufferFrames;
    *granularity = 0;
    return ASE_OK;
}

ASIOError MMPAsio::canSampleRate(ASIOSampleRate sampleRate)
{
    return sampleRate == kSampleRate ? ASE_OK : ASE_NoClock;
}

ASIOError MMPAsio::getSampleRate(ASIOSampleRate* sampleRate)
{
    if (sampleRate == nullptr) return ASE_InvalidParameter;
    *sampleRate = kSampleRate;
    return ASE_OK;
}

ASIOError MMPAsio::setSampleRate(ASIOSampleRate sampleRate)
{
    return sampleRate == kSampleRate ? ASE_OK : ASE_NoClock;
}

ASIOError MMPAsio::getClockSources(ASIOClockSource* clocks, long* numSources)
{
    if (clocks == nullptr || numSources == nullptr) return ASE_InvalidParameter;
    clocks[0].index = 0;
    clocks[0].associatedChannel = -1;
    clocks[0].associatedGroup = -1;
    clocks[0].isCurrentSource = ASIOTrue;
    std::snprintf(clocks[0].name, sizeof(clocks[0].name), "Internal");
    *numSources = 1;
    return ASE_OK;
}

ASIOError MMPAsio::setClockSource(long reference)
{
    if (reference != 0) return ASE_NotPresent;
    InterlockedOr(&pendingTimeFlags, LONG(kClockSourceChanged));
    return ASE_OK;
}

ASIOError MMPAsio::getSamplePosition(ASIOSamples* sPos, ASIOTimeStamp* tStamp)
{
    if (sPos != nullptr) *sPos = AsioSamplesOf(samplePosition);
    if (tStamp != nullptr) *tStamp = AsioTimeStampOf(systemTime);
    return ASE_OK;
}

ASIOError MMPAsio::future(long selector, void*)
{
    switch (selector) {
    case kAsioEnableTimeCodeRead:
        timeCodeRead = true;
        return ASE_SUCCESS;
    case kAsioDisableTimeCodeRead:
        timeCodeRead = false;
        return ASE_SUCCESS;
    case kAsioSetInputMonitor:
    case kAsioCanInputMonitor:
    case kAsioCanTimeInfo:
    case kAsioCanTimeCode:
        return ASE_SUCCESS;
    default:
        return ASE_NotPresent;
    }
}

ASIOError MMPAsio::outputReady() { return ASE_OK; }

ASIOError MMPAsio::start()
{
    running_ = false;
    systemTime = 0;
    samplePosition = 0;
    currentHalf = 0;
    if (inputCount == 0 && outputCount == 0) return ASE_OK;
    if (callbacks == nullptr) return ASE_NotPresent;
    if (streamingMutex || StreamingMutexExists()) return ASE_NotPresent;
    // A thread that outlived an earlier stop must be gone before the pins are prepared again.
    AwaitAbandonedBufferThread();
    ClosePins();
    if (!StartSound()) return ASE_NotPresent;
    streamingMutex.reset(CreateMutexA(nullptr, TRUE, Build().streamingMutexName));
    CreateResetWindow();
    resetPending_ = 0;
    threadHeld = 0;
    StartBufferThread(this);
    running_ = true;
    return ASE_OK;
}

ASIOError MMPAsio::stop()
{
    DestroyResetWindow();
    running_ = false;
    if (resetPending_ != 0) SetEvent(resetEvent.get());
    // Release a thread that waits on a row no transfer will complete (pins closed by a failed
    // reset); it finds running clear at its next checkpoint.
    SignalAllSlots();
    const bool ended = StopBufferThread();
    if (streamingMutex) {
        // Blocks are freed only once the thread is out of its pass.
        if (ended) ClosePins();
        streamingMutex.reset();
    }
    return ASE_OK;
}

}  // namespace rkx::asio
