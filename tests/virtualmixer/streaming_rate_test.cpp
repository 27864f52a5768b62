// Blocks complete at the audio rate whatever the block size: the host paces itself only on
// completions, so a fast or slow clock would play audio at the wrong speed.
#include "rig_fixture.h"
#include "stream_helpers.h"

namespace rkx::vmix::test {
namespace {

class StreamingRate : public RigTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(StreamingRate, CompletionsKeepToTheAudioRate)
{
    const uint32_t frames = GetParam();
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, frames));
    StreamPlan plan;
    plan.frames = frames;
    plan.seconds = 2.0;
    const StreamRun run = RunStream(pin, plan);
    ASSERT_TRUE(run.ok) << run.failure;
    const double expected = run.elapsedSeconds * RKX_SAMPLE_RATE / frames;
    // Wide bounds: this catches a wrong clock, not jitter. The mixer's clock runs its periods
    // whether or not a loaded machine let the host queue a block in time (those periods count
    // as host underruns), and skips the ones it overslept itself (counted as its slips), so
    // periods and slips together keep to the rate; completions can only be fewer.
    const VmixStats stats = StatsOf(0);
    EXPECT_GT(stats.periods + stats.clockSlips, expected * 0.9);
    EXPECT_LT(stats.periods + stats.clockSlips, expected * 1.1 + 2);
    EXPECT_GT(stats.periods, expected * 0.5) << "the clock slipped " << stats.clockSlips << " periods";
    EXPECT_LT(run.completions, expected * 1.25 + 2);
    EXPECT_GT(run.completions, expected * 0.25) << "the host is paced by completions and keeps streaming";
    EXPECT_GE(stats.blocksRead, run.completions);
    EXPECT_GE(stats.blocksWritten, run.completions);
    EXPECT_NEAR(stats.periodMeanUs, 1e6 * frames / RKX_SAMPLE_RATE, 0.25 * 1e6 * frames / RKX_SAMPLE_RATE);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, StreamingRate, ::testing::Values(64u, 256u, 4096u),
                         [](const auto& info) { return std::to_string(info.param) + "Frames"; });

}  // namespace
}  // namespace rkx::vmix::test
