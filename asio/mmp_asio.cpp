// The driver object: construction, queries, init, start and stop.
#include "asio/mmp_asio.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "asio/build_identity.h"
#include "common/package_names.h"

namespace rkx::asio {

LRESULT CALLBACK DriverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

MMPAsio::MMPAsio(IUnknown* owner, DeviceIo* device, EngineThreads* threads)
    : CUnknown(owner),
      engine_(device != nullptr ? *device : win32Device_, threads != nullptr ? *threads : win32Threads_, hostSwitch_)
{
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof(caps)) == MMSYSERR_NOERROR) timeBeginPeriod(caps.wPeriodMin);
    blockNum = ReadBlockNum();
    engine_.SetBufferFrames(blockNum * 64);
    moduleInstance = GetModuleHandleA(Build().moduleName);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DriverWindowProc;
    windowClass.hInstance = moduleInstance;
    windowClass.lpszClassName = names::kAsioWindowClass;
    RegisterClassA(&windowClass);  // already registered is fine
}

MMPAsio::~MMPAsio()
{
    destroying = true;
    stop();
    disposeBuffers();
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
    engine_.ListPins();
    if (engine_.PinCount() == 0) return ASIOFalse;
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
    *numInputChannels = engine_.PinCount() * kChannelsPerPin;
    *numOutputChannels = engine_.PinCount() * kChannelsPerPin;
    return ASE_OK;
}

ASIOError MMPAsio::getLatencies(long* inputLatency, long* outputLatency)
{
    if (inputLatency == nullptr || outputLatency == nullptr) return ASE_InvalidParameter;
    *inputLatency = engine_.BufferFrames();
    *outputLatency = engine_.BufferFrames();
    return ASE_OK;
}

ASIOError MMPAsio::getBufferSize(long* minSize, long* maxSize, long* preferredSize, long* granularity)
{
    if (minSize == nullptr || maxSize == nullptr || preferredSize == nullptr || granularity == nullptr) {
        return ASE_InvalidParameter;
    }
    *minSize = *maxSize = *preferredSize = engine_.BufferFrames();
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
    // The host's count is the room it has: with none, only the count is answered.
    const long room = *numSources;
    *numSources = 1;
    if (room < 1) return ASE_OK;
    clocks[0].index = 0;
    clocks[0].associatedChannel = -1;
    clocks[0].associatedGroup = -1;
    clocks[0].isCurrentSource = ASIOTrue;
    std::snprintf(clocks[0].name, sizeof(clocks[0].name), "Internal");
    return ASE_OK;
}

ASIOError MMPAsio::setClockSource(long reference)
{
    if (reference != 0) return ASE_NotPresent;
    pendingTimeFlags.fetch_or(kClockSourceChanged);
    return ASE_OK;
}

ASIOError MMPAsio::getSamplePosition(ASIOSamples* sPos, ASIOTimeStamp* tStamp)
{
    if (sPos != nullptr) *sPos = AsioSamplesOf(samplePosition.load());
    if (tStamp != nullptr) *tStamp = AsioTimeStampOf(systemTime.load());
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
    // A second start leaves the running stream exactly as it is.
    if (engine_.Streaming()) return ASE_NotPresent;
    samplePosition = 0;
    systemTime = 0;
    engine_.ResetPosition();
    if (!engine_.HasHostBuffers()) return ASE_OK;
    if (callbacks == nullptr) return ASE_NotPresent;
    if (StreamingMutexExists()) return ASE_NotPresent;
    if (!engine_.PreparePins()) return ASE_NotPresent;
    // Whatever fails from here undoes what came before: nothing is left half-started.
    streamingMutex.reset(CreateMutexA(nullptr, TRUE, Build().streamingMutexName));
    // One that already exists belongs to a host that started meanwhile.
    if (streamingMutex && GetLastError() == ERROR_ALREADY_EXISTS) streamingMutex.reset();
    if (!streamingMutex) {
        engine_.ClosePins();
        return ASE_NotPresent;
    }
    CreateResetWindow();
    if (!engine_.StartStreaming()) {
        DestroyResetWindow();
        streamingMutex.reset();
        return ASE_NotPresent;
    }
    return ASE_OK;
}

ASIOError MMPAsio::stop()
{
    // Only this object's own stream stops; another object's calls never reach it.
    DestroyResetWindow();
    engine_.Stop();
    streamingMutex.reset();
    return ASE_OK;
}

}  // namespace rkx::asio
