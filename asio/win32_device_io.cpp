// The mixers' pins on Win32.
#include "asio/win32_device_io.h"

#include <new>

#include "asio/device_list.h"
#include "common/mixer_requests.h"

namespace rkx::asio {
namespace {

// The system clears the event when a request starts and sets it when the request completes,
// after the completion status and the data are written.
struct Win32Transfer final : Transfer {
    OVERLAPPED overlapped{};
    DWORD returned = 0;                // never examined
    rkx::UniqueHandle event;           // auto-reset
};

Win32Transfer* Of(Transfer* transfer) { return static_cast<Win32Transfer*>(transfer); }
const Win32Transfer* Of(const Transfer* transfer) { return static_cast<const Win32Transfer*>(transfer); }

// Low bit set: the completion is not queued to a completion port.
HANDLE NoPortEvent(HANDLE event) { return reinterpret_cast<HANDLE>(reinterpret_cast<ULONG_PTR>(event) | 1); }

}  // namespace

Win32DeviceIo::Win32DeviceIo() : wake_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

bool Win32DeviceIo::ListPaths(PathList& list) { return CollectMixerPaths(list); }

bool Win32DeviceIo::Open(int pin, const char* path)
{
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    pins_[pin].reset(handle);
    return true;
}

void Win32DeviceIo::Close(int pin) { pins_[pin].reset(); }

RequestResult Win32DeviceIo::Request(int pin, uint32_t code, const void* input, uint32_t inputBytes)
{
    // A request that cannot even be sent (no event) is no success.
    rkx::UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!event) return RequestResult::Broken;
    OVERLAPPED overlapped{};
    overlapped.hEvent = NoPortEvent(event.get());
    DWORD returned = 0;
    if (DeviceIoControl(pins_[pin].get(), code, const_cast<void*>(input), inputBytes, nullptr, 0, &returned,
                        &overlapped)) {
        return RequestResult::Succeeded;
    }
    if (GetLastError() == ERROR_IO_PENDING) {
        // Accepted but not completed at once: the mixer's contract makes that a failure.
        if (WaitForSingleObject(event.get(), INFINITE) != WAIT_OBJECT_0) return RequestResult::Broken;
    }
    return RequestResult::Failed;
}

Transfer* Win32DeviceIo::NewTransfer()
{
    auto* transfer = new (std::nothrow) Win32Transfer;
    if (transfer == nullptr) return nullptr;
    transfer->event.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!transfer->event) {
        delete transfer;
        return nullptr;
    }
    return transfer;
}

void Win32DeviceIo::FreeTransfer(Transfer* transfer) { delete Of(transfer); }

bool Win32DeviceIo::Submit(int pin, Transfer* transfer, uint32_t code, int32_t* block, uint32_t bytes)
{
    Win32Transfer& t = *Of(transfer);
    t.overlapped = OVERLAPPED{};
    t.overlapped.hEvent = t.event.get();
    const bool write = code == IOCTL_STREAM_WRITE;
    const BOOL done = DeviceIoControl(pins_[pin].get(), code, write ? block : nullptr, write ? bytes : 0,
                                      write ? nullptr : block, write ? 0 : bytes, &t.returned, &t.overlapped);
    if (done || GetLastError() == ERROR_IO_PENDING) return true;
    // Refused at once: nothing is in flight and no completion will come.
    t.overlapped.Internal = 0;
    return false;
}

bool Win32DeviceIo::Completed(const Transfer* transfer)
{
    // Written by the completion, on the thread that issued the transfer, before its event is set.
    const auto* status = reinterpret_cast<const volatile ULONG_PTR*>(&Of(transfer)->overlapped.Internal);
    return *status != STATUS_PENDING;
}

WaitResult Win32DeviceIo::Wait(Transfer* transfer)
{
    Win32Transfer& t = *Of(transfer);
    // Usually long done (a read waited for two halves later): no system call. The event left
    // set is cleared by the system when the record's next request starts.
    if (Completed(transfer)) return WaitResult::Completed;
    const HANDLE handles[2] = {t.event.get(), wake_.get()};
    switch (WaitForMultipleObjects(2, handles, FALSE, INFINITE)) {
    case WAIT_OBJECT_0:
        return WaitResult::Completed;
    case WAIT_OBJECT_0 + 1:
        return WaitResult::Woken;
    default:
        return WaitResult::Failed;
    }
}

void Win32DeviceIo::Wake() { SetEvent(wake_.get()); }

void Win32DeviceIo::ClearWake() { ResetEvent(wake_.get()); }

}  // namespace rkx::asio
