// Blocks complete at the audio rate whatever the block size: the host paces itself only on
// completions, so a fast or slow clock would play audio at the wrong speed.
#include "bench_fixture.h"
#include "stream_helpers.h"

namespace rkx::vmix::test {
namespace {

class StreamingRate : public BenchTest, public ::testing::WithParamInterface<uint32_t> {};

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
    // Wide bounds: this catches a wrong clock, not jitter.
    EXPECT_GT(run.completions, expected * 0.75);
    EXPECT_LT(run.completions, expected * 1.25 + 2);
    const VmixStats stats = StatsOf(0);
    EXPECT_GE(stats.blocksRead, run.completions);
    EXPECT_GE(stats.blocksWritten, run.completions);
    EXPECT_NEAR(stats.periodMeanUs, 1e6 * frames / RKX_SAMPLE_RATE, 0.25 * 1e6 * frames / RKX_SAMPLE_RATE);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, StreamingRate, ::testing::Values(64u, 256u, 4096u),
                         [](const auto& info) { return std::to_string(info.param) + "Frames"; });

}  // namespace
}  // namespace rkx::vmix::test
