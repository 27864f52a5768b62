// analyze: which of the rig's signals a recording carries, half a second at a time, so a
// routing change can be seen in a file the host recorded.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "rig.h"
#include "virtualmixer/client/mixer_paths.h"
#include "virtualmixer/client/tone_analysis.h"
#include "virtualmixer/client/wav_file.h"

namespace vmixctl {
namespace {

struct Signal {
    const char* name;
    uint32_t bin;
};

// Left-channel bins: the analog sources' tones and the host's test tone.
std::vector<Signal> KnownSignals()
{
    std::vector<Signal> signals;
    for (uint32_t source = 0; source < VMIX_ANALOG_SOURCE_COUNT; ++source) {
        signals.push_back({rkx::vmix::kAnalogSourceNames[source], VMIX_SOURCE_TONE_BIN[source][0]});
    }
    signals.push_back({"host tone", rkx::vmix::kHostToneBin});
    return signals;
}

constexpr size_t kWindowFrames = 93 * rkx::vmix::kToneGridFrames;  // about half a second
constexpr double kAudibleLevel = 0.01;                                // of full scale

}  // namespace

int Analyze(Rig& rig)
{
    const auto& a = rig.args();
    if (a.size() != 2) return Rig::Usage("usage: analyze in.wav CHANNEL");
    rkx::vmix::WavAudio audio;
    std::string error;
    if (!rkx::vmix::ReadWav(a[0], audio, error)) return Rig::Failed(error);
    const auto channel = rkx::vmix::ParseUnsigned(a[1], audio.channels - 1u);
    if (!channel) return Rig::Usage("CHANNEL must be 0.." + std::to_string(audio.channels - 1u));

    const std::vector<Signal> signals = KnownSignals();
    std::printf("channel %u of %s, strongest signals per %.2f s\n", *channel, rkx::vmix::ToPrintable(a[0]).c_str(),
                static_cast<double>(kWindowFrames) / RKX_SAMPLE_RATE);
    for (size_t first = 0; first + kWindowFrames <= audio.frames(); first += kWindowFrames) {
        std::vector<std::pair<double, const char*>> heard;
        for (const Signal& signal : signals) {
            const double level = rkx::vmix::ToneAmplitude(audio.samples, audio.channels, *channel, signal.bin, first,
                                                          kWindowFrames) /
                                 2147483648.0;
            if (level >= kAudibleLevel) heard.emplace_back(level, signal.name);
        }
        std::sort(heard.rbegin(), heard.rend());
        std::printf("  %5.2f s ", static_cast<double>(first) / RKX_SAMPLE_RATE);
        if (heard.empty()) std::printf(" silence");
        for (const auto& [level, name] : heard) std::printf("  %s %.3f", name, level);
        std::printf("\n");
    }
    return kOk;
}

}  // namespace vmixctl
