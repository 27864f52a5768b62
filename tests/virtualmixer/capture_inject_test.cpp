// The rig's audio taps: capture returns exactly what the host played; an injected signal
// replaces an analog source until cleared.
#include <algorithm>

#include "rig_fixture.h"
#include "stream_helpers.h"
#include "virtualmixer/client/tone_analysis.h"

namespace rkx::vmix::test {
namespace {

constexpr uint32_t kFrames = 256;

using RigAudio = RigTest;

TEST_F(RigAudio, CaptureHoldsTheBlocksTheHostPlayed)
{
    ASSERT_TRUE(rig.ArmCapture(0, 48000));
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, kFrames));
    // Every sample distinct: a ramp per sub-channel, so order and placement show.
    StreamPlan plan;
    plan.blocks = 30;
    plan.fill = [](std::span<int32_t> block, uint64_t first) {
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<int32_t>((first + i / RKX_CHANNELS_PER_PIN) * 16 + i % RKX_CHANNELS_PER_PIN + 1);
    };
    const StreamRun run = RunStream(pin, plan);
    ASSERT_TRUE(run.ok) << run.failure;
    pin.Close();

    std::vector<int32_t> captured;
    ASSERT_TRUE(rig.FetchCapture(0, captured));
    ASSERT_GE(captured.size(), static_cast<size_t>(30 * kFrames * RKX_CHANNELS_PER_PIN));
    ASSERT_EQ(captured.size() % RKX_CHANNELS_PER_PIN, 0u);
    // Underruns play silence; every played sample must be the host's own, in order.
    int64_t lastFrame = -1;
    size_t played = 0;
    for (size_t frame = 0; frame * RKX_CHANNELS_PER_PIN < captured.size(); ++frame) {
        const int32_t* f = &captured[frame * RKX_CHANNELS_PER_PIN];
        if (std::all_of(f, f + RKX_CHANNELS_PER_PIN, [](int32_t s) { return s == 0; })) continue;
        const int64_t hostFrame = (f[0] - 1) / 16;
        for (uint32_t c = 0; c < RKX_CHANNELS_PER_PIN; ++c)
            ASSERT_EQ(f[c], static_cast<int32_t>(hostFrame * 16 + c + 1)) << "frame " << frame << " channel " << c;
        ASSERT_EQ(hostFrame, lastFrame + 1) << "captured frames out of order at " << frame;
        lastFrame = hostFrame;
        ++played;
    }
    EXPECT_GE(played, static_cast<size_t>(30 * kFrames));
    EXPECT_TRUE(rig.ArmCapture(0, 0));
}

TEST_F(RigAudio, InjectedSignalReplacesTheSourceUntilCleared)
{
    constexpr uint32_t kInjectedBin = 30;
    std::vector<int32_t> stereo(2 * 4096);
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
        stereo[2 * i] = ToneSample(kInjectedBin, VMIX_SOURCE_PEAK, i);
        stereo[2 * i + 1] = ToneSample(kInjectedBin, VMIX_SOURCE_PEAK, i);
    }
    ASSERT_TRUE(rig.LoadInjection(0, VMIX_SOURCE_CH1_PHONO, stereo)) << "error " << GetLastError();
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, RKX_SELECTOR_POSITION_PHONO));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SEND_SOURCE, 0, 2));
    const uint32_t ownBin = VMIX_SOURCE_TONE_BIN[VMIX_SOURCE_CH1_PHONO][0];

    auto record = [&](StreamRun& run) {
        PinStream pin;
        ASSERT_TRUE(OpenConfigured(pin, 0, kFrames));
        StreamPlan plan;
        plan.blocks = 10;
        run = RunStream(pin, plan);
        ASSERT_TRUE(run.ok) << run.failure;
    };
    StreamRun injected;
    record(injected);
    EXPECT_NEAR(BlockTone(injected.input, kFrames, 6, 0, kInjectedBin), kPeak * 0.5, kPeak * 0.025);
    EXPECT_LT(BlockTone(injected.input, kFrames, 6, 0, ownBin), kPeak * 0.001);

    ASSERT_TRUE(rig.ClearInjection(0, VMIX_SOURCE_CH1_PHONO));
    StreamRun cleared;
    record(cleared);
    EXPECT_LT(BlockTone(cleared.input, kFrames, 6, 0, kInjectedBin), kPeak * 0.001);
    EXPECT_NEAR(BlockTone(cleared.input, kFrames, 6, 0, ownBin), kPeak * 0.5, kPeak * 0.025);
}

}  // namespace
}  // namespace rkx::vmix::test
