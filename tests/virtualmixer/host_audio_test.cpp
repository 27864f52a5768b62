// Audio the computer plays comes back through the mixer: USB receive channels feed the
// mixer channels their route names, and the round trip has a fixed, findable latency.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "rig_fixture.h"
#include "stream_helpers.h"

namespace rkx::vmix::test {
namespace {

constexpr uint32_t kFrames = 256;
constexpr uint32_t kHostBin = 20;  // 3750 Hz: no analog source uses it
constexpr int32_t kHostPeak = VMIX_SOURCE_PEAK;

struct Loop {
    const char* name;
    uint32_t receiveChannel;
    uint32_t route;        // 0 CH1, 1 CH2, 2 AUX
    uint8_t selectors[3];
    uint32_t sendChannel;
    uint32_t sendSource;
    double gain;
};

const Loop kLoops[] = {
    {"receive 0 into CH1 back on CH1 post-fader", 0, 0, {4, 4, 2}, 0, 2, 0.5},
    {"receive 1 into CH2 back on CH2 post-fader", 1, 1, {4, 4, 2}, 1, 2, 0.5},
    {"receive 0 routed to CH2 back on CH2 post-fader", 0, 1, {4, 4, 2}, 2, 2, 0.5},
    {"receive 2 into AUX on USB back on the AUX send", 2, 2, {4, 4, 4}, 0, 6, 1.0},
    {"receive 0 into CH1 back on the recording mix", 0, 0, {4, 4, 2}, 0, 7, 0.5 * 0.7071},
    {"receive 0 not heard while CH1 is on phono", 0, 0, {1, 4, 2}, 0, 2, 0.0},
    {"receive 0 routed to CH2 not heard on CH1", 0, 1, {4, 4, 2}, 0, 2, 0.0},
};

class HostAudio : public RigTest, public ::testing::WithParamInterface<Loop> {};

TEST_P(HostAudio, PlayedToneComesBackOnTheSendItIsRoutedTo)
{
    const Loop& l = GetParam();
    for (uint32_t c = 0; c < 3; ++c) ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, c, l.selectors[c]));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_RECEIVE_ROUTE, l.receiveChannel, l.route));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SEND_SOURCE, l.sendChannel, l.sendSource));
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, kFrames));
    StreamPlan plan;
    plan.frames = kFrames;
    plan.blocks = 12;
    plan.fill = [&](std::span<int32_t> block, uint64_t first) {
        AddReceiveTone(block, first, l.receiveChannel, kHostBin, kHostPeak);
    };
    const StreamRun run = RunStream(pin, plan);
    ASSERT_TRUE(run.ok) << run.failure;
    for (uint32_t side = 0; side < 2; ++side) {
        SCOPED_TRACE("side " + std::to_string(side));
        std::vector<double> levels;
        for (uint32_t block = 4; block < run.completions; ++block)
            levels.push_back(BlockTone(run.input, kFrames, block, 2 * l.sendChannel + side, kHostBin));
        ASSERT_GE(levels.size(), 4u);
        if (l.gain == 0.0) {
            // Silence is silence in every block, however late the host was.
            EXPECT_LT(*std::max_element(levels.begin(), levels.end()), kHostPeak * 0.001);
        } else {
            // A block the loaded host queued too late comes back silent; the route is judged
            // on the typical block.
            std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
            EXPECT_NEAR(levels[levels.size() / 2], kHostPeak * l.gain, kHostPeak * l.gain * 0.05);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Routes, HostAudio, ::testing::ValuesIn(kLoops), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

// Index of the first frame of sub-channel 0 above half of `threshold`, or -1.
int64_t FirstPulse(const std::vector<int32_t>& input, int64_t threshold)
{
    for (size_t frame = 0; frame * RKX_CHANNELS_PER_PIN < input.size(); ++frame) {
        if (std::llabs(static_cast<int64_t>(input[frame * RKX_CHANNELS_PER_PIN])) > threshold / 2)
            return static_cast<int64_t>(frame);
    }
    return -1;
}

TEST_F(RigTest, RoundTripLatencyOfAPulseIsFoundAndStable)
{
    // CH1 on USB with nothing else on the post-fader send: only the host's pulse comes back.
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SEND_SOURCE, 0, 2));
    constexpr uint64_t kPulseFrame = 5 * kFrames + 37;
    // A run in which the mixer ran dry or found no read queued has its blocks shifted by a
    // whole period, which says nothing about the round trip; only runs the host kept fed are
    // compared, and a loaded host gets a few more tries to give two of them.
    constexpr int kAttempts = 12;
    std::vector<int64_t> latencies;
    for (int attempt = 0; attempt < kAttempts && latencies.size() < 2; ++attempt) {
        ASSERT_TRUE(rig.ClearStats());
        PinStream pin;
        ASSERT_TRUE(OpenConfigured(pin, 0, kFrames));
        StreamPlan plan;
        plan.frames = kFrames;
        plan.blocks = 16;
        plan.fill = [&](std::span<int32_t> block, uint64_t first) {
            if (kPulseFrame >= first && kPulseFrame < first + kFrames)
                block[(kPulseFrame - first) * RKX_CHANNELS_PER_PIN] = kHostPeak;
        };
        const StreamRun run = RunStream(pin, plan);
        ASSERT_TRUE(run.ok) << run.failure;
        const VmixStats stats = StatsOf(0);
        if (stats.hostUnderruns != 0 || stats.lateReads != 0) continue;
        const int64_t found = FirstPulse(run.input, kHostPeak / 2);
        ASSERT_GE(found, 0) << "the pulse never came back though every block was on time";
        const int64_t latency = found - static_cast<int64_t>(kPulseFrame);
        EXPECT_GE(latency, 0) << "audio came back before it was played";
        EXPECT_LT(latency, 4 * static_cast<int64_t>(kFrames));
        RecordProperty("round_trip_frames", static_cast<int>(latency));
        latencies.push_back(latency);
    }
    ASSERT_EQ(latencies.size(), 2u) << "fewer than two of " << kAttempts << " runs kept every period fed";
    EXPECT_EQ(latencies[0], latencies[1]) << "the round trip differs between two runs";
}

}  // namespace
}  // namespace rkx::vmix::test
