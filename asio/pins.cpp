// Kernel streaming: finding, opening, configuring and closing the pins, and submitting
// transfers on their slots.
#include <cstring>
#include <memory>
#include <new>

#include "asio/device_list.h"
#include "asio/mmp_asio.h"
#include "common/mixer_requests.h"

namespace rkx::asio {
namespace {

constexpr int kRateAttempts = 10;
constexpr DWORD kRateRetryMs = 100;

// Low bit set: the completion is not queued to a completion port.
HANDLE NoPortEvent(HANDLE event) { return reinterpret_cast<HANDLE>(reinterpret_cast<ULONG_PTR>(event) | 1); }

enum class SendOutcome { Succeeded, Failed, WaitFailed, NoEvent };

SendOutcome SendOnce(HANDLE pin, DWORD code, const void* input, DWORD inputBytes)
{
    rkx::UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!event) return SendOutcome::NoEvent;
    OVERLAPPED overlapped{};
    overlapped.hEvent = NoPortEvent(event.get());
    DWORD returned = 0;
    if (DeviceIoControl(pin, code, const_cast<void*>(input), inputBytes, nullptr, 0, &returned, &overlapped)) {
        return SendOutcome::Succeeded;
    }
    if (GetLastError() == ERROR_IO_PENDING) {
        // The request was accepted but not completed at once: this counts as a failure.
        if (WaitForSingleObject(event.get(), INFINITE) != WAIT_OBJECT_0) return SendOutcome::WaitFailed;
    }
    return SendOutcome::Failed;
}

constexpr DWORD kTransferDrainMs = 500;

void FreeBlock(TransferSlot& slot)
{
    delete[] slot.block;
    slot.block = nullptr;
}

bool InFlight(const TransferSlot& slot)
{
    // Written by the thread that queued the transfer when its completion is delivered.
    return *reinterpret_cast<const volatile ULONG_PTR*>(&slot.overlapped.Internal) == STATUS_PENDING;
}

// A transfer's completion writes its data and status into the slot on the thread that queued
// it, even after the pin's handle is closed. Blocks are freed only once nothing is in flight
// on them; a block still in flight at the limit is left to its transfer, never freed under it.
void FreeBlocksOnceDrained(TransferSlot* slots, int count, ULONGLONG deadline)
{
    for (int k = 0; k < count; ++k) {
        TransferSlot& slot = slots[k];
        while (slot.block != nullptr && InFlight(slot) && GetTickCount64() < deadline) Sleep(1);
        if (InFlight(slot)) slot.block = nullptr;
        else FreeBlock(slot);
    }
}

// Zeroed block, event created once, cleared OVERLAPPED, event signalled (a prepared slot is free).
bool PrepareSlot(TransferSlot& slot, long frames)
{
    delete[] slot.block;
    slot.block = new (std::nothrow) int32_t[size_t(frames) * kChannelsPerPin]();
    if (!slot.event) slot.event.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    slot.overlapped = OVERLAPPED{};
    slot.overlapped.hEvent = slot.event.get();
    if (slot.event) SetEvent(slot.event.get());
    return slot.block != nullptr && slot.event;
}

}  // namespace

void MMPAsio::GetDeviceList()
{
    static_assert(sizeof(DeviceList::path) == sizeof(devicePath));
    std::unique_ptr<DeviceList> list(new (std::nothrow) DeviceList);
    pinCount = 0;
    if (!list) return;
    CollectMixerPaths(*list);
    std::memcpy(devicePath, list->path, sizeof(devicePath));
    pinCount = list->count;
}

bool MMPAsio::SyncRequest(int pin, DWORD code, const void* input, DWORD inputBytes)
{
    // A request that could not even be sent (no event) is a failure, not a success.
    return SendOnce(pinHandle[pin], code, input, inputBytes) == SendOutcome::Succeeded;
}

bool MMPAsio::SetRateWithRetries(int pin)
{
    const int32_t rate = RKX_SAMPLE_RATE;
    for (int attempt = 0; attempt < kRateAttempts; ++attempt) {
        switch (SendOnce(pinHandle[pin], IOCTL_STREAM_SET_RATE, &rate, sizeof(rate))) {
        case SendOutcome::Succeeded:
            return true;
        case SendOutcome::WaitFailed:
        case SendOutcome::NoEvent:
            return false;
        case SendOutcome::Failed:
            break;
        }
        if (attempt + 1 < kRateAttempts) Sleep(kRateRetryMs);
    }
    return false;
}

