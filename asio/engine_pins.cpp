// The engine's pins: finding the mixers, opening and setting up the pins the host's channels
// need, and closing them, with every transfer slot freed only once nothing is in flight on it.
#include <cstring>
#include <new>

#include "asio/stream_engine.h"
#include "common/mixer_requests.h"

namespace rkx::asio {
namespace {

constexpr int kRateAttempts = 10;
constexpr uint32_t kRateRetryMs = 100;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Device paths are ASCII; the system compares them without regard to case.
bool SamePath(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (Lower(*a) != Lower(*b)) return false;
    }
    return *a == *b;
}

}  // namespace

void StreamEngine::ListPinsLocked()
{
    pinCount_ = 0;
    if (!paths_ || !device_.ListPaths(*paths_)) return;
    pinCount_ = paths_->count < kMaxPins ? paths_->count : kMaxPins;
}

void StreamEngine::ListPins()
{
    std::lock_guard<std::mutex> lock(control_);
    ListPinsLocked();
}

bool StreamEngine::DeviceListChanged()
{
    std::unique_ptr<PathList> now(new (std::nothrow) PathList);
    if (!now || !device_.ListPaths(*now)) return true;
    std::lock_guard<std::mutex> lock(control_);
    const int known = pinCount_;
    if (known == 0) return now->count > 0;
    for (int p = 0; p < known; ++p) {
        bool found = false;
        for (int q = 0; q < now->count && q < kMaxPins && !found; ++q) found = SamePath(paths_->path[p], now->path[q]);
        if (!found) return true;
    }
    return false;
}

// A zeroed block and the slot's transfer record; a prepared slot is free.
bool StreamEngine::PrepareSlot(Slot& slot)
{
    // A slot whose transfer could not be given up is never reused.
    if (slot.inFlight) return false;
    delete[] slot.block;
    slot.block = new (std::nothrow) int32_t[size_t(bufferFrames_) * kChannelsPerPin]();
    if (slot.transfer == nullptr) slot.transfer = device_.NewTransfer();
    return slot.block != nullptr && slot.transfer != nullptr;
}

bool StreamEngine::OpenPin(int pin)
{
    if (pinOpen_[pin]) return true;
    if (!device_.Open(pin, paths_->path[pin])) return false;
    pinOpen_[pin] = true;
    return true;
}

bool StreamEngine::SetRate(int pin)
{
    const int32_t rate = RKX_SAMPLE_RATE;
    for (int attempt = 0; attempt < kRateAttempts; ++attempt) {
        switch (device_.Request(pin, IOCTL_STREAM_SET_RATE, &rate, sizeof(rate))) {
        case RequestResult::Succeeded:
            return true;
        case RequestResult::Broken:
            return false;
        case RequestResult::Failed:
            break;
        }
        if (attempt + 1 < kRateAttempts) threads_.Sleep(kRateRetryMs);
    }
    return false;
}

// Outputs first: a pin is opened for the first channel that needs it, in the host's order.
bool StreamEngine::SetUpPins()
{
    ReclaimCompleted();
    pinListCount_[kOut] = 0;
    pinListCount_[kIn] = 0;
    curOutBlock_ = 0;
    primingHalves_ = 2;
    bool listed[2][kMaxPins] = {};
    bool ok = true;
    for (Direction d : {kOut, kIn}) {
        for (int j = 0; j < count_[d] && ok; ++j) {
            const int p = channels_[d][j] / kChannelsPerPin;
            if (p >= pinCount_) continue;
            if (!OpenPin(p)) {
                ok = false;
                break;
            }
            if (listed[d][p]) continue;
            listed[d][p] = true;
            for (int k = 0; k < kSlotsPerPin; ++k) ok = PrepareSlot(SlotOf(d, p, k)) && ok;
            pinList_[d][pinListCount_[d]++] = p;
        }
    }
    for (int p = 0; p < pinCount_ && ok; ++p) {
        if (!pinOpen_[p]) continue;
        const int32_t frames = bufferFrames_;
        const int32_t outputs = pinListCount_[kOut];
        // A refused size or pin count leaves a stream that never moves: refuse to start.
        ok = SetRate(p) &&
             device_.Request(p, IOCTL_STREAM_SET_FRAMES, &frames, sizeof(frames)) == RequestResult::Succeeded &&
             device_.Request(p, IOCTL_STREAM_SET_OUTPUT_PINS, &outputs, sizeof(outputs)) == RequestResult::Succeeded;
    }
    if (!ok) ClosePinsLocked(true);
    return ok;
}

