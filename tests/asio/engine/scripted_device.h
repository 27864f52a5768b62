// A scripted stand-in for the system under the streaming engine: pins, transfers and the
// buffer thread, all in plain C++. It logs every call, completes transfers at once or when
// the test says so, runs a test's hook inside any call (on the calling thread), and notes
// every use the Win32 contract forbids: a record reused or freed while its transfer is in
// flight, a transfer on a closed pin.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "asio/device_io.h"
#include "asio/stream_engine.h"

namespace rkx::asio::test {

enum class Call { Open, Close, Request, Submit, Wait, Wake, Switch, Sleep };

struct Event {
    Call call;
    int pin = -1;
    uint32_t code = 0;       // Request and Submit
    int record = -1;         // Submit and Wait: the transfer record's number
    int slot = -1;           // Submit and Wait: the record's slot index k (records are made two per pin)
    int half = -1;           // Switch
    long submission = -1;    // Submit: running number of the submission
    bool onBufferThread = false;
    WaitResult result = WaitResult::Completed;
};

class ScriptedDevice final : public DeviceIo, public EngineThreads {
public:
    ScriptedDevice();
    ~ScriptedDevice() override;

    // ---- the script (set before streaming) ----
    std::vector<std::string> paths{"\\\\?\\usb#vid_3c1a&pid_0052&mi_00#0#{x}\\wave1"};
    // Transfers complete as soon as they are submitted; otherwise when the test completes them.
    std::atomic<bool> writesCompleteAtOnce{true};
    std::atomic<bool> readsCompleteAtOnce{true};
    // Closing a pin ends its transfers (as the mixer's driver does); false: they stay in flight.
    std::atomic<bool> closeEndsTransfers{true};
    std::atomic<bool> threadFails{false};
    // The next `count` requests of `code` are refused, or cannot even be sent (no event).
    void Refuse(uint32_t code, int count);
    void Unsend(uint32_t code, int count);
    // Runs inside every call after it is logged, on the calling thread, without the lock.
    void SetHook(std::function<void(const Event&)> hook);
    // Runs when the buffer thread reads the clock for a switch's time stamp.
    void SetSwitchClockHook(std::function<void()> hook);

    // ---- what happened ----
    std::vector<Event> Events() const;
    std::vector<std::string> Violations() const;
    // Bytes a write carried, for the first submissions (index = submission number).
    std::vector<std::vector<int32_t>> Written() const;
    long Switches() const { return switches_.load(); }
    int OpenPins() const;
    // Waits up to `ms` until `pred` holds for the event log.
    bool WaitFor(const std::function<bool(const std::vector<Event>&)>& pred, unsigned ms) const;

    // ---- completions (any thread) ----
    // Completes the oldest transfer in flight with this code; false when none is in flight.
    bool CompleteOldest(uint32_t code);
    // Completes a transfer record in flight (its number as in Event::record).
    bool Complete(int record);
    // The samples a completed read leaves: submission number, frame and sub-channel.
    static int32_t ReadSample(long submission, int frame, int subChannel)
    {
        return int32_t(((submission + 1) << 16) | ((frame & 0xFFF) << 3) | subChannel);
    }

    // The host side of a switch: logged like a device call.
    void LogSwitch(int half);

    // DeviceIo
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

    // EngineThreads
    bool StartThread(void (*body)(void*), void* context) override;
    bool JoinThread(uint32_t ms) override;
    void AwaitThread() override { JoinThread(kForever); }
    bool ThreadExists() override;
    bool OnBufferThread() override;
    std::unique_ptr<Signal> NewSignal() override;
    void Sleep(uint32_t ms) override;
    uint32_t MillisecondTick() override;
    void DebugText(const char* text) override;

private:
    struct Record;
    void Log(Event event);
    void CompleteLocked(Record& record);
    void Violation(const std::string& text);

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::function<void(const Event&)> hook_;
    std::function<void()> switchClockHook_;
    std::map<uint32_t, int> refusals_;
    std::map<uint32_t, int> unsent_;
    std::vector<Event> events_;
    std::vector<std::string> violations_;
    std::vector<std::vector<int32_t>> written_;
    std::vector<Record*> records_;
    bool open_[kMaxPins] = {};
    bool wake_ = false;
    long submissions_ = 0;
    std::atomic<long> switches_{0};

    std::thread thread_;
    std::thread::id threadId_;
    bool threadDone_ = false;
};

// A host that writes a known value into every output half and keeps what it reads.
class ScriptedHost final : public SwitchTarget {
public:
    explicit ScriptedHost(ScriptedDevice& device) : device_(device) {}
    void Add(StreamEngine& engine, bool isInput, int32_t channel);
    void BufferSwitch(int half, uint64_t samplePosition, uint64_t systemTimeNs) override;
    // The position the engine gave with the last switch.
    std::atomic<uint64_t> lastPosition{0};

    // The value the host writes at switch s, output entry j, frame i.
    static int32_t Written(long s, size_t j, int i) { return int32_t(0x40000000 | (s << 16) | (int(j) << 12) | i); }
    // Input entry j as seen at switch s (frames of that switch), once streamed.
    std::vector<int32_t> InputAt(long s, size_t j) const;
    int32_t frames = 256;
    // Runs inside a switch (switch number), before the host fills its outputs.
    std::function<void(long)> onSwitch;

private:
    struct Entry {
        bool isInput;
        int32_t* halves[2];
    };
    ScriptedDevice& device_;
    std::vector<Entry> entries_;
    mutable std::mutex lock_;
    std::vector<std::vector<std::vector<int32_t>>> inputs_;  // [switch][input entry]
};

}  // namespace rkx::asio::test
