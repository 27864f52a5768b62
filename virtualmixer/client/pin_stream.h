// A mixer pin opened and driven the way the product's audio driver does it: one exclusive
// overlapped handle, synchronous setup requests, and asynchronous WRITE/READ transfers that
// each signal their own event.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/unique_handle.h"

namespace rkx::vmix {

// One asynchronous block transfer (IOCTL_STREAM_WRITE or IOCTL_STREAM_READ) with its buffer.
class Transfer {
public:
    Transfer(DWORD code, uint32_t frames);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    bool ready() const { return event_.valid(); }
    // Issues the request. False when it failed at once (error() says why).
    bool Submit(HANDLE pin);
    bool pending() const { return pending_; }
    HANDLE event() const { return event_.get(); }
    // Once event() is signalled: takes the outcome. True when the transfer succeeded.
    bool Collect(HANDLE pin);
    DWORD error() const { return error_; }
    DWORD bytes() const { return bytes_; }
    uint32_t frames() const { return frames_; }
    // frames × 8 interleaved sub-channels.
    std::span<int32_t> samples() { return samples_; }

private:
    DWORD code_;
    uint32_t frames_;
    std::vector<int32_t> samples_;
    UniqueHandle event_;
    OVERLAPPED overlapped_{};
    bool pending_ = false;
    DWORD error_ = ERROR_SUCCESS;
    DWORD bytes_ = 0;
};

class PinStream {
public:
    PinStream() = default;
    ~PinStream();
    PinStream(const PinStream&) = delete;
    PinStream& operator=(const PinStream&) = delete;

    // CreateFileW exactly as the product opens a pin. False with lastError() on failure.
    bool Open(const std::wstring& path);
    bool IsOpen() const { return pin_.valid(); }
    HANDLE handle() const { return pin_.get(); }
    DWORD lastError() const { return lastError_; }

    // A synchronous request through an overlapped call. `wentPending` reports whether the
    // driver answered later rather than at once.
    bool Control(DWORD code, const void* in, DWORD inBytes, void* out = nullptr, DWORD outBytes = 0,
                 DWORD* returned = nullptr, bool* wentPending = nullptr, DWORD timeoutMs = 10000);
    bool SetInt(DWORD code, int32_t value);
    // SET_RATE 48000, SET_FRAMES, SET_OUTPUT_PINS.
    bool Configure(uint32_t frames, int32_t outputPins = 1);
    bool Start(bool* wentPending = nullptr);
    bool Stop();

    // Closes the pin; the driver ends its queued transfers, which are then waited for and
    // collected. The transfers stay, to be examined, until the next Open().
    void Close();

    // Transfers bound to this pin: they are waited for before the pin's memory goes away.
    Transfer& AddTransfer(DWORD code, uint32_t frames);
    std::vector<std::unique_ptr<Transfer>>& transfers() { return transfers_; }

private:
    void DropTransfers();

    UniqueHandle pin_;
    DWORD lastError_ = ERROR_SUCCESS;
    std::vector<std::unique_ptr<Transfer>> transfers_;
};

}  // namespace rkx::vmix
