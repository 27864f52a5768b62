// What the computer records: each send channel carries the analog source its selection and
// the mixer's selectors put there, at the mixer's gains.
#include <cctype>
#include <cmath>
#include <vector>

#include "rig_fixture.h"
#include "stream_helpers.h"

namespace rkx::vmix::test {
namespace {

constexpr uint32_t kFrames = 256;
constexpr uint32_t kBlocks = 12;
constexpr uint32_t kSettleBlocks = 3;

double Db(double db) { return std::pow(10.0, db / 20.0); }

struct Route {
    const char* name;
    uint8_t selectors[3];
    uint32_t boost;
    uint32_t sendChannel;
    uint32_t source;
    VmixAnalogSource expected;
    double gain;  // 0: the source must be absent
};

const Route kRoutes[] = {
    {"control tone of CH1 phono while CH1 is on USB", {4, 4, 2}, 3, 0, 0, VMIX_SOURCE_CH1_PHONO, Db(-19)},
    {"control tone of CH1 line while CH1 is on USB", {4, 4, 2}, 3, 0, 1, VMIX_SOURCE_CH1_LINE, Db(-19)},
    {"control tone boost level 0 is -5 dB", {4, 4, 2}, 0, 0, 0, VMIX_SOURCE_CH1_PHONO, Db(-5)},
    {"control tone boost level 1 is -10 dB", {4, 4, 2}, 1, 0, 0, VMIX_SOURCE_CH1_PHONO, Db(-10)},
    {"control tone boost level 2 is -15 dB", {4, 4, 2}, 2, 1, 1, VMIX_SOURCE_CH2_LINE, Db(-15)},
    {"no control tone while CH1 is on phono", {1, 4, 2}, 3, 0, 0, VMIX_SOURCE_CH1_PHONO, 0.0},
    {"CH1 post-fader with phono selected", {1, 4, 2}, 3, 0, 2, VMIX_SOURCE_CH1_PHONO, 0.5},
    {"CH1 post-fader with line selected", {2, 4, 2}, 3, 0, 2, VMIX_SOURCE_CH1_LINE, 0.5},
    {"CH1 cross-fader side", {1, 4, 2}, 3, 0, 3, VMIX_SOURCE_CH1_PHONO, 0.5 * 0.7071},
    {"CH2 post-fader on send channel 1", {4, 1, 2}, 3, 1, 2, VMIX_SOURCE_CH2_PHONO, 0.5},
    {"CH2 cross-fader side on send channel 0", {4, 2, 2}, 3, 0, 4, VMIX_SOURCE_CH2_LINE, 0.5 * 0.7071},
    {"MIC", {4, 4, 2}, 3, 0, 5, VMIX_SOURCE_MIC, 1.0},
    {"AUX channel with AUX line selected", {4, 4, 2}, 3, 1, 6, VMIX_SOURCE_AUX_LINE, 1.0},
    {"recording mix carries CH1 through its cross-fader side", {2, 4, 2}, 3, 0, 7, VMIX_SOURCE_CH1_LINE, 0.5 * 0.7071},
    {"recording mix carries MIC at half level", {4, 4, 2}, 3, 2, 0, VMIX_SOURCE_MIC, 0.5},
    {"send channel 2 CH2 post-fader", {4, 2, 2}, 3, 2, 2, VMIX_SOURCE_CH2_LINE, 0.5},
    {"send channel 2 selection 7 is silence", {1, 1, 2}, 3, 2, 7, VMIX_SOURCE_AUX_LINE, 0.0},
    {"send channel 3 is the recording mix at half level", {4, 4, 2}, 3, 3, 0, VMIX_SOURCE_AUX_LINE, 0.25},
};

class AudioRouting : public RigTest, public ::testing::WithParamInterface<Route> {};

TEST_P(AudioRouting, SendChannelCarriesTheSelectedSourceAtItsGain)
{
    const Route& r = GetParam();
    for (uint32_t c = 0; c < 3; ++c) ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, c, r.selectors[c]));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_BOOST_LEVEL, 0, r.boost));
    if (r.sendChannel < 3) {
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SEND_SOURCE, r.sendChannel, r.source));
    }

    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, kFrames));
    StreamPlan plan;
    plan.frames = kFrames;
    plan.blocks = kBlocks;
    const StreamRun run = RunStream(pin, plan);
    ASSERT_TRUE(run.ok) << run.failure;

    const uint32_t left = 2 * r.sendChannel;
    const uint32_t* bins = VMIX_SOURCE_TONE_BIN[r.expected];
    for (uint32_t block = kSettleBlocks; block < run.completions; ++block) {
        SCOPED_TRACE("block " + std::to_string(block));
        for (uint32_t side = 0; side < 2; ++side) {
            const double level = BlockTone(run.input, kFrames, block, left + side, bins[side]);
            if (r.gain == 0.0) {
                EXPECT_LT(level, kPeak * 0.001);
            } else {
                EXPECT_NEAR(level, kPeak * r.gain, kPeak * r.gain * 0.05);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, AudioRouting, ::testing::ValuesIn(kRoutes), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

TEST_F(RigTest, RecordedToneFollowsASendSourceChangeWhileStreaming)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, kFrames));
    constexpr uint32_t kSwitchAfter = 8;
    StreamPlan plan;
    plan.frames = kFrames;
    plan.blocks = 2 * kSwitchAfter + 4;
    plan.afterBlock = [&](uint32_t index) {
        if (index == kSwitchAfter) rig.SetValue(0, VMIX_VALUE_SEND_SOURCE, 0, 5);  // to MIC
    };
    const StreamRun run = RunStream(pin, plan);
    ASSERT_TRUE(run.ok) << run.failure;
    const uint32_t phono = VMIX_SOURCE_TONE_BIN[VMIX_SOURCE_CH1_PHONO][0];
    const uint32_t mic = VMIX_SOURCE_TONE_BIN[VMIX_SOURCE_MIC][0];
    // Before: the CH1 control tone only; well after: MIC only.
    EXPECT_GT(BlockTone(run.input, kFrames, 2, 0, phono), kPeak * 0.05);
    EXPECT_LT(BlockTone(run.input, kFrames, 2, 0, mic), kPeak * 0.001);
    const uint32_t last = run.completions - 1;
    EXPECT_LT(BlockTone(run.input, kFrames, last, 0, phono), kPeak * 0.001);
    EXPECT_GT(BlockTone(run.input, kFrames, last, 0, mic), kPeak * 0.9);
}

}  // namespace
}  // namespace rkx::vmix::test
