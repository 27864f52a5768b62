#include "virtualmixer/client/pin_stream.h"

#include "common/mixer_requests.h"

namespace rkx::vmix {
namespace {

// How long a transfer may take to end once its handle is closed before it is abandoned.
constexpr DWORD kSettleMs = 5000;

// Memory of one synchronous request. It is leaked on purpose if the driver never finishes the
// request, since the driver may still write into it.
struct PendingCall {
    UniqueHandle event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    OVERLAPPED overlapped{};
};

}  // namespace

Transfer::Transfer(DWORD code, uint32_t frames)
    : code_(code), frames_(frames), samples_(static_cast<size_t>(frames) * RKX_CHANNELS_PER_PIN),
      event_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

Transfer::~Transfer()
{
    // The owner closes the pin first, so a queued transfer ends promptly.
    if (pending_) WaitForSingleObject(event_.get(), kSettleMs);
}

bool Transfer::Submit(HANDLE pin)
{
    if (!event_ || pending_) {
        error_ = pending_ ? ERROR_BUSY : ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    ResetEvent(event_.get());
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.get();
    bytes_ = 0;
    error_ = ERROR_SUCCESS;
    const DWORD blockBytes = RkxBlockBytes(frames_);
    const bool isWrite = code_ == IOCTL_STREAM_WRITE;
    const BOOL ok = DeviceIoControl(pin, code_, isWrite ? samples_.data() : nullptr, isWrite ? blockBytes : 0,
                                    isWrite ? nullptr : samples_.data(), isWrite ? 0 : blockBytes, nullptr, &overlapped_);
    if (ok || GetLastError() == ERROR_IO_PENDING) {
        pending_ = true;
        return true;
    }
    error_ = GetLastError();
    return false;
}

bool Transfer::Collect(HANDLE pin)
{
    if (!pending_) return false;
    DWORD bytes = 0;
    const BOOL ok = GetOverlappedResult(pin, &overlapped_, &bytes, FALSE);
    if (!ok && GetLastError() == ERROR_IO_INCOMPLETE) {
        error_ = ERROR_IO_INCOMPLETE;
        return false;
    }
    pending_ = false;
    bytes_ = bytes;
    error_ = ok ? ERROR_SUCCESS : GetLastError();
    return ok != FALSE;
}

PinStream::~PinStream()
{
    Close();
    DropTransfers();
}

bool PinStream::Open(const std::wstring& path)
{
    Close();
    DropTransfers();
    pin_.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr));
    lastError_ = pin_ ? ERROR_SUCCESS : GetLastError();
    return pin_.valid();
}

bool PinStream::Control(DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes, DWORD* returned,
                        bool* wentPending, DWORD timeoutMs)
{
    if (returned != nullptr) *returned = 0;
    if (wentPending != nullptr) *wentPending = false;
    if (!pin_) {
        lastError_ = ERROR_INVALID_HANDLE;
        SetLastError(lastError_);
        return false;
    }
    auto call = std::make_unique<PendingCall>();
    if (!call->event) {
        lastError_ = GetLastError();
        return false;
    }
    call->overlapped.hEvent = call->event.get();
    DWORD bytes = 0;
    BOOL ok = DeviceIoControl(pin_.get(), code, const_cast<void*>(in), inBytes, out, outBytes, &bytes, &call->overlapped);
    if (!ok && GetLastError() == ERROR_IO_PENDING) {
        if (wentPending != nullptr) *wentPending = true;
        if (WaitForSingleObject(call->event.get(), timeoutMs) != WAIT_OBJECT_0) {
            CancelIoEx(pin_.get(), &call->overlapped);
            if (WaitForSingleObject(call->event.get(), kSettleMs) != WAIT_OBJECT_0) {
                call.release();  // see PendingCall
                lastError_ = ERROR_TIMEOUT;
                SetLastError(lastError_);
                return false;
            }
        }
        ok = GetOverlappedResult(pin_.get(), &call->overlapped, &bytes, FALSE);
    }
    lastError_ = ok ? ERROR_SUCCESS : GetLastError();
    if (returned != nullptr) *returned = bytes;
    SetLastError(lastError_);
    return ok != FALSE;
}

bool PinStream::SetInt(DWORD code, int32_t value) { return Control(code, &value, sizeof(value)); }

bool PinStream::Configure(uint32_t frames, int32_t outputPins)
{
    return SetInt(IOCTL_STREAM_SET_RATE, RKX_SAMPLE_RATE) && SetInt(IOCTL_STREAM_SET_FRAMES, static_cast<int32_t>(frames)) &&
           SetInt(IOCTL_STREAM_SET_OUTPUT_PINS, outputPins);
}

bool PinStream::Start(bool* wentPending) { return Control(IOCTL_STREAM_START, nullptr, 0, nullptr, 0, nullptr, wentPending); }

bool PinStream::Stop() { return Control(IOCTL_STREAM_STOP, nullptr, 0); }

Transfer& PinStream::AddTransfer(DWORD code, uint32_t frames)
{
    transfers_.push_back(std::make_unique<Transfer>(code, frames));
    return *transfers_.back();
}

void PinStream::Close()
{
    const HANDLE closed = pin_.get();
    if (closed == nullptr) return;
    pin_.reset();
    for (auto& transfer : transfers_) {
        if (transfer->pending() && WaitForSingleObject(transfer->event(), kSettleMs) == WAIT_OBJECT_0) {
            transfer->Collect(closed);  // reads the finished OVERLAPPED only; the handle is not used
        }
    }
}

void PinStream::DropTransfers()
{
    // A transfer that never ended keeps its memory: the driver may still complete it.
    for (auto& transfer : transfers_) {
        if (transfer->pending()) transfer.release();
    }
    transfers_.clear();
}

}  // namespace rkx::vmix
