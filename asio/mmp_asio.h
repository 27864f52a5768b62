// The driver object an ASIO host creates and drives through IASIO.
//
// Who owns what (threads: H = the host's thread that calls IASIO and owns the window,
// B = the buffer thread):
//   pins, blocks, slots, pin lists        written by H in start/stop/reset, only while B is
//                                          not in a pass (not started, ended, or held at the
//                                          reset wait); read by B.
//   host buffer tables, callbacks          written by H only while B does not exist; read by B.
//   running, resetPending                  written by H, read by B at its checkpoints.
//   samplePosition, systemTime, asioTime   written by B during streaming; H reads.
//   threadHeld                             written by B, read by H (reset).
#pragma once

#include <windows.h>

#include <cstdint>

#include "asio/com_base.h"
#include "asio/copy_timing.h"
#include "asio/iasio.h"
#include "common/mixer_requests.h"
#include "common/unique_handle.h"

namespace rkx::asio {

constexpr int kMaxPins = RKX_MAX_DEVICE_PATHS;
constexpr int kMaxChannels = 1024;
constexpr int kSlotsPerPin = 2;
constexpr int kPathBytes = RKX_MAX_PATH_CHARS;
constexpr int kChannelsPerPin = RKX_CHANNELS_PER_PIN;
constexpr double kSampleRate = 48000.0;
// A larger host buffer than the largest selectable one is refused: no host asks for it and
// the allocation would be absurd.
constexpr long kMaxBufferFrames = 65536;

struct TransferSlot {
    int32_t* block = nullptr;       // bufferFrames × 8 samples, or null
    DWORD returned = 0;             // never examined
    OVERLAPPED overlapped{};
    rkx::UniqueHandle event;        // auto-reset; kept for the object's life
};

struct DeviceList {
    int count = 0;
    char path[kMaxPins][kPathBytes] = {};
};

class MMPAsio : public IASIO, public CUnknown {
public:
    explicit MMPAsio(IUnknown* owner);
    ~MMPAsio() override;

    // IUnknown (forwards to the controlling IUnknown)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        return Owner()->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Owner()->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Owner()->Release(); }
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

    // IASIO
    ASIOBool init(void* sysHandle) override;
    void getDriverName(char* name) override;
    long getDriverVersion() override;
    void getErrorMessage(char* string) override;
    ASIOError start() override;
    ASIOError stop() override;
    ASIOError getChannels(long* numInputChannels, long* numOutputChannels) override;
    ASIOError getLatencies(long* inputLatency, long* outputLatency) override;
    ASIOError getBufferSize(long* minSize, long* maxSize, long* preferredSize, long* granularity) override;
    ASIOError canSampleRate(ASIOSampleRate sampleRate) override;
    ASIOError getSampleRate(ASIOSampleRate* sampleRate) override;
    ASIOError setSampleRate(ASIOSampleRate sampleRate) override;
    ASIOError getClockSources(ASIOClockSource* clocks, long* numSources) override;
    ASIOError setClockSource(long reference) override;
    ASIOError getSamplePosition(ASIOSamples* sPos, ASIOTimeStamp* tStamp) override;
    ASIOError getChannelInfo(ASIOChannelInfo* info) override;
    ASIOError createBuffers(ASIOBufferInfo* bufferInfos, long numChannels, long bufferSize,
                            ASIOCallbacks* callbacks) override;
    ASIOError disposeBuffers() override;
    ASIOError controlPanel() override;
    ASIOError future(long selector, void* opt) override;
    ASIOError outputReady() override;

    // ---- kernel streaming (pins.cpp) ----
    void GetDeviceList();
    bool SyncRequest(int pin, DWORD code, const void* input, DWORD inputBytes);
    bool SetRateWithRetries(int pin);
    bool StartSound();
    bool StartAllPins();
    void ClosePins();
    void DropPins();
    void SubmitWrite(int pin, int k);
    void SubmitRead(int pin, int k);
    void SignalAllSlots();

    // ---- buffer thread (buffer_thread.cpp) ----
    void RunPass();
    void SwitchHalf(int h);
    bool CheckpointOk() const { return running_ && !resetPending_; }

    // ---- host buffers (host_buffers.cpp) ----
    void input(int j, int h);
    void output(int j, int h, int k);
    void CopyInputs(int h);
    void CopyOutputs(int h, int k);
    bool IsActive(long channel, bool isInput) const;
    void FreeHostBuffers();

    // ---- settings (settings.cpp) ----
    static int ReadBlockNum();
    static bool StreamingMutexExists();

    // ---- device changes (reset_window.cpp) ----
    bool CreateResetWindow();
    void DestroyResetWindow();
    LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CheckedReset();
    bool DeviceListChanged();
    void ForcedReset();

    // ---- state ----
    int blockNum = 4;
    long bufferFrames = 256;
    bool initialised = false;
    volatile bool running_ = false;
    bool timeInfoMode = false;
    bool timeCodeRead = false;
    volatile bool destroying = false;
    char errorText[128] = {};
    ASIOCallbacks callbackCopy{};
    ASIOCallbacks* callbacks = nullptr;
    rkx::UniqueHandle streamingMutex;
    HMODULE moduleInstance = nullptr;
    HWND window = nullptr;
    HDEVNOTIFY deviceNotification = nullptr;
    rkx::UniqueHandle resetEvent;       // auto-reset: releases a held buffer thread
    rkx::UniqueHandle heldEvent;        // auto-reset: the buffer thread reached the reset wait
    volatile LONG resetPending_ = 0;
    volatile LONG threadHeld = 0;

    // pins
    int pinCount = 0;
    char devicePath[kMaxPins][kPathBytes] = {};
    HANDLE pinHandle[kMaxPins] = {};
    int curOutBlock = 0;
    TransferSlot outSlot[kMaxPins * kSlotsPerPin];
    TransferSlot inSlot[kMaxPins * kSlotsPerPin];
    int outPinList[kMaxPins] = {};
    int outPinCount = 0;
    int inPinList[kMaxPins] = {};
    int inPinCount = 0;
    HANDLE outWait[kSlotsPerPin][kMaxPins] = {};
    HANDLE inWait[kSlotsPerPin][kMaxPins] = {};

    // host buffers
    int32_t inputChannels[kMaxChannels] = {};
    int32_t outputChannels[kMaxChannels] = {};
    int32_t* inputBuffers[kMaxChannels] = {};
    int32_t* outputBuffers[kMaxChannels] = {};
    int inputCount = 0;
    int outputCount = 0;
    CopyTiming copyTiming;

    // time
    uint64_t systemTime = 0;
    uint64_t samplePosition = 0;
    int currentHalf = 0;
    ASIOTime asioTime{};
    // Flags raised by the host's thread, moved into asioTime by the buffer thread before the
    // next call so neither side's read-modify-write loses the other's change.
    volatile LONG pendingTimeFlags = 0;
};

// Creation function of the module's class table.
INonDelegatingUnknown* CreateDriverObject(IUnknown* owner, HRESULT* result);

// ---- the one buffer thread of the module (buffer_thread.cpp) ----
void StartBufferThread(MMPAsio* object);
// Ends the thread; true when it ended within the limit (or none ran).
bool StopBufferThread();
// Waits without limit for a thread that outlived StopBufferThread's limit.
void AwaitAbandonedBufferThread();
bool BufferThreadExists();

}  // namespace rkx::asio