bool StreamEngine::PreparePins()
{
    std::lock_guard<std::mutex> lock(control_);
    if (streaming_) return false;
    // A thread that outlived an earlier stop must be gone before its blocks are replaced.
    threads_.AwaitThread();
    ClosePinsLocked(true);
    return SetUpPins();
}

bool StreamEngine::StartAllPins()
{
    for (int p = 0; p < pinCount_; ++p) {
        if (pinOpen_[p] && device_.Request(p, IOCTL_STREAM_START, nullptr, 0) != RequestResult::Succeeded) return false;
    }
    return true;
}

// No pass may run: the thread has ended, was never started, or is held. Transfers the thread
// issued cannot complete into a block once it has ended; a held thread's are waited for by
// DropPins instead.
void StreamEngine::ClosePinsLocked(bool sendStop)
{
    for (int p = 0; p < kMaxPins; ++p) {
        if (!pinOpen_[p]) continue;
        if (sendStop) device_.Request(p, IOCTL_STREAM_STOP, nullptr, 0);
        device_.Close(p);
        pinOpen_[p] = false;
        for (Direction d : {kOut, kIn}) {
            for (int k = 0; k < kSlotsPerPin; ++k) {
                Slot& slot = SlotOf(d, p, k);
                delete[] slot.block;
                slot.block = nullptr;
                slot.inFlight = false;
            }
        }
    }
    if (!threads_.ThreadExists()) FreeOrphans();
}

void StreamEngine::ClosePins()
{
    std::lock_guard<std::mutex> lock(control_);
    ClosePinsLocked(true);
}

// Reset only, with the thread held: its transfers on the closed pins end, and their
// completions reach it in its wait. One still in flight at the limit keeps its block and
// record until it completes; the slot gets new ones.
void StreamEngine::DropPins()
{
    const uint32_t began = threads_.MillisecondTick();
    bool closed[kMaxPins] = {};
    for (int p = 0; p < kMaxPins; ++p) {
        if (!pinOpen_[p]) continue;
        device_.Close(p);
        pinOpen_[p] = false;
        closed[p] = true;
    }
    for (int p = 0; p < kMaxPins; ++p) {
        if (!closed[p]) continue;
        for (Direction d : {kOut, kIn}) {
            for (int k = 0; k < kSlotsPerPin; ++k) {
                Slot& slot = SlotOf(d, p, k);
                while (slot.inFlight && !device_.Completed(slot.transfer) &&
                       threads_.MillisecondTick() - began < limits_.drainMs) {
                    threads_.Sleep(1);
                }
                if (slot.inFlight && !device_.Completed(slot.transfer)) {
                    Abandon(slot);
                } else {
                    delete[] slot.block;
                    slot.block = nullptr;
                    slot.inFlight = false;
                }
            }
        }
    }
}

void StreamEngine::Abandon(Slot& slot)
{
    try {
        orphans_.push_back(Orphan{slot.block, slot.transfer});
    } catch (...) {
        return;  // the slot keeps them and stays in flight: PrepareSlot refuses it
    }
    ++transfers_.abandoned;
    slot.block = nullptr;
    slot.transfer = nullptr;
    slot.inFlight = false;
}

void StreamEngine::ReclaimCompleted()
{
    for (size_t i = 0; i < orphans_.size();) {
        if (!device_.Completed(orphans_[i].transfer)) {
            ++i;
            continue;
        }
        delete[] orphans_[i].block;
        device_.FreeTransfer(orphans_[i].transfer);
        ++transfers_.reclaimed;
        orphans_[i] = orphans_.back();
        orphans_.pop_back();
    }
}

// Once the thread that issued them has ended, abandoned transfers can no longer complete into
// their blocks.
void StreamEngine::FreeOrphans()
{
    for (const Orphan& orphan : orphans_) {
        delete[] orphan.block;
        device_.FreeTransfer(orphan.transfer);
        ++transfers_.reclaimed;
    }
    orphans_.clear();
}

TransferCounts StreamEngine::Transfers()
{
    std::lock_guard<std::mutex> lock(control_);
    ReclaimCompleted();
    return transfers_;
}

}  // namespace rkx::asio
