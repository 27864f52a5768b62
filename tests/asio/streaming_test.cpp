// Streaming through the virtual mixer at the smallest, the default and the largest buffer
// size: buffer switches, sample positions, what reaches the mixer and what comes back.
#include <algorithm>
#include <string>

#include "driver_fixture.h"
#include "virtualmixer/client/tone_analysis.h"

namespace rkx::asio::test {
namespace {

constexpr unsigned kHangLimitMs = 30000;

struct Size {
    long frames;
    size_t switches;  // about a second of audio, at least a dozen switches
};

class Streaming : public DriverTest, public ::testing::WithParamInterface<Size> {
protected:
    // Streams the given channels until `switches` buffer switches were seen.
    void Stream(TestHost& host, const std::vector<HostChannel>& channels, size_t switches)
    {
        const long frames = GetParam().frames;
        driver = module.CreateDriver();
        ASSERT_NE(driver, nullptr);
        ASSERT_EQ(driver->init(nullptr), ASIOTrue);
        ASSERT_EQ(host.Create(driver, channels, frames), ASE_OK);
        ASSERT_EQ(driver->start(), ASE_OK);
        const bool reached = host.WaitForSwitches(switches, kHangLimitMs);
        EXPECT_EQ(driver->stop(), ASE_OK);
        ASSERT_TRUE(reached) << "only " << host.switches() << " buffer switches";
    }
    void TearDown() override
    {
        if (driver != nullptr) driver->Release();
        DriverTest::TearDown();
    }
    IASIO* driver = nullptr;
};

TEST_P(Streaming, SwitchesAlternateHalvesAndAdvanceTheSamplePosition)
{
    TestHost host;
    host.supportsTimeInfo = false;
    ASSERT_NO_FATAL_FAILURE(Stream(host, {{false, 0}, {false, 1}, {true, 0}}, GetParam().switches));
    const auto records = host.Records();
    ASSERT_GE(records.size(), GetParam().switches);
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("switch " + std::to_string(i));
        EXPECT_EQ(records[i].half, long(i % 2));
        EXPECT_EQ(records[i].samplePosition, uint64_t(i + 1) * uint64_t(GetParam().frames));
        EXPECT_FALSE(records[i].timeInfo) << "a host without time info only gets bufferSwitch";
    }
}

TEST_P(Streaming, TimeInfoCarriesPositionAndTimeCodeSixHundredSecondsAhead)
{
    TestHost host;
    driver = module.CreateDriver();
    ASSERT_NE(driver, nullptr);
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASSERT_EQ(host.Create(driver, {{false, 0}, {true, 0}}, GetParam().frames), ASE_OK);
    ASSERT_EQ(driver->future(kAsioEnableTimeCodeRead, nullptr), ASE_SUCCESS);
    ASSERT_EQ(driver->start(), ASE_OK);
    const bool reached = host.WaitForSwitches(6, kHangLimitMs);
    ASSERT_EQ(driver->setClockSource(0), ASE_OK);
    const size_t flaggedAfter = host.switches();
    const bool reachedMore = host.WaitForSwitches(flaggedAfter + 6, kHangLimitMs);
    driver->stop();
    ASSERT_TRUE(reached && reachedMore) << host.switches();

    const auto records = host.Records();
    int clockChanged = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("switch " + std::to_string(i));
        const uint64_t position = uint64_t(i + 1) * uint64_t(GetParam().frames);
        ASSERT_TRUE(records[i].timeInfo);
        EXPECT_EQ(records[i].timeInfoPosition, position);
        EXPECT_EQ(records[i].timeCodeSamples, position + 48000u * 600u);
        EXPECT_EQ(records[i].timeInfoFlags & 7u, 7u);
        if (records[i].timeInfoFlags & kClockSourceChanged) {
            ++clockChanged;
            EXPECT_GE(i, flaggedAfter - 1) << "flagged only after setClockSource";
        }
    }
    EXPECT_EQ(clockChanged, 1) << "setClockSource(0) is reported in exactly one call";
}

