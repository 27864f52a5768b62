// The buffer thread: its passes in the two orders, paced by the transfers' completions.
// Nothing here allocates, locks or waits with a time limit.
#include "asio/stream_engine.h"
#include "common/mixer_requests.h"

namespace rkx::asio {
namespace {

constexpr char kThreadExceptionText[] = "ASIOThread::exception\n";

}  // namespace

void StreamEngine::ThreadBody(void* self) { static_cast<StreamEngine*>(self)->RunThread(); }

void StreamEngine::RunThread()
{
    bool started = false;
    try {
        started = StartAllPins();
    } catch (...) {
        threads_.DebugText(kThreadExceptionText);
    }
    // Start learns the mixer's answer before the first pass, from the thread that keeps it fed.
    startedOk_ = started;
    started_->Set();
    if (!started) return;
    do {
        try {
            RunPass();
        } catch (...) {
            threads_.DebugText(kThreadExceptionText);
            threads_.Sleep(1);
        }
    } while (!stopRequested_.load());
}

void StreamEngine::RunPass()
{
    // A wake from here on is news; one from before is answered by the flags read below. The
    // device's wake is cleared only when there was one, sparing a system call per pass.
    const uint32_t wakes = wakes_.load();
    if (wakes != wakesSeen_) {
        wakesSeen_ = wakes;
        device_.ClearWake();
    }
    if (resetPending_.load()) HoldForReset();
    if (bufferFrames_ == kFastPassFrames) {
        FastPass();
    } else {
        StandardPass();
    }
}

// While a reset is pending the pins and blocks are being replaced. The thread stays here
// until the reset that is pending now, or any that follows it at once, has finished: a
// release signal left over from an earlier reset or stop finds the flag still set.
void StreamEngine::HoldForReset()
{
    while (resetPending_.load() && !stopRequested_.load()) {
        held_.store(true);
        heldSignal_->Set();
        releaseSignal_->Wait(kForever);
        held_.store(false);
    }
}

// A slot is free when its transfer has completed. False ends the pass: a wake (stop or
// reset) or a failed wait, after which the thread pauses so a broken wait cannot spin.
bool StreamEngine::AwaitSlot(Slot& slot)
{
    if (!slot.inFlight) return true;
    switch (device_.Wait(slot.transfer)) {
    case WaitResult::Completed:
        slot.inFlight = false;
        waitedThisHalf_ = true;
        return true;
    case WaitResult::Woken:
        return false;
    case WaitResult::Failed:
        threads_.Sleep(1);
        return false;
    }
    return false;
}

bool StreamEngine::AwaitRow(Direction d, int k)
{
    for (int i = 0; i < pinListCount_[d]; ++i) {
        if (!AwaitSlot(SlotOf(d, pinList_[d][i], k))) return false;
    }
    return true;
}

void StreamEngine::Submit(Direction d, int pin, int k)
{
    if (!CheckpointOk() || pin >= pinCount_ || !pinOpen_[pin]) return;
    Slot& slot = SlotOf(d, pin, k);
    if (slot.block == nullptr || slot.transfer == nullptr) return;
    // Never reissue a slot whose previous transfer is still in flight.
    if (!AwaitSlot(slot)) return;
    const uint32_t code = d == kOut ? IOCTL_STREAM_WRITE : IOCTL_STREAM_READ;
    slot.inFlight = device_.Submit(pin, slot.transfer, code, slot.block, RkxBlockBytes(uint32_t(bufferFrames_)));
}

// Submits slot k of every pin of a direction; false once a stop or reset asks the pass to end.
bool StreamEngine::SubmitRow(Direction d, int k)
{
    for (int i = 0; i < pinListCount_[d]; ++i) {
        Submit(d, pinList_[d][i], k);
        if (!CheckpointOk()) return false;
    }
    return true;
}

// Each half waits for the transfers of its slots submitted two halves earlier (the first two
// halves after the pins were prepared find every slot free), takes the inputs, switches and
// submits the next transfers.
void StreamEngine::StandardPass()
{
    for (int h = 0; h < 2; ++h) {
        if (h == 0 && !CheckpointOk()) return;
        waitedThisHalf_ = false;
        if (!AwaitRow(kOut, h) || !CheckpointOk()) return;
        if (pinListCount_[kIn] > 0) {
            if (!AwaitRow(kIn, h)) return;
            CopyInputs(h);
        }
        if (!CheckpointOk()) return;
        EndHalf(h);
        CopyOutputs(h, h);
        if (!SubmitRow(kOut, h) || !SubmitRow(kIn, h)) return;
    }
}

// 64 frames: the output completions pace the pass and the two output blocks rotate on their
// own. The input of half h is the block its read filled two halves ago; that read is waited
// for and its block copied before the slot is read into again, which keeps the one block of
// input latency without reading a block under a pending request.
void StreamEngine::FastPass()
{
    for (int h = 0; h < 2; ++h) {
        if (h == 0 && !CheckpointOk()) return;
        waitedThisHalf_ = false;
        if (!AwaitRow(kOut, curOutBlock_) || !CheckpointOk()) return;
        if (!AwaitRow(kIn, h)) return;
        CopyInputs(h);
        if (!SubmitRow(kIn, h) || !CheckpointOk()) return;
        EndHalf(h);
        CopyOutputs(h, curOutBlock_);
        if (!SubmitRow(kOut, curOutBlock_)) return;
        curOutBlock_ = (curOutBlock_ + 1) % 2;
    }
}

// A half that no completion paced (no open pin, or transfers the device refused) is held to
// the buffer period, so the host is not called in a tight loop.
void StreamEngine::EndHalf(int h)
{
    if (primingHalves_ > 0) {
        --primingHalves_;
    } else if (!waitedThisHalf_) {
        const uint32_t ms = uint32_t(bufferFrames_) * 1000u / uint32_t(RKX_SAMPLE_RATE);
        threads_.Sleep(ms > 0 ? ms : 1);
    }
    SwitchHalf(h);
}

void StreamEngine::SwitchHalf(int h)
{
    const uint64_t systemTimeNs = uint64_t(threads_.MillisecondTick()) * 1000000u;
    samplePosition_ += uint64_t(bufferFrames_);
    target_.BufferSwitch(h, samplePosition_, systemTimeNs);
}

}  // namespace rkx::asio
