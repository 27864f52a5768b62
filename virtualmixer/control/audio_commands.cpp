// Audio in and out of the rig: capture of what the host played, injection into a source.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "rig.h"
#include "virtualmixer/client/mixer_paths.h"
#include "virtualmixer/client/wav_file.h"

namespace vmixctl {
namespace {

std::optional<VmixAnalogSource> AnalogSource(const std::wstring& text)
{
    const std::string name = rkx::vmix::ToPrintable(text);
    for (uint32_t i = 0; i < VMIX_ANALOG_SOURCE_COUNT; ++i) {
        if (name == rkx::vmix::kAnalogSourceNames[i]) return static_cast<VmixAnalogSource>(i);
    }
    if (const auto index = rkx::vmix::ParseUnsigned(text, VMIX_ANALOG_SOURCE_COUNT - 1)) {
        return static_cast<VmixAnalogSource>(*index);
    }
    return std::nullopt;
}

}  // namespace

int Capture(Rig& rig)
{
    const auto& a = rig.args();
    if (a.size() != 3) return Rig::Usage("usage: capture N SECONDS out.wav");
    const auto mixer = Rig::Mixer(a[0]);
    if (!mixer) return Rig::Usage("mixer must be 0..3");
    const double maxSeconds = static_cast<double>(VMIX_MAX_CAPTURE_FRAMES) / RKX_SAMPLE_RATE;
    const auto seconds = rkx::vmix::ParseSeconds(a[1], maxSeconds);
    if (!seconds) return Rig::Usage("SECONDS must be more than 0 and at most 30");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;

    const auto frames = static_cast<uint32_t>(std::lround(*seconds * RKX_SAMPLE_RATE));
    if (!client->ArmCapture(*mixer, frames)) return Rig::Failed("arming the capture");
    std::printf("capturing %.1f s of what the host plays to mixer %u...\n", *seconds, *mixer);
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::lround(*seconds * 1000.0)));

    rkx::vmix::WavAudio audio;
    audio.channels = RKX_CHANNELS_PER_PIN;
    const bool fetched = client->FetchCapture(*mixer, audio.samples);
    const DWORD fetchError = GetLastError();
    client->ArmCapture(*mixer, 0);
    if (!fetched) {
        SetLastError(fetchError);
        return Rig::Failed("fetching the capture");
    }
    std::string error;
    if (!rkx::vmix::WriteWav(a[2], audio, error)) {
        std::fprintf(stderr, "vmixctl: %s\n", error.c_str());
        return kRigFailure;
    }
    std::printf("captured %zu frames (%.2f s, 8 channels) to %s\n", audio.frames(),
                static_cast<double>(audio.frames()) / RKX_SAMPLE_RATE, rkx::vmix::ToPrintable(a[2]).c_str());
    if (audio.frames() == 0) std::printf("nothing was played: is a host streaming to mixer %u?\n", *mixer);
    return kOk;
}

int Inject(Rig& rig)
{
    const auto& a = rig.args();
    if (a.size() != 3) return Rig::Usage("usage: inject N SOURCE in.wav | inject N SOURCE off");
    const auto mixer = Rig::Mixer(a[0]);
    if (!mixer) return Rig::Usage("mixer must be 0..3");
    const auto source = AnalogSource(a[1]);
    if (!source) return Rig::Usage("SOURCE must be ch1-phono, ch1-line, ch2-phono, ch2-line, mic or aux-line");
    const std::string sourceName = rkx::vmix::kAnalogSourceNames[*source];

    if (a[2] == L"off") {
        auto* client = rig.Client();
        if (client == nullptr) return kRigFailure;
        if (!client->ClearInjection(*mixer, *source)) return Rig::Failed("clearing the injection");
        std::printf("mixer %u %s back to its own tone\n", *mixer, sourceName.c_str());
        return kOk;
    }

    rkx::vmix::WavAudio wav;
    std::string error;
    if (!rkx::vmix::ReadWav(a[2], wav, error)) return Rig::Usage(error + ": " + rkx::vmix::ToPrintable(a[2]));
    if (wav.sampleRate != RKX_SAMPLE_RATE) return Rig::Usage("the WAV file must be 48000 Hz");
    if (wav.channels > 2) return Rig::Usage("the WAV file must be mono or stereo");
    if (wav.frames() == 0) return Rig::Usage("the WAV file holds no audio");
    if (wav.frames() > VMIX_MAX_INJECT_FRAMES) return Rig::Usage("the WAV file is longer than 30 s");
    std::vector<int32_t> stereo(wav.frames() * 2);
    for (size_t i = 0; i < wav.frames(); ++i) {
        stereo[2 * i] = wav.samples[i * wav.channels];
        stereo[2 * i + 1] = wav.samples[i * wav.channels + wav.channels - 1];
    }
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    if (!client->LoadInjection(*mixer, *source, stereo)) return Rig::Failed("loading the injection");
    std::printf("mixer %u %s now plays %s (%zu frames, looped)\n", *mixer, sourceName.c_str(),
                rkx::vmix::ToPrintable(a[2]).c_str(), wav.frames());
    return kOk;
}

}  // namespace vmixctl
