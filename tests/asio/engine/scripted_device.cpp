#include "scripted_device.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "common/mixer_requests.h"

namespace rkx::asio::test {
namespace {

constexpr size_t kEventCapacity = 200000;
constexpr size_t kWrittenCapacity = 256;

class ScriptedSignal final : public Signal {
public:
    void Set() override
    {
        std::lock_guard<std::mutex> hold(lock_);
        set_ = true;
        changed_.notify_all();
    }
    void Clear() override
    {
        std::lock_guard<std::mutex> hold(lock_);
        set_ = false;
    }
    bool Wait(uint32_t ms) override
    {
        std::unique_lock<std::mutex> hold(lock_);
        if (ms == kForever) {
            changed_.wait(hold, [this] { return set_; });
        } else if (!changed_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return set_; })) {
            return false;
        }
        set_ = false;
        return true;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace

struct ScriptedDevice::Record final : Transfer {
    int number = 0;
    bool inFlight = false;
    bool signalled = false;  // completed and not yet taken by a Wait
    bool freed = false;
    int pin = -1;
    uint32_t code = 0;
    int32_t* block = nullptr;
    uint32_t bytes = 0;
    long submission = -1;
};

ScriptedDevice::ScriptedDevice() = default;

ScriptedDevice::~ScriptedDevice()
{
    if (thread_.joinable()) thread_.join();
    for (Record* record : records_) delete record;
}

void ScriptedDevice::Log(Event event)
{
    std::function<void(const Event&)> hook;
    {
        std::lock_guard<std::mutex> hold(lock_);
        event.onBufferThread = std::this_thread::get_id() == threadId_;
        if (events_.size() < kEventCapacity) events_.push_back(event);
        changed_.notify_all();
        hook = hook_;
    }
    if (hook) hook(event);
}

void ScriptedDevice::Violation(const std::string& text)
{
    if (violations_.size() < 100) violations_.push_back(text);
}

std::vector<Event> ScriptedDevice::Events() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return events_;
}

std::vector<std::string> ScriptedDevice::Violations() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return violations_;
}

std::vector<std::vector<int32_t>> ScriptedDevice::Written() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return written_;
}

int ScriptedDevice::OpenPins() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return int(std::count(std::begin(open_), std::end(open_), true));
}

bool ScriptedDevice::WaitFor(const std::function<bool(const std::vector<Event>&)>& pred, unsigned ms) const
{
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::milliseconds(ms), [&] { return pred(events_); });
}

void ScriptedDevice::CompleteLocked(Record& record)
{
    if (record.code == IOCTL_STREAM_READ && record.block != nullptr) {
        const int frames = int(record.bytes / RKX_BYTES_PER_FRAME);
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < int(RKX_CHANNELS_PER_PIN); ++c) {
                record.block[i * RKX_CHANNELS_PER_PIN + c] = ReadSample(record.submission, i, c);
            }
        }
    }
    record.inFlight = false;
    record.signalled = true;
    changed_.notify_all();
}

bool ScriptedDevice::CompleteOldest(uint32_t code)
{
    std::lock_guard<std::mutex> hold(lock_);
    Record* oldest = nullptr;
    for (Record* r : records_) {
        if (r->inFlight && r->code == code && (oldest == nullptr || r->submission < oldest->submission)) oldest = r;
    }
    if (oldest == nullptr) return false;
    CompleteLocked(*oldest);
    return true;
}

bool ScriptedDevice::Complete(int number)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (number < 0 || number >= int(records_.size()) || !records_[size_t(number)]->inFlight) return false;
    CompleteLocked(*records_[size_t(number)]);
    return true;
}

void ScriptedDevice::LogSwitch(int half)
{
    ++switches_;
    Event event{Call::Switch};
    event.half = half;
    Log(event);
}

bool ScriptedDevice::ListPaths(PathList& list)
{
    list.count = 0;
    for (const std::string& path : paths) {
        if (list.count == kMaxPins) break;
        std::snprintf(list.path[list.count++], kPathBytes, "%s", path.c_str());
    }
    return true;
}