bool MMPAsio::StartSound()
{
    outPinCount = 0;
    inPinCount = 0;
    curOutBlock = 0;
    auto openPin = [this](int p) {
        if (pinHandle[p] != nullptr) return true;
        HANDLE handle = CreateFileA(devicePath[p], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return false;
        pinHandle[p] = handle;
        return true;
    };
    bool ok = true;
    for (int j = 0; j < outputCount && ok; ++j) {
        const int p = outputChannels[j] / kChannelsPerPin;
        if (p >= pinCount || pinHandle[p] != nullptr) continue;
        if (!openPin(p)) {
            ok = false;
            break;
        }
        for (int k = 0; k < kSlotsPerPin; ++k) {
            TransferSlot& slot = outSlot[p * kSlotsPerPin + k];
            ok = PrepareSlot(slot, bufferFrames) && ok;
            outWait[k][outPinCount] = slot.event.get();
        }
        outPinList[outPinCount++] = p;
    }
    bool inPrepared[kMaxPins] = {};
    for (int j = 0; j < inputCount && ok; ++j) {
        const int p = inputChannels[j] / kChannelsPerPin;
        if (p >= pinCount) continue;
        if (!openPin(p)) {
            ok = false;
            break;
        }
        if (inPrepared[p]) continue;
        inPrepared[p] = true;
        for (int k = 0; k < kSlotsPerPin; ++k) {
            TransferSlot& slot = inSlot[p * kSlotsPerPin + k];
            ok = PrepareSlot(slot, bufferFrames) && ok;
            inWait[k][inPinCount] = slot.event.get();
        }
        inPinList[inPinCount++] = p;
    }
    if (!ok) {
        ClosePins();
        return false;
    }
    for (int p = 0; p < pinCount; ++p) {
        if (pinHandle[p] == nullptr) continue;
        if (!SetRateWithRetries(p)) {
            ClosePins();
            return false;
        }
        const int32_t frames = bufferFrames;
        const int32_t outputs = outPinCount;
        SyncRequest(p, IOCTL_STREAM_SET_FRAMES, &frames, sizeof(frames));
        SyncRequest(p, IOCTL_STREAM_SET_OUTPUT_PINS, &outputs, sizeof(outputs));
    }
    return true;
}

bool MMPAsio::StartAllPins()
{
    for (int p = 0; p < pinCount; ++p) {
        if (pinHandle[p] != nullptr && !SyncRequest(p, IOCTL_STREAM_START, nullptr, 0)) return false;
    }
    return true;
}

void MMPAsio::ClosePins()
{
    for (int p = 0; p < kMaxPins; ++p) {
        if (pinHandle[p] == nullptr) continue;
        SyncRequest(p, IOCTL_STREAM_STOP, nullptr, 0);
        CloseHandle(pinHandle[p]);
        pinHandle[p] = nullptr;
        for (int k = 0; k < kSlotsPerPin; ++k) {
            FreeBlock(outSlot[p * kSlotsPerPin + k]);
            FreeBlock(inSlot[p * kSlotsPerPin + k]);
        }
    }
}

// Reset only, with the buffer thread held in a wait: the completions of the transfers it
// queued (ended by the close) are delivered to it there.
void MMPAsio::DropPins()
{
    const ULONGLONG deadline = GetTickCount64() + kTransferDrainMs;
    for (int p = 0; p < kMaxPins; ++p) {
        if (pinHandle[p] == nullptr) continue;
        CloseHandle(pinHandle[p]);
        pinHandle[p] = nullptr;
        FreeBlocksOnceDrained(&outSlot[p * kSlotsPerPin], kSlotsPerPin, deadline);
        FreeBlocksOnceDrained(&inSlot[p * kSlotsPerPin], kSlotsPerPin, deadline);
    }
}

// Buffer thread only. Allocates nothing.
void MMPAsio::SubmitWrite(int pin, int k)
{
    if (!running_ || resetPending_ != 0 || pin >= pinCount || pinHandle[pin] == nullptr) return;
    TransferSlot& slot = outSlot[pin * kSlotsPerPin + k];
    if (slot.block == nullptr) return;
    DeviceIoControl(pinHandle[pin], IOCTL_STREAM_WRITE, slot.block, DWORD(RkxBlockBytes(bufferFrames)), nullptr, 0,
                    &slot.returned, &slot.overlapped);
}

void MMPAsio::SubmitRead(int pin, int k)
{
    if (!running_ || resetPending_ != 0 || pin >= pinCount || pinHandle[pin] == nullptr) return;
    TransferSlot& slot = inSlot[pin * kSlotsPerPin + k];
    if (slot.block == nullptr) return;
    DeviceIoControl(pinHandle[pin], IOCTL_STREAM_READ, nullptr, 0, slot.block, DWORD(RkxBlockBytes(bufferFrames)),
                    &slot.returned, &slot.overlapped);
}

// Ends every wait for a row: used by a reset and by stop.
void MMPAsio::SignalAllSlots()
{
    for (int i = 0; i < outPinCount; ++i) {
        for (int k = 0; k < kSlotsPerPin; ++k) {
            if (HANDLE e = outSlot[outPinList[i] * kSlotsPerPin + k].event.get()) SetEvent(e);
        }
    }
    for (int i = 0; i < inPinCount; ++i) {
        for (int k = 0; k < kSlotsPerPin; ++k) {
            if (HANDLE e = inSlot[inPinList[i] * kSlotsPerPin + k].event.get()) SetEvent(e);
        }
    }
}

}  // namespace rkx::asio
