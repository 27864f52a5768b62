#include "pin_session.h"

#include <windows.h>

#include <algorithm>
#include <exception>

#include "common/mixer_requests.h"
#include "virtualmixer/client/pin_stream.h"
#include "virtualmixer/client/tone_analysis.h"

namespace vmixstream {
namespace {

constexpr uint32_t kSlots = 2;
constexpr int32_t kTonePeak = 0x20000000;

std::string WithError(const std::string& what, DWORD error) { return what + " (error " + std::to_string(error) + ")"; }

class Clock {
public:
    Clock() { QueryPerformanceFrequency(&frequency_); }
    double NowMs() const
    {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency_.QuadPart);
    }

private:
    LARGE_INTEGER frequency_{};
};

// The calling thread's CPU time (kernel and user), 100 ns units.
uint64_t ThreadCpu()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    return (uint64_t(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
           (uint64_t(user.dwHighDateTime) << 32 | user.dwLowDateTime);
}

void FillOutput(rkx::vmix::Transfer& write, const SessionConfig& config, uint64_t firstFrame)
{
    std::span<int32_t> block = write.samples();
    std::fill(block.begin(), block.end(), 0);
    if (!config.toneOutChannel) return;
    const uint32_t left = 2 * *config.toneOutChannel;
    for (uint32_t i = 0; i < write.frames(); ++i) {
        const int32_t sample = rkx::vmix::ToneSample(rkx::vmix::kHostToneBin, kTonePeak, firstFrame + i);
        block[i * RKX_CHANNELS_PER_PIN + left] = sample;
        block[i * RKX_CHANNELS_PER_PIN + left + 1] = sample;
    }
}

void Stream(const SessionConfig& config, SessionResult& result)
{
    rkx::vmix::PinStream pin;
    if (!pin.Open(config.path)) {
        result.failure = WithError("cannot open the pin", pin.lastError());
        return;
    }
    if (!pin.Configure(config.frames)) {
        result.failure = WithError("stream setup failed", pin.lastError());
        return;
    }
    rkx::vmix::Transfer* writes[kSlots];
    rkx::vmix::Transfer* reads[kSlots];
    uint64_t nextFrame = 0;
    for (uint32_t slot = 0; slot < kSlots; ++slot) {
        writes[slot] = &pin.AddTransfer(IOCTL_STREAM_WRITE, config.frames);
        reads[slot] = &pin.AddTransfer(IOCTL_STREAM_READ, config.frames);
        if (!writes[slot]->ready() || !reads[slot]->ready()) {
            result.failure = "out of resources";
            return;
        }
        FillOutput(*writes[slot], config, nextFrame);
        nextFrame += config.frames;
        if (!writes[slot]->Submit(pin.handle()) || !reads[slot]->Submit(pin.handle())) {
            result.failure = WithError("queueing the first transfers failed", GetLastError());
            return;
        }
    }
    result.figures = std::make_unique<rkx::vmix::StreamFigures>(config.frames);
    const Clock clock;
    const double requestedMs = clock.NowMs();
    if (!pin.Start()) {
        result.failure = WithError("stream start failed", pin.lastError());
        return;
    }

    const double blockMs = 1000.0 * config.frames / RKX_SAMPLE_RATE;
    const auto timeoutMs = static_cast<DWORD>(std::max(2000.0, 8 * blockMs));
    double startMs = 0.0;
    double lastMs = 0.0;
    uint64_t firstCpu = 0;
    uint32_t slot = 0;
    // Timed from the first completion on: start-up is reported on its own.
    while (result.completions == 0 || clock.NowMs() - startMs < config.seconds * 1000.0) {
        const HANDLE events[2] = {writes[slot]->event(), reads[slot]->event()};
        if (WaitForMultipleObjects(2, events, TRUE, timeoutMs) != WAIT_OBJECT_0) {
            result.failure = "no completion within " + std::to_string(timeoutMs) + " ms";
            break;
        }
        const double nowMs = clock.NowMs();
        if (result.completions > 0) {
            result.figures->AddSwitch(static_cast<uint64_t>((nowMs - lastMs) * 1000.0));
        } else {
            startMs = nowMs;
            result.startupMs = nowMs - requestedMs;
            firstCpu = ThreadCpu();
        }
        lastMs = nowMs;
        ++result.completions;
        const bool wrote = writes[slot]->Collect(pin.handle());
        const bool read = reads[slot]->Collect(pin.handle());
        if (!wrote || !read) {
            ++result.failedTransfers;
            result.failure = WithError("a transfer failed", wrote ? reads[slot]->error() : writes[slot]->error());
            break;
        }
        if (config.record) {
            const std::span<int32_t> block = reads[slot]->samples();
            result.recorded.insert(result.recorded.end(), block.begin(), block.end());
        }
        FillOutput(*writes[slot], config, nextFrame);
        nextFrame += config.frames;
        if (!writes[slot]->Submit(pin.handle()) || !reads[slot]->Submit(pin.handle())) {
            result.failure = WithError("queueing a transfer failed", GetLastError());
            break;
        }
        slot = (slot + 1) % kSlots;
    }
    if (result.completions > 1) {
        result.cpuUsPerCompletion = static_cast<double>(ThreadCpu() - firstCpu) / 10.0 /
                                    static_cast<double>(result.completions - 1);
    }
    result.elapsedSeconds = result.completions > 0 ? (clock.NowMs() - startMs) / 1000.0 : 0.0;
    pin.Stop();
    pin.Close();
}

}  // namespace

SessionResult RunPinSession(const SessionConfig& config)
{
    SessionResult result;
    try {
        Stream(config, result);
    } catch (const std::exception& e) {
        result.failure = std::string("internal error: ") + e.what();
    } catch (...) {
        result.failure = "internal error";
    }
    return result;
}

}  // namespace vmixstream
