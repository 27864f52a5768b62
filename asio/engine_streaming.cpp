// Starting and stopping the engine's own buffer thread, and the reset that replaces the pins
// while the thread is held.
#include <new>

#include "asio/stream_engine.h"

namespace rkx::asio {
namespace {

constexpr int kResetAttempts = 5;

}  // namespace

StreamEngine::StreamEngine(DeviceIo& device, EngineThreads& threads, SwitchTarget& target, EngineLimits limits)
    : device_(device),
      threads_(threads),
      target_(target),
      limits_(limits),
      paths_(new (std::nothrow) PathList),
      started_(threads.NewSignal()),
      heldSignal_(threads.NewSignal()),
      releaseSignal_(threads.NewSignal())
{
}

StreamEngine::~StreamEngine()
{
    Stop();
    AwaitAbandonedThread();
    std::lock_guard<std::mutex> lock(control_);
    ClosePinsLocked(true);
    for (auto& direction : slots_) {
        for (Slot& slot : direction) {
            if (slot.transfer != nullptr) device_.FreeTransfer(slot.transfer);
            slot.transfer = nullptr;
        }
    }
    FreeHostBuffers();
}

bool StreamEngine::StartStreaming()
{
    std::lock_guard<std::mutex> lock(control_);
    if (streaming_) return false;
    if (!started_ || !heldSignal_ || !releaseSignal_) {
        ClosePinsLocked(true);
        return false;
    }
    // Nothing left over from an earlier session may release or report anything.
    started_->Clear();
    heldSignal_->Clear();
    releaseSignal_->Clear();
    device_.ClearWake();
    wakesSeen_ = wakes_.load();
    resetPending_ = false;
    resetOwed_ = false;
    held_ = false;
    stopRequested_ = false;
    startedOk_ = false;
    running_ = true;
    if (!threads_.StartThread(&StreamEngine::ThreadBody, this)) {
        running_ = false;
        ClosePinsLocked(true);
        return false;
    }
    started_->Wait(kForever);
    if (!startedOk_) {
        // The mixer refused to start: the thread ends without a pass.
        running_ = false;
        stopRequested_ = true;
        threads_.AwaitThread();
        ClosePinsLocked(true);
        return false;
    }
    streaming_ = true;
    return true;
}

// The device's wake first, then the count the thread compares: a thread that sees the new
// count clears a wake that is already set.
void StreamEngine::WakeThread()
{
    device_.Wake();
    wakes_.fetch_add(1);
}

void StreamEngine::StopLocked()
{
    running_ = false;
    stopRequested_ = true;
    streaming_ = false;
    // A host that stops from inside its own callback: the thread ends after this pass, and
    // its pins are closed by a later stop or release on another thread.
    if (threads_.OnBufferThread()) return;
    if (releaseSignal_) releaseSignal_->Set();
    WakeThread();
    // Blocks are freed only once the thread is out of its pass.
    if (threads_.JoinThread(limits_.stopWaitMs)) ClosePinsLocked(true);
}

void StreamEngine::Stop()
{
    std::lock_guard<std::mutex> lock(control_);
    StopLocked();
}

void StreamEngine::AwaitAbandonedThread()
{
    std::lock_guard<std::mutex> lock(control_);
    if (threads_.OnBufferThread() || !threads_.ThreadExists()) return;
    threads_.AwaitThread();
    ClosePinsLocked(true);
}

// True once the thread holds at its reset wait (or there is no thread to hold).
bool StreamEngine::AwaitHold()
{
    if (!threads_.ThreadExists()) return true;
    const uint32_t began = threads_.MillisecondTick();
    while (!held_.load()) {
        const uint32_t spent = threads_.MillisecondTick() - began;
        if (spent >= limits_.holdWaitMs) return held_.load();
        heldSignal_->Wait(limits_.holdWaitMs - spent);
    }
    return true;
}

void StreamEngine::ReleaseHold()
{
    resetPending_ = false;
    releaseSignal_->Set();
}

ResetOutcome StreamEngine::ForcedReset()
{
    std::lock_guard<std::mutex> lock(control_);
    if (!streaming_) return ResetOutcome::Done;
    // From here the thread submits nothing and holds at its next pass; the wake ends a wait
    // for a transfer that may never complete.
    resetPending_ = true;
    WakeThread();
    if (!AwaitHold()) {
        // Still inside a pass (the host's callback has not returned). Nothing was replaced:
        // the reset stays owed and the next notification, or the caller's retry, completes it.
        resetOwed_ = true;
        return ResetOutcome::ThreadBusy;
    }
    resetOwed_ = false;
    ListPinsLocked();
    if (pinCount_ == 0 || (pinListCount_[kOut] == 0 && pinListCount_[kIn] == 0)) return ResetOutcome::NoMixer;
    DropPins();
    for (int attempt = 0; attempt < kResetAttempts; ++attempt) {
        // Both must succeed: a set-up that failed has closed its pins, and starting no pin
        // reports success for nothing.
        if (SetUpPins() && StartAllPins()) {
            ReleaseHold();
            return ResetOutcome::Done;
        }
        ClosePinsLocked(true);
    }
    // The thread stays held (no buffer switches on closed pins) until a later reset succeeds
    // or stop releases it; the next notification tries again.
    resetOwed_ = true;
    return ResetOutcome::Failed;
}

ResetOutcome StreamEngine::CheckedReset()
{
    bool owed = false;
    {
        std::lock_guard<std::mutex> lock(control_);
        owed = resetOwed_;
    }
    return owed || DeviceListChanged() ? ForcedReset() : ResetOutcome::Done;
}

}  // namespace rkx::asio
