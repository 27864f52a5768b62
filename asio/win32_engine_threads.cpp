// The buffer thread, its signals and its clock on Win32.
#include <windows.h>
#include <mmsystem.h>

#include <new>
#include <utility>

#include "asio/win32_device_io.h"

namespace rkx::asio {
namespace {

class Win32Signal final : public Signal {
public:
    explicit Win32Signal(rkx::UniqueHandle event) : event_(std::move(event)) {}
    void Set() override { SetEvent(event_.get()); }
    void Clear() override { ResetEvent(event_.get()); }
    bool Wait(uint32_t ms) override { return WaitForSingleObject(event_.get(), ms == kForever ? INFINITE : ms) == WAIT_OBJECT_0; }

private:
    rkx::UniqueHandle event_;
};

}  // namespace

DWORD WINAPI Win32EngineThreads::Entry(LPVOID self)
{
    auto* threads = static_cast<Win32EngineThreads*>(self);
    threads->body_(threads->context_);
    return 0;
}

bool Win32EngineThreads::StartThread(void (*body)(void*), void* context)
{
    if (thread_) return false;
    body_ = body;
    context_ = context;
    // Raised before it runs a single instruction, so even its first transfers are queued at
    // the priority that keeps the device fed.
    thread_.reset(CreateThread(nullptr, 0, &Win32EngineThreads::Entry, this, CREATE_SUSPENDED, &threadId_));
    if (!thread_) return false;
    SetThreadPriority(thread_.get(), THREAD_PRIORITY_TIME_CRITICAL);
    ResumeThread(thread_.get());
    return true;
}

bool Win32EngineThreads::JoinThread(uint32_t ms)
{
    if (!thread_) return true;
    if (WaitForSingleObject(thread_.get(), ms == kForever ? INFINITE : ms) != WAIT_OBJECT_0) return false;
    thread_.reset();
    threadId_ = 0;
    return true;
}

void Win32EngineThreads::AwaitThread() { JoinThread(kForever); }

std::unique_ptr<Signal> Win32EngineThreads::NewSignal()
{
    rkx::UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!event) return nullptr;
    return std::unique_ptr<Signal>(new (std::nothrow) Win32Signal(std::move(event)));
}

uint32_t Win32EngineThreads::MillisecondTick() { return timeGetTime(); }

}  // namespace rkx::asio