bool ScriptedDevice::Open(int pin, const char* path)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (open_[pin]) Violation("pin opened twice");
        const bool present = std::find(paths.begin(), paths.end(), std::string(path)) != paths.end();
        if (!present) return false;
        open_[pin] = true;
    }
    Event event{Call::Open};
    event.pin = pin;
    Log(event);
    return true;
}

void ScriptedDevice::Close(int pin)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        open_[pin] = false;
        if (closeEndsTransfers) {
            for (Record* r : records_) {
                if (r->inFlight && r->pin == pin) CompleteLocked(*r);
            }
        }
    }
    Event event{Call::Close};
    event.pin = pin;
    Log(event);
}

RequestResult ScriptedDevice::Request(int pin, uint32_t code, const void*, uint32_t)
{
    RequestResult result = RequestResult::Succeeded;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!open_[pin]) Violation("request on a closed pin");
        if (unsent_[code] > 0) {
            --unsent_[code];
            result = RequestResult::Broken;
        } else if (refusals_[code] > 0) {
            --refusals_[code];
            result = RequestResult::Failed;
        }
    }
    Event event{Call::Request};
    event.pin = pin;
    event.code = code;
    Log(event);
    return result;
}

void ScriptedDevice::SetHook(std::function<void(const Event&)> hook)
{
    std::lock_guard<std::mutex> hold(lock_);
    hook_ = std::move(hook);
}

void ScriptedDevice::SetSwitchClockHook(std::function<void()> hook)
{
    std::lock_guard<std::mutex> hold(lock_);
    switchClockHook_ = std::move(hook);
}

void ScriptedDevice::Refuse(uint32_t code, int count)
{
    std::lock_guard<std::mutex> hold(lock_);
    refusals_[code] = count;
}

void ScriptedDevice::Unsend(uint32_t code, int count)
{
    std::lock_guard<std::mutex> hold(lock_);
    unsent_[code] = count;
}

Transfer* ScriptedDevice::NewTransfer()
{
    std::lock_guard<std::mutex> hold(lock_);
    auto* record = new Record;
    record->number = int(records_.size());
    records_.push_back(record);
    return record;
}

void ScriptedDevice::FreeTransfer(Transfer* transfer)
{
    auto* record = static_cast<Record*>(transfer);
    std::lock_guard<std::mutex> hold(lock_);
    if (record->freed) Violation("record freed twice");
    if (record->inFlight) Violation("record freed in flight");
    record->freed = true;  // kept, so later misuse is seen rather than undefined
}

bool ScriptedDevice::Submit(int pin, Transfer* transfer, uint32_t code, int32_t* block, uint32_t bytes)
{
    auto* record = static_cast<Record*>(transfer);
    Event event{Call::Submit};
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (record->inFlight) Violation("record reused in flight");
        if (record->freed) Violation("freed record used");
        if (!open_[pin]) Violation("transfer on a closed pin");
        record->inFlight = true;
        record->signalled = false;
        record->pin = pin;
        record->code = code;
        record->block = block;
        record->bytes = bytes;
        record->submission = submissions_++;
        if (code == IOCTL_STREAM_WRITE && written_.size() < kWrittenCapacity) {
            written_.resize(size_t(record->submission) + 1);
            written_.back().assign(block, block + bytes / sizeof(int32_t));
        }
        const bool atOnce = code == IOCTL_STREAM_WRITE ? writesCompleteAtOnce : readsCompleteAtOnce;
        if (atOnce) CompleteLocked(*record);
        event.pin = pin;
        event.code = code;
        event.record = record->number;
        event.slot = record->number % 2;
        event.submission = record->submission;
    }
    Log(event);
    return true;
}

bool ScriptedDevice::Completed(const Transfer* transfer)
{
    std::lock_guard<std::mutex> hold(lock_);
    return !static_cast<const Record*>(transfer)->inFlight;
}

