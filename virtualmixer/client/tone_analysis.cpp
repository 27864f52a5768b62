#include "virtualmixer/client/tone_analysis.h"

#include <cmath>
#include <numbers>

namespace rkx::vmix {

int32_t ToneSample(uint32_t bin, int32_t peak, uint64_t frame)
{
    // Reduce the phase first so long runs keep full precision.
    const uint64_t step = (static_cast<uint64_t>(bin) * frame) % kToneGridFrames;
    const double phase = 2.0 * std::numbers::pi * static_cast<double>(step) / kToneGridFrames;
    return static_cast<int32_t>(std::lround(peak * std::sin(phase)));
}

double ToneAmplitude(std::span<const int32_t> interleaved, uint32_t channels, uint32_t channel, uint32_t bin,
                     size_t firstFrame, size_t frames)
{
    if (channels == 0 || channel >= channels || frames == 0) return 0.0;
    const size_t available = interleaved.size() / channels;
    if (firstFrame > available || frames > available - firstFrame) return 0.0;

    double re = 0.0;
    double im = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double x = interleaved[(firstFrame + i) * channels + channel];
        const uint64_t step = (static_cast<uint64_t>(bin) * i) % kToneGridFrames;
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(step) / kToneGridFrames;
        re += x * std::cos(phase);
        im -= x * std::sin(phase);
    }
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(frames);
}

}  // namespace rkx::vmix
