// The buffer thread: one per loaded module, paced by the pins' completion events.
#include <windows.h>
#include <mmsystem.h>

#include "asio/mmp_asio.h"

namespace rkx::asio {
namespace {

constexpr DWORD kStopWaitMs = 1000;

// Owned by the host's thread (start/stop); the buffer thread reads stopFlag and engine.
HANDLE threadHandle = nullptr;
HANDLE abandonedThread = nullptr;  // outlived StopBufferThread's limit
volatile bool stopFlag = false;
MMPAsio* volatile engine = nullptr;

// Every slot of the row has completed once (each completion signals its auto-reset event
// exactly once, so waiting for each in turn consumes one completion per pin).
bool WaitRow(HANDLE* const row, int count)
{
    for (int i = 0; i < count; ++i) {
        if (WaitForSingleObject(row[i], INFINITE) == WAIT_FAILED) return false;
    }
    return true;
}

// A pass that no completion paces (no open pin; the 64-frame pass without output pins) is
// held to the buffer period so the host is not called in a tight loop.
void PaceHalf(long frames)
{
    const DWORD ms = DWORD(frames * 1000 / 48000);
    Sleep(ms > 0 ? ms : 1);
}

DWORD WINAPI ASIOThread(LPVOID)
{
    try {
        if (MMPAsio* object = engine) object->StartAllPins();
    } catch (...) {
        OutputDebugStringA("ASIOThread::exception\n");
    }
    do {
        try {
            if (MMPAsio* object = engine) {
                object->RunPass();
            } else {
                Sleep(1);
            }
        } catch (...) {
            OutputDebugStringA("ASIOThread::exception\n");
            Sleep(1);
        }
    } while (!stopFlag);
    return 0;
}

}  // namespace

void MMPAsio::RunPass()
{
    if (running_ && resetPending_ != 0) {
        threadHeld = 1;
        SetEvent(heldEvent.get());
        WaitForSingleObject(resetEvent.get(), INFINITE);
        threadHeld = 0;
        resetPending_ = 0;
    }
    const bool paced = outPinCount > 0 || (bufferFrames != 64 && inPinCount > 0);
    if (bufferFrames != 64) {
        for (int h = 0; h < 2; ++h) {
            if (h == 0 && !CheckpointOk()) return;
            if (!WaitRow(outWait[h], outPinCount) || !CheckpointOk()) return;
            if (inPinCount > 0) {
                if (!WaitRow(inWait[h], inPinCount)) return;
                CopyInputs(h);
            }
            if (!CheckpointOk()) return;
            if (!paced) PaceHalf(bufferFrames);
            SwitchHalf(h);
            CopyOutputs(h, h);
            for (int i = 0; i < outPinCount; ++i) {
                SubmitWrite(outPinList[i], h);
                if (!CheckpointOk()) return;
            }
            for (int i = 0; i < inPinCount; ++i) {
                SubmitRead(inPinList[i], h);
                if (!CheckpointOk()) return;
            }
        }
        return;
    }
    for (int h = 0; h < 2; ++h) {
        if (h == 0 && !CheckpointOk()) return;
        if (!WaitRow(outWait[curOutBlock], outPinCount) || !CheckpointOk()) return;
        for (int i = 0; i < inPinCount; ++i) {
            SubmitRead(inPinList[i], h);
            if (!CheckpointOk()) return;
        }
        CopyInputs(h);
        if (!CheckpointOk()) return;
        if (!paced) PaceHalf(bufferFrames);
        SwitchHalf(h);
        CopyOutputs(h, curOutBlock);
        for (int i = 0; i < outPinCount; ++i) {
            SubmitWrite(outPinList[i], curOutBlock);
            if (!CheckpointOk()) return;
        }
        curOutBlock = (curOutBlock + 1) % 2;
    }
}

void MMPAsio::SwitchHalf(int h)
{
    systemTime = uint64_t(timeGetTime()) * 1000000u;
    currentHalf = h;
    samplePosition += uint64_t(bufferFrames);
    if (callbacks == nullptr) return;
    if (!timeInfoMode) {
        if (callbacks->bufferSwitch != nullptr) callbacks->bufferSwitch(h, ASIOFalse);
        return;
    }
    getSamplePosition(&asioTime.timeInfo.samplePosition, &asioTime.timeInfo.systemTime);
    asioTime.timeInfo.flags |= static_cast<unsigned long>(InterlockedExchange(&pendingTimeFlags, 0));
    if (timeCodeRead) {
        // 600 seconds ahead, in 64 bits in both builds.
        asioTime.timeCode.timeCodeSamples = AsioSamplesOf(samplePosition + 48000u * 600u);
    }
    if (callbacks->bufferSwitchTimeInfo != nullptr) callbacks->bufferSwitchTimeInfo(&asioTime, h, ASIOFalse);
    // A change flagged by setClockSource is reported in exactly one call.
    asioTime.timeInfo.flags &= ~static_cast<unsigned long>(kSampleRateChanged | kClockSourceChanged);
}

void StartBufferThread(MMPAsio* object)
{
    engine = object;
    stopFlag = false;
    // Raised before it runs a single instruction, so even its first transfers are queued at
    // the priority that keeps the device fed.
    threadHandle = CreateThread(nullptr, 0, ASIOThread, nullptr, CREATE_SUSPENDED, nullptr);
    if (threadHandle == nullptr) return;
    SetThreadPriority(threadHandle, THREAD_PRIORITY_TIME_CRITICAL);
    ResumeThread(threadHandle);
}

bool StopBufferThread()
{
    stopFlag = true;
    if (threadHandle == nullptr) return true;
    const bool ended = WaitForSingleObject(threadHandle, kStopWaitMs) == WAIT_OBJECT_0;
    if (ended) {
        CloseHandle(threadHandle);
    } else {
        // Still inside a pass (the host's callback has not returned): nothing it can touch
        // may be freed until it has ended.
        abandonedThread = threadHandle;
    }
    threadHandle = nullptr;
    return ended;
}

void AwaitAbandonedBufferThread()
{
    if (abandonedThread == nullptr) return;
    WaitForSingleObject(abandonedThread, INFINITE);
    CloseHandle(abandonedThread);
    abandonedThread = nullptr;
}

bool BufferThreadExists() { return threadHandle != nullptr || abandonedThread != nullptr; }

}  // namespace rkx::asio
