// The streaming engine: the pins and their transfer slots, the host's double buffers and the
// copies between them, the buffer thread's two pass orders and the reset protocol. It reaches
// the system only through DeviceIo and EngineThreads and the host only through SwitchTarget,
// so its orderings can be driven by a scripted device.
//
// Threads: H = the host's thread (start, stop, buffers), W = the driver window's thread (resets;
// usually H), B = the buffer thread. H and W run their operations one at a time under
// `control_`; B never takes a lock.
//   pins, slots, blocks, pin lists, paths   written by H/W only while B is not in a pass (no
//                                            thread, thread ended, or held at the reset
//                                            wait); read by B. inFlight and curOutBlock_ are
//                                            B's while it runs.
//   host buffer tables, bufferFrames_        written by H only while no thread exists; read by B.
//   running_, stopRequested_, resetPending_  written by H/W, read by B at its checkpoints.
//   held_                                    written by B, read by W.
//   wakes_                                   raised by H/W after waking the device; B clears
//                                            the device's wake when it changed.
//   samplePosition_                          B's while it runs; reset by H before it starts.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "asio/copy_timing.h"
#include "asio/device_io.h"

namespace rkx::asio {

constexpr int kMaxChannels = 1024;
constexpr int kSlotsPerPin = 2;
constexpr int kChannelsPerPin = RKX_CHANNELS_PER_PIN;
// The one buffer size with its own pass order: the smallest, one step of 64 frames.
constexpr int32_t kFastPassFrames = RKX_FRAME_STEP;

// The engine's way to the host: one buffer switch, on the buffer thread, with the frames
// handed to the host since start (this switch's included) and the system time in nanoseconds.
class SwitchTarget {
public:
    virtual void BufferSwitch(int half, uint64_t samplePosition, uint64_t systemTimeNs) = 0;

protected:
    ~SwitchTarget() = default;
};

// Limits of the engine's waits; tests shorten them.
struct EngineLimits {
    uint32_t holdWaitMs = 5000;  // a reset waits this long for the thread to leave its pass
    uint32_t drainMs = 500;      // a reset waits this long for a closed pin's transfers
    uint32_t stopWaitMs = 1000;  // stop waits this long for the thread to end
};

enum class ResetOutcome {
    Done,        // pins reopened and started; the thread goes on
    NoMixer,     // no mixer to stream with: the thread stays held until a later reset
    ThreadBusy,  // the thread did not leave its pass in time: the reset is still owed
    Failed,      // every attempt failed: the thread stays held until a later reset
};

enum class AddBufferResult { Ok, InvalidChannel, TableFull, NoMemory };

// Transfers left in flight when their pin was closed for a reset, for tests and diagnostics.
struct TransferCounts {
    uint32_t abandoned = 0;  // still in flight after the drain limit: slot given a new record
    uint32_t reclaimed = 0;  // of those, completed later and freed
};

class StreamEngine {
public:
    StreamEngine(DeviceIo& device, EngineThreads& threads, SwitchTarget& target, EngineLimits limits = {});
    ~StreamEngine();
    StreamEngine(const StreamEngine&) = delete;
    StreamEngine& operator=(const StreamEngine&) = delete;

    // ---- mixers (H) ----
    void ListPins();
    int PinCount() const { return pinCount_.load(); }
    bool DeviceListChanged();

    // ---- host buffers (H, never while streaming) ----
    int32_t BufferFrames() const { return bufferFrames_; }
    void SetBufferFrames(int32_t frames) { bufferFrames_ = frames; }
    // Appends a zeroed pair of halves for `channel` (0..1023) and gives their addresses; a
    // pair that cannot be allocated is counted with null halves.
    AddBufferResult AddHostBuffer(bool isInput, int32_t channel, int32_t* halves[2]);
    void FreeHostBuffers();
    bool HasHostBuffers() const { return count_[kOut] + count_[kIn] > 0; }
    bool IsActive(int32_t channel, bool isInput) const;
    CopyTiming& copyTiming() { return copyTiming_; }