WaitResult ScriptedDevice::Wait(Transfer* transfer)
{
    auto* record = static_cast<Record*>(transfer);
    Event event{Call::Wait};
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return record->signalled || wake_; });
        if (record->signalled) {
            record->signalled = false;
            event.result = WaitResult::Completed;
        } else {
            event.result = WaitResult::Woken;
        }
        event.record = record->number;
        event.slot = record->number % 2;
        event.code = record->code;
        event.pin = record->pin;
    }
    Log(event);
    return event.result;
}

void ScriptedDevice::Wake()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        wake_ = true;
        changed_.notify_all();
    }
    Log(Event{Call::Wake});
}

void ScriptedDevice::ClearWake()
{
    std::lock_guard<std::mutex> hold(lock_);
    wake_ = false;
}

bool ScriptedDevice::StartThread(void (*body)(void*), void* context)
{
    if (threadFails || thread_.joinable()) return false;
    std::unique_lock<std::mutex> hold(lock_);
    threadDone_ = false;
    thread_ = std::thread([this, body, context] {
        {
            // The thread's own calls are told apart from the moment it runs.
            std::lock_guard<std::mutex> started(lock_);
        }
        body(context);
        std::lock_guard<std::mutex> done(lock_);
        threadDone_ = true;
        changed_.notify_all();
    });
    threadId_ = thread_.get_id();
    return true;
}

bool ScriptedDevice::JoinThread(uint32_t ms)
{
    if (!thread_.joinable()) return true;
    {
        std::unique_lock<std::mutex> hold(lock_);
        if (ms == kForever) {
            changed_.wait(hold, [this] { return threadDone_; });
        } else if (!changed_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return threadDone_; })) {
            return false;
        }
    }
    thread_.join();
    std::lock_guard<std::mutex> hold(lock_);
    threadId_ = std::thread::id();
    // As on the system, the transfers a thread issued end with it.
    for (Record* r : records_) {
        if (r->inFlight) CompleteLocked(*r);
    }
    return true;
}

bool ScriptedDevice::ThreadExists() { return thread_.joinable(); }

bool ScriptedDevice::OnBufferThread()
{
    std::lock_guard<std::mutex> hold(lock_);
    return thread_.joinable() && std::this_thread::get_id() == threadId_;
}

std::unique_ptr<Signal> ScriptedDevice::NewSignal() { return std::make_unique<ScriptedSignal>(); }

void ScriptedDevice::Sleep(uint32_t ms)
{
    Event event{Call::Sleep};
    event.code = ms;
    Log(event);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint32_t ScriptedDevice::MillisecondTick()
{
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (thread_.joinable() && std::this_thread::get_id() == threadId_) hook = switchClockHook_;
    }
    if (hook) hook();
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void ScriptedDevice::DebugText(const char*) {}

void ScriptedHost::Add(StreamEngine& engine, bool isInput, int32_t channel)
{
    Entry entry{isInput, {nullptr, nullptr}};
    engine.AddHostBuffer(isInput, channel, entry.halves);
    entries_.push_back(entry);
}

void ScriptedHost::BufferSwitch(int half, uint64_t samplePosition, uint64_t)
{
    lastPosition = samplePosition;
    const long s = device_.Switches();
    if (onSwitch) onSwitch(s);
    std::vector<std::vector<int32_t>> seen;
    size_t output = 0;
    for (const Entry& entry : entries_) {
        int32_t* samples = entry.halves[half];
        if (entry.isInput) {
            seen.emplace_back(samples, samples + frames);
            continue;
        }
        for (int i = 0; i < frames; ++i) samples[i] = Written(s, output, i);
        ++output;
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (inputs_.size() < 512) inputs_.push_back(std::move(seen));
    }
    device_.LogSwitch(half);
}

std::vector<int32_t> ScriptedHost::InputAt(long s, size_t j) const
{
    std::lock_guard<std::mutex> hold(lock_);
    if (s < 0 || size_t(s) >= inputs_.size() || j >= inputs_[size_t(s)].size()) return {};
    return inputs_[size_t(s)][j];
}

}  // namespace rkx::asio::test
