#include "stream_helpers.h"

#include <windows.h>

#include <algorithm>

#include "common/mixer_requests.h"
#include "virtualmixer/client/tone_analysis.h"

namespace rkx::vmix::test {

StreamRun RunStream(PinStream& pin, const StreamPlan& plan)
{
    StreamRun run;
    Transfer* writes[2];
    Transfer* reads[2];
    uint64_t nextFrame = 0;
    auto fill = [&](Transfer& write) {
        std::span<int32_t> block = write.samples();
        std::fill(block.begin(), block.end(), 0);
        if (plan.fill) plan.fill(block, nextFrame);
        nextFrame += plan.frames;
    };
    for (int slot = 0; slot < 2; ++slot) {
        writes[slot] = &pin.AddTransfer(IOCTL_STREAM_WRITE, plan.frames);
        reads[slot] = &pin.AddTransfer(IOCTL_STREAM_READ, plan.frames);
        fill(*writes[slot]);
        if (!writes[slot]->Submit(pin.handle()) || !reads[slot]->Submit(pin.handle())) {
            run.failure = "queueing failed, error " + std::to_string(GetLastError());
            return run;
        }
    }
    if (!pin.Start()) {
        run.failure = "start failed, error " + std::to_string(pin.lastError());
        return run;
    }
    const ULONGLONG start = GetTickCount64();
    // Wide: only here to turn a hang into a failure.
    const DWORD timeoutMs = std::max<DWORD>(3000, 20 * plan.frames * 1000 / RKX_SAMPLE_RATE);
    for (int slot = 0;; slot ^= 1) {
        const double elapsed = static_cast<double>(GetTickCount64() - start) / 1000.0;
        if (plan.blocks != 0 ? run.completions >= plan.blocks : elapsed >= plan.seconds) break;
        const HANDLE events[2] = {writes[slot]->event(), reads[slot]->event()};
        if (WaitForMultipleObjects(2, events, TRUE, timeoutMs) != WAIT_OBJECT_0) {
            run.failure = "no completion within " + std::to_string(timeoutMs) + " ms";
            break;
        }
        const bool wrote = writes[slot]->Collect(pin.handle());
        const bool read = reads[slot]->Collect(pin.handle());
        if (!wrote || !read) {
            run.failure = "transfer failed, error " + std::to_string(wrote ? reads[slot]->error() : writes[slot]->error());
            break;
        }
        const std::span<int32_t> in = reads[slot]->samples();
        run.input.insert(run.input.end(), in.begin(), in.end());
        if (plan.afterBlock) plan.afterBlock(run.completions);
        ++run.completions;
        fill(*writes[slot]);
        if (!writes[slot]->Submit(pin.handle()) || !reads[slot]->Submit(pin.handle())) {
            run.failure = "queueing failed, error " + std::to_string(GetLastError());
            break;
        }
    }
    run.elapsedSeconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
    pin.Stop();
    run.ok = run.failure.empty();
    return run;
}

void AddReceiveTone(std::span<int32_t> block, uint64_t firstFrame, uint32_t channel, uint32_t bin, int32_t peak)
{
    const size_t frames = block.size() / RKX_CHANNELS_PER_PIN;
    for (size_t i = 0; i < frames; ++i) {
        const int32_t sample = ToneSample(bin, peak, firstFrame + i);
        block[i * RKX_CHANNELS_PER_PIN + 2 * channel] = sample;
        block[i * RKX_CHANNELS_PER_PIN + 2 * channel + 1] = sample;
    }
}

double BlockTone(const std::vector<int32_t>& input, uint32_t frames, uint32_t block, uint32_t subChannel, uint32_t bin)
{
    return ToneAmplitude(input, RKX_CHANNELS_PER_PIN, subChannel, bin, static_cast<size_t>(block) * frames, frames);
}

}  // namespace rkx::vmix::test