    // ---- streaming (H) ----
    // True from a successful StartStreaming to Stop: this engine's thread runs.
    bool Streaming() const { return streaming_.load(); }
    // Counts frames from 0 again; only while no thread runs.
    void ResetPosition() { samplePosition_ = 0; }
    // Opens the pins the host's channels need and sets them up; false (everything closed)
    // when a pin cannot be opened, a block or record cannot be made, or the mixer refuses a
    // set-up request.
    bool PreparePins();
    // Starts the buffer thread, which starts the pins; false (pins closed, no thread) when the
    // thread cannot be made or the mixer refuses to start.
    bool StartStreaming();
    // Ends this engine's thread; frees the pins once it has ended. Another engine's calls
    // never touch this one's thread.
    void Stop();
    // Closes every open pin (stop request first) and frees its blocks. Only while no pass runs.
    void ClosePins();
    // Waits without limit for a thread that outlived Stop's limit.
    void AwaitAbandonedThread();
    // True on the buffer thread itself (a host calling the driver from its callback).
    bool OnBufferThread() { return threads_.OnBufferThread(); }

    // ---- device changes (W) ----
    ResetOutcome ForcedReset();
    // A reset when the stored paths are gone (or a reset is still owed); Done when none was due.
    ResetOutcome CheckedReset();
    bool ResetOwed() const { return resetOwed_; }
    TransferCounts Transfers();

private:
    struct Slot {
        int32_t* block = nullptr;
        Transfer* transfer = nullptr;  // made once per slot, replaced only when abandoned
        bool inFlight = false;
    };
    struct Orphan {
        int32_t* block;
        Transfer* transfer;
    };
    enum Direction { kOut = 0, kIn = 1 };

    Slot& SlotOf(Direction d, int pin, int k) { return slots_[d][pin * kSlotsPerPin + k]; }

    // engine_pins.cpp
    void ListPinsLocked();
    bool PrepareSlot(Slot& slot);
    bool OpenPin(int pin);
    bool SetRate(int pin);
    bool SetUpPins();
    bool StartAllPins();
    void ClosePinsLocked(bool sendStop);
    void DropPins();
    void Abandon(Slot& slot);
    void ReclaimCompleted();
    void FreeOrphans();

    // engine_passes.cpp
    static void ThreadBody(void* self);
    void RunThread();
    void RunPass();
    void HoldForReset();
    bool CheckpointOk() const { return running_.load() && !resetPending_.load(); }
    bool AwaitSlot(Slot& slot);
    bool AwaitRow(Direction d, int k);
    void Submit(Direction d, int pin, int k);
    bool SubmitRow(Direction d, int k);
    void StandardPass();
    void FastPass();
    void EndHalf(int h);
    void SwitchHalf(int h);

    // engine_host_buffers.cpp
    void CopyInputs(int h);
    void CopyOutputs(int h, int k);
    void input(int j, int h);
    void output(int j, int h, int k);

    // engine_streaming.cpp
    void StopLocked();
    void WakeThread();
    bool AwaitHold();
    void ReleaseHold();

    DeviceIo& device_;
    EngineThreads& threads_;
    SwitchTarget& target_;
    const EngineLimits limits_;
    std::mutex control_;  // H and W only

    // mixers and pins
    std::atomic<int> pinCount_{0};
    std::unique_ptr<PathList> paths_;
    bool pinOpen_[kMaxPins] = {};
    Slot slots_[2][kMaxPins * kSlotsPerPin];
    int pinList_[2][kMaxPins] = {};
    int pinListCount_[2] = {};
    std::vector<Orphan> orphans_;
    TransferCounts transfers_;

    // host buffers
    int32_t bufferFrames_ = 256;
    int32_t channels_[2][kMaxChannels] = {};
    int32_t* buffers_[2][kMaxChannels] = {};
    int count_[2] = {};
    CopyTiming copyTiming_;

    // the thread
    std::atomic<bool> streaming_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> startedOk_{false};
    std::unique_ptr<Signal> started_;
    int curOutBlock_ = 0;
    int primingHalves_ = 0;   // halves after PreparePins that find every slot free
    bool waitedThisHalf_ = false;
    std::atomic<uint32_t> wakes_{0};  // wakes raised by H and W
    uint32_t wakesSeen_ = 0;          // B's: the last count it cleared the device's wake for

    // the reset protocol
    std::atomic<bool> resetPending_{false};
    std::atomic<bool> held_{false};
    std::unique_ptr<Signal> heldSignal_;
    std::unique_ptr<Signal> releaseSignal_;
    bool resetOwed_ = false;

    uint64_t samplePosition_ = 0;
};

}  // namespace rkx::asio
