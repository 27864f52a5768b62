// The tone measurement every audio test relies on: it must find a tone's level and ignore its
// neighbours on the 187.5 Hz grid.
#include <gtest/gtest.h>

#include <vector>

#include "virtualmixer/client/tone_analysis.h"

namespace rkx::vmix {
namespace {

TEST(ToneAnalysis, MeasuresTheLevelOfItsBinAndIgnoresOthers)
{
    constexpr int32_t kPeak = 0x20000000;
    const uint32_t frames = 512;
    std::vector<int32_t> stereo(2 * frames);
    for (uint32_t i = 0; i < frames; ++i) {
        stereo[2 * i] = ToneSample(4, kPeak, i) + ToneSample(9, kPeak / 4, i);
        stereo[2 * i + 1] = ToneSample(13, kPeak / 2, i + 17);  // phase does not matter
    }
    const struct {
        uint32_t channel;
        uint32_t bin;
        double level;
    } kCases[] = {{0, 4, kPeak}, {0, 9, kPeak / 4.0}, {0, 5, 0}, {1, 13, kPeak / 2.0}, {1, 4, 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE("channel " + std::to_string(c.channel) + " bin " + std::to_string(c.bin));
        EXPECT_NEAR(ToneAmplitude(stereo, 2, c.channel, c.bin, 0, frames), c.level, kPeak * 1e-6);
        EXPECT_NEAR(ToneAmplitude(stereo, 2, c.channel, c.bin, 256, 256), c.level, kPeak * 1e-6);
    }
}

TEST(ToneAnalysis, RangesOutsideTheDataMeasureNothing)
{
    std::vector<int32_t> mono(256, 1000);
    EXPECT_EQ(ToneAmplitude(mono, 1, 0, 0, 1, 256), 0.0);
    EXPECT_EQ(ToneAmplitude(mono, 1, 1, 0, 0, 256), 0.0);
    EXPECT_EQ(ToneAmplitude(mono, 0, 0, 0, 0, 256), 0.0);
    EXPECT_EQ(ToneAmplitude(mono, 1, 0, 0, 300, 1), 0.0);
}

}  // namespace
}  // namespace rkx::vmix
