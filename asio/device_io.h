// What the streaming engine needs of the system, in two small interfaces: the mixers' pins
// (DeviceIo) and the buffer thread with its signals and clock (EngineThreads). The driver
// implements both on Win32 (win32_device_io.h); the engine's unit tests script them. Nothing
// here names a system type, so the engine builds and runs anywhere.
#pragma once

#include <cstdint>
#include <memory>

#include "common/mixer_requests.h"

namespace rkx::asio {

constexpr int kMaxPins = RKX_MAX_DEVICE_PATHS;
constexpr int kPathBytes = RKX_MAX_PATH_CHARS;  // including the terminating zero
constexpr uint32_t kForever = 0xFFFFFFFFu;

// Mixer streaming interfaces in enumeration order; pin p is path p.
struct PathList {
    int count = 0;
    char path[kMaxPins][kPathBytes] = {};
};

// The system's record of one transfer (its completion status and event). A device makes its
// own kind; the engine only holds them, one per slot, and never reuses one whose transfer is
// still in flight.
struct Transfer {
protected:
    Transfer() = default;
    ~Transfer() = default;
};

enum class RequestResult {
    Succeeded,   // completed at once with success
    Failed,      // refused, or completed only later (which counts as a failure)
    Broken,      // could not be sent or waited for: nothing more should be sent
};

enum class WaitResult {
    Completed,  // the transfer has completed (or was cancelled)
    Woken,      // Wake() was called: the engine has something to look at
    Failed,     // the system could not wait
};

class DeviceIo {
public:
    virtual ~DeviceIo() = default;

    // The mixers' streaming paths present now. False when the list could not be obtained.
    virtual bool ListPaths(PathList& list) = 0;

    // Pin p (0..127) opened on `path`; false when it cannot be opened.
    virtual bool Open(int pin, const char* path) = 0;
    // Closes pin p. Its outstanding transfers end (their completions may still arrive).
    virtual void Close(int pin) = 0;
    // One control request on an open pin, waited for as the mixer's contract requires.
    virtual RequestResult Request(int pin, uint32_t code, const void* input, uint32_t inputBytes) = 0;

    // A transfer record, or null when the system cannot make one. Freed only once completed.
    virtual Transfer* NewTransfer() = 0;
    virtual void FreeTransfer(Transfer* transfer) = 0;
    // Issues `code` on pin p through `transfer` without waiting: `block` is the request's input
    // (a write) or its output (a read). False when the request was refused at once, so nothing
    // is in flight.
    virtual bool Submit(int pin, Transfer* transfer, uint32_t code, int32_t* block, uint32_t bytes) = 0;
    // True once the transfer issued through `transfer` has completed; does not wait.
    virtual bool Completed(const Transfer* transfer) = 0;
    // Waits without limit until the transfer completes or Wake() is called.
    virtual WaitResult Wait(Transfer* transfer) = 0;
    // Ends the buffer thread's current wait, and its next one if it is not waiting; stays in
    // effect until ClearWake().
    virtual void Wake() = 0;
    virtual void ClearWake() = 0;
};

// An auto-reset signal between the engine's threads.
class Signal {
public:
    virtual ~Signal() = default;
    virtual void Set() = 0;
    virtual void Clear() = 0;
    // True when set within `ms` (kForever: no limit); consumes the signal.
    virtual bool Wait(uint32_t ms) = 0;
};

class EngineThreads {
public:
    virtual ~EngineThreads() = default;

    // Starts the one buffer thread at the highest priority, running body(context).
    virtual bool StartThread(void (*body)(void*), void* context) = 0;
    // Waits up to `ms` for the thread to end: true when it ended (or none ran). A thread that
    // did not end is kept, to be waited for by AwaitThread.
    virtual bool JoinThread(uint32_t ms) = 0;
    virtual void AwaitThread() = 0;
    virtual bool ThreadExists() = 0;
    virtual bool OnBufferThread() = 0;

    virtual std::unique_ptr<Signal> NewSignal() = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // The system's millisecond tick, for the buffer switch's time stamp.
    virtual uint32_t MillisecondTick() = 0;
    // A line for a debugger; the engine's only report of an exception in a pass.
    virtual void DebugText(const char* text) = 0;
};

}  // namespace rkx::asio
