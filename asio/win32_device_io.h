// The engine's system interfaces on Win32: pins opened with CreateFile and driven with
// overlapped DeviceIoControl requests, and the buffer thread with events and the multimedia
// clock. One of each per driver object.
#pragma once

#include <windows.h>

#include "asio/device_io.h"
#include "common/unique_handle.h"

namespace rkx::asio {

class Win32DeviceIo final : public DeviceIo {
public:
    Win32DeviceIo();

    bool ListPaths(PathList& list) override;
    bool Open(int pin, const char* path) override;
    void Close(int pin) override;
    RequestResult Request(int pin, uint32_t code, const void* input, uint32_t inputBytes) override;
    Transfer* NewTransfer() override;
    void FreeTransfer(Transfer* transfer) override;
    bool Submit(int pin, Transfer* transfer, uint32_t code, int32_t* block, uint32_t bytes) override;
    bool Completed(const Transfer* transfer) override;
    WaitResult Wait(Transfer* transfer) override;
    void Wake() override;
    void ClearWake() override;

private:
    rkx::UniqueHandle pins_[kMaxPins];
    rkx::UniqueHandle wake_;  // manual-reset: stays set until the buffer thread clears it
};

class Win32EngineThreads final : public EngineThreads {
public:
    bool StartThread(void (*body)(void*), void* context) override;
    bool JoinThread(uint32_t ms) override;
    void AwaitThread() override;
    bool ThreadExists() override { return thread_.valid(); }
    bool OnBufferThread() override { return thread_.valid() && GetCurrentThreadId() == threadId_; }
    std::unique_ptr<Signal> NewSignal() override;
    void Sleep(uint32_t ms) override { ::Sleep(ms); }
    uint32_t MillisecondTick() override;
    void DebugText(const char* text) override { OutputDebugStringA(text); }

private:
    static DWORD WINAPI Entry(LPVOID self);

    rkx::UniqueHandle thread_;
    DWORD threadId_ = 0;
    void (*body_)(void*) = nullptr;
    void* context_ = nullptr;
};

}  // namespace rkx::asio