TEST_P(Streaming, OutputChannelReachesItsSubChannelAndOthersStaySilent)
{
    const uint32_t captureFrames = 48000;
    ASSERT_TRUE(rig.ArmCapture(0, captureFrames));
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(Stream(host, {{false, 3}, {false, 6}, {false, 9}}, GetParam().switches));
    std::vector<int32_t> captured;
    ASSERT_TRUE(rig.FetchCapture(0, captured));
    const size_t frames = captured.size() / 8;
    ASSERT_GT(frames, size_t(GetParam().frames) * 4);

    size_t tagged = 0, consecutive = 0;
    for (size_t f = 0; f < frames; ++f) {
        const int32_t* frame = &captured[f * 8];
        for (int c : {0, 1, 2, 4, 5, 7}) ASSERT_EQ(frame[c], 0) << "sub-channel " << c << " frame " << f;
        for (int c : {3, 6}) {
            if (frame[c] == 0) continue;
            ASSERT_EQ(uint32_t(frame[c]) >> 24, uint32_t(c + 1)) << "sub-channel " << c << " frame " << f;
        }
        if (frame[3] != 0) {
            ++tagged;
            if (f > 0 && captured[(f - 1) * 8 + 3] == frame[3] - 1) ++consecutive;
        }
    }
    // Under load the mixer plays silence where a block came late: a few dozen blocks suffice.
    EXPECT_GT(tagged, size_t(GetParam().frames) * 8);
    // Underruns under Wine break the ramp now and then; the order of the frames must hold.
    EXPECT_GT(consecutive, tagged * 8 / 10);
}

TEST_P(Streaming, PlayedToneComesBackOnTheRightInputBuffers)
{
    // Host output 0/1 -> mixer CH1 (selector on USB) -> send channel 0 post-fader -> input 0/1.
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, RKX_SELECTOR_POSITION_USB));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SEND_SOURCE, 0, 2));
    TestHost host;
    host.signal = OutputSignal::Tone;
    const size_t switches = GetParam().switches + 8;
    ASSERT_NO_FATAL_FAILURE(Stream(host, {{false, 0}, {false, 1}, {true, 0}, {true, 1}, {true, 2}, {true, 0}},
                                   switches));
    const size_t skip = size_t(GetParam().frames) * 8;  // let the loop settle
    // Under load the mixer plays silence where a block came late; the loudest stretch of whole
    // grid windows shows what the routing delivers.
    auto loudest = [&](const std::vector<int32_t>& in) {
        const size_t window = vmix::kToneGridFrames;
        double level = 0;
        for (size_t first = skip; first + window <= in.size(); first += window) {
            level = std::max(level, vmix::ToneAmplitude(in, 1, 0, host.toneBin, first, window));
        }
        return level;
    };
    for (size_t j : {0u, 1u, 3u}) {
        const auto in = host.InputOf(j);
        ASSERT_GT(in.size(), skip + vmix::kToneGridFrames * 4);
        EXPECT_NEAR(loudest(in), host.tonePeak * 0.5, host.tonePeak * 0.1) << "input entry " << j;
    }
    const auto other = host.InputOf(2);
    const size_t length = (other.size() - skip) / vmix::kToneGridFrames * vmix::kToneGridFrames;
    EXPECT_LT(vmix::ToneAmplitude(other, 1, 0, host.toneBin, skip, length), host.tonePeak * 0.01)
        << "input 2 carries another send";
}

INSTANTIATE_TEST_SUITE_P(BufferSizes, Streaming,
                         ::testing::Values(Size{64, 400}, Size{256, 150}, Size{4096, 14}),
                         [](const auto& info) { return "Frames" + std::to_string(info.param.frames); });

}  // namespace
}  // namespace rkx::asio::test

