// The driver object an ASIO host creates and drives through IASIO: the COM face of the
// streaming engine (stream_engine.h), the settings contract and the message window.
//
// Who owns what (threads: H = the host's threads that call IASIO, W = the window's thread,
// B = the buffer thread; the engine documents its own fields):
//   callbackCopy, callbacks, timeInfoMode    written by H only while the engine has no thread
//                                            (createBuffers; disposeBuffers after the thread
//                                            has ended); read by B and W.
//   asioTime                                 B's while streaming.
//   samplePosition, systemTime               written by B at each switch, read by H: atomic.
//   timeCodeRead, pendingTimeFlags           raised by H, read by B: atomic.
//   window, windowLink, deviceNotification   H (start, stop, release).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "asio/com_base.h"
#include "asio/iasio.h"
#include "asio/stream_engine.h"
#include "asio/win32_device_io.h"
#include "common/unique_handle.h"

namespace rkx::asio {

constexpr double kSampleRate = 48000.0;

struct WindowLink;

class MMPAsio : public IASIO, public CUnknown {
public:
    // `device` and `threads` stand in for the system (the engine's unit tests); null: Win32.
    explicit MMPAsio(IUnknown* owner, DeviceIo* device = nullptr, EngineThreads* threads = nullptr);
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

    // One buffer switch as the host sees it: on the buffer thread, from the engine
    // (host_switch.cpp); tests call it directly.
    void SwitchHost(int half, uint64_t position, uint64_t systemTimeNs);

    // The message window's work, on its thread (reset_window.cpp).
    void HandleDeviceMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    ASIOCallbacks* HostCallbacks() const { return callbacks; }

private:
    struct HostSwitch final : SwitchTarget {
        explicit HostSwitch(MMPAsio& owner) : owner(owner) {}
        void BufferSwitch(int half, uint64_t position, uint64_t systemTimeNs) override
        {
            owner.SwitchHost(half, position, systemTimeNs);
        }
        MMPAsio& owner;
    };

    // settings.cpp
    static int ReadBlockNum();
    static bool StreamingMutexExists();

    // reset_window.cpp
    void CreateResetWindow();
    void DestroyResetWindow();
    void Reset(HWND window, bool forced);

    int blockNum = 4;
    bool initialised = false;
    bool timeInfoMode = false;
    std::atomic<bool> timeCodeRead{false};
    std::atomic<bool> destroying{false};
    char errorText[128] = {};
    ASIOCallbacks callbackCopy{};
    ASIOCallbacks* callbacks = nullptr;
    rkx::UniqueHandle streamingMutex;
    HMODULE moduleInstance = nullptr;
    HWND window = nullptr;
    WindowLink* windowLink = nullptr;
    HDEVNOTIFY deviceNotification = nullptr;
    ASIOTime asioTime{};
    // The last buffer switch's, for getSamplePosition: written by B, read by H.
    std::atomic<uint64_t> samplePosition{0};
    std::atomic<uint64_t> systemTime{0};
    // Flags raised by the host's thread, moved into asioTime by the buffer thread before the
    // next call so neither side's read-modify-write loses the other's change.
    std::atomic<unsigned long> pendingTimeFlags{0};

    Win32DeviceIo win32Device_;
    Win32EngineThreads win32Threads_;
    HostSwitch hostSwitch_{*this};
    StreamEngine engine_;
};

// Creation function of the module's class table.
INonDelegatingUnknown* CreateDriverObject(IUnknown* owner, HRESULT* result);

}  // namespace rkx::asio