namespace rkx::asio::test {
namespace {

// A thread with no completion to pace it (no open pin; the 64-frame pass without output pins)
// keeps to the buffer period instead of calling the host in a tight loop.
TEST_F(DriverTest, UnpacedPassesKeepToTheBufferPeriod)
{
    struct Case {
        const char* name;
        std::vector<HostChannel> channels;
        long frames;
    };
    const Case cases[] = {
        {"only a channel of an absent mixer", {{false, 12}, {true, 9}}, 256},
        {"64 frames with inputs only", {{true, 0}, {true, 1}}, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriverRef driver(module.CreateDriver());
        TestHost host;
        ASSERT_EQ(driver->init(nullptr), ASIOTrue);
        ASSERT_EQ(host.Create(driver.driver, c.channels, c.frames), ASE_OK);
        ASSERT_EQ(driver->start(), ASE_OK);
        EXPECT_TRUE(host.WaitForSwitches(4, 30000)) << "the host is still called";
        const DWORD begin = GetTickCount();
        Sleep(1000);
        const size_t switches = host.switches();
        const DWORD elapsed = GetTickCount() - begin;
        driver->stop();
        // A spinning thread makes tens of thousands of calls a second; the period allows
        // elapsed / period (750 at 64 frames). Four times that is still far from a spin.
        const double allowed = 4.0 * (elapsed + 200) * 48.0 / double(c.frames);
        EXPECT_LT(double(switches), allowed);
    }
}

}  // namespace
}  // namespace rkx::asio::test

namespace rkx::asio::test {
namespace {

// Channels of a mixer's capture that carry the ramp of host output channel `tag - 1`, and
// nothing else anywhere: every frame's sub-channel either is silent or carries its own tag.
struct CaptureCheck {
    size_t frames = 0;
    size_t tagged[8] = {};
};

CaptureCheck CheckCapture(const std::vector<int32_t>& captured, const int (&tags)[8])
{
    CaptureCheck check;
    check.frames = captured.size() / 8;
    for (size_t f = 0; f < check.frames; ++f) {
        for (int c = 0; c < 8; ++c) {
            const int32_t sample = captured[f * 8 + c];
            if (sample == 0) continue;
            EXPECT_EQ(uint32_t(sample) >> 24, uint32_t(tags[c])) << "sub-channel " << c << " frame " << f;
            if (uint32_t(sample) >> 24 != uint32_t(tags[c])) return check;
            ++check.tagged[c];
        }
    }
    return check;
}

// Two mixers stream together, paced by both pins: every host output reaches its own mixer's
// capture on its sub-channel, and the channels are named after their mixer.
TEST_F(DriverTest, TwoMixersStreamTheirOwnChannels)
{
    ASSERT_TRUE(rig.SetPlugged(1, true));
    ASSERT_TRUE(rig.ArmCapture(0, 48000));
    ASSERT_TRUE(rig.ArmCapture(1, 48000));
    DriverRef driver(module.CreateDriver());
    ASSERT_TRUE(driver);
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASIOChannelInfo info{};
    info.channel = 13;
    info.isInput = ASIOFalse;
    ASSERT_EQ(driver->getChannelInfo(&info), ASE_OK);
    EXPECT_STREQ(info.name, "RKX-T2 OUT 6(2)");

    TestHost host;
    ASSERT_EQ(host.Create(driver.driver, {{false, 2}, {false, 10}, {false, 13}, {true, 8}, {true, 1}}, 256), ASE_OK);
    ASSERT_EQ(driver->start(), ASE_OK);
    const bool reached = host.WaitForSwitches(150, 30000);
    EXPECT_EQ(driver->stop(), ASE_OK);
    ASSERT_TRUE(reached) << "only " << host.switches() << " buffer switches";
    EXPECT_GT(StatsOf(0).blocksWritten, 100u);
    EXPECT_GT(StatsOf(1).blocksWritten, 100u);

    // Ramp tags are the host channel number + 1: 3 on mixer 1's sub-channel 2; 11 and 14 on
    // mixer 2's sub-channels 2 and 5.
    std::vector<int32_t> first, second;
    ASSERT_TRUE(rig.FetchCapture(0, first));
    ASSERT_TRUE(rig.FetchCapture(1, second));
    const CaptureCheck one = CheckCapture(first, {0, 0, 3, 0, 0, 0, 0, 0});
    const CaptureCheck two = CheckCapture(second, {0, 0, 11, 0, 0, 14, 0, 0});
    ASSERT_GT(one.frames, 256u * 8);
    ASSERT_GT(two.frames, 256u * 8);
    // At least a few dozen blocks each; under load the mixers play silence now and then.
    EXPECT_GT(one.tagged[2], 256u * 24);
    EXPECT_GT(two.tagged[2], 256u * 24);
    EXPECT_EQ(two.tagged[5], two.tagged[2]) << "both channels of a mixer travel in the same blocks";
    EXPECT_EQ(host.InputOf(0).size(), host.InputOf(1).size()) << "inputs of both mixers are delivered together";
    EXPECT_GT(host.InputOf(0).size(), 0u);
}

}  // namespace
}  // namespace rkx::asio::test
