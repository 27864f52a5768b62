// vmixstream: streams to the virtual mixer's pins like a hardware-paced low-latency host and
// reports how regularly the blocks completed, as seen from user mode and by the mixer.
#include <cstdio>
#include <exception>
#include <thread>

#include "pin_session.h"
#include "probe_options.h"
#include "virtualmixer/client/command_line.h"
#include "virtualmixer/client/mixer_paths.h"
#include "virtualmixer/client/virtual_mixer_client.h"
#include "virtualmixer/client/wav_file.h"

namespace {

constexpr int kOk = 0;
constexpr int kRigFailure = 1;
constexpr int kUsageError = 2;

void PrintSession(const vmixstream::SessionConfig& config, const vmixstream::SessionResult& result)
{
    const double expected = result.elapsedSeconds * RKX_SAMPLE_RATE / config.frames;
    std::printf("mixer %u\n", config.mixer);
    if (result.startupMs >= 0) std::printf("  start-up: first completion %.1f ms after the start request\n", result.startupMs);
    std::printf("  completions %llu in %.2f s after the first, expected %.0f at 48 kHz (%.1f%%)\n",
                static_cast<unsigned long long>(result.completions), result.elapsedSeconds, expected,
                expected > 0 ? 100.0 * static_cast<double>(result.completions) / expected : 0.0);
    if (result.figures) {
        const rkx::vmix::StreamFigures& figures = *result.figures;
        const RkxTimingFigures periods = figures.Periods();
        std::printf("  completion period mean %.3f ms  p99 %.3f ms  max %.3f ms (user mode)\n", periods.meanUs / 1000.0,
                    periods.p99Us / 1000.0, periods.maxUs / 1000.0);
        std::printf("  missed %llu (%.2f%%)  late %llu (%.2f%%)  CPU %.1f us per completion\n",
                    static_cast<unsigned long long>(figures.missed()), figures.MissedPercent(),
                    static_cast<unsigned long long>(figures.late()), figures.LatePercent(), result.cpuUsPerCompletion);
        std::printf("  ");
        figures.PrintLine(result.cpuUsPerCompletion);
    }
    if (!result.failure.empty()) std::printf("  FAILED: %s\n", result.failure.c_str());
}

void PrintMixerCounters(rkx::vmix::VirtualMixerClient& client, uint32_t mixer)
{
    VmixStats s{};
    if (!client.GetStats(mixer, s)) {
        std::printf("  mixer counters unavailable (error %lu)\n", static_cast<unsigned long>(GetLastError()));
        return;
    }
    std::printf("  mixer: blocks written %u  read %u  host underruns %u  late reads %u  clock slips %u  cancelled %u\n",
                s.blocksWritten, s.blocksRead, s.hostUnderruns, s.lateReads, s.clockSlips, s.cancelled);
    std::printf("  mixer: period mean %.3f ms  p99 %.3f ms  max %.3f ms\n", s.periodMeanUs / 1000.0,
                s.periodP99Us / 1000.0, s.periodMaxUs / 1000.0);
    std::printf("  mixer: clock lateness mean %.3f ms  p99 %.3f ms  max %.3f ms\n", s.clockLateMeanUs / 1000.0,
                s.clockLateP99Us / 1000.0, s.clockLateMaxUs / 1000.0);
}

int Run()
{
    vmixstream::ProbeOptions options;
    std::string error;
    if (!vmixstream::ParseProbeOptions(rkx::vmix::CommandLineArguments(), options, error)) {
        std::fprintf(stderr, "vmixstream: %s\nRun 'vmixstream --help' for usage.\n", error.c_str());
        return kUsageError;
    }
    if (options.help) {
        std::fputs(vmixstream::kProbeUsage, stdout);
        return kOk;
    }

    rkx::vmix::VirtualMixerClient client;
    VmixStatus status{};
    std::vector<rkx::vmix::InterfaceInfo> interfaces;
    if (!client.IsOpen()) {
        std::fprintf(stderr, "vmixstream: the virtual mixer is not loaded (cannot open \\\\.\\RkxVirtualMixer, error %lu)\n",
                     static_cast<unsigned long>(client.OpenError()));
        return kRigFailure;
    }
    if (!client.GetStatus(status) || !client.ListInterfaces(interfaces)) {
        std::fprintf(stderr, "vmixstream: cannot read the virtual mixer's state (error %lu)\n",
                     static_cast<unsigned long>(GetLastError()));
        return kRigFailure;
    }
    const std::vector<uint32_t> mixers =
        options.allMixers ? rkx::vmix::PluggedMixers(status) : std::vector<uint32_t>{options.mixer};

    std::vector<vmixstream::SessionConfig> configs;
    for (uint32_t mixer : mixers) {
        vmixstream::SessionConfig config;
        config.mixer = mixer;
        config.path = rkx::vmix::MixerStreamPath(interfaces, mixer);
        config.frames = options.frames;
        config.seconds = options.seconds;
        config.toneOutChannel = options.toneOutChannel;
        config.record = configs.empty() && !options.recordPath.empty();
        if (config.path.empty()) {
            std::fprintf(stderr, "vmixstream: mixer %u is not plugged (no wave1 interface listed)\n", mixer);
            return kRigFailure;
        }
        configs.push_back(config);
    }
    if (configs.empty()) {
        std::fprintf(stderr, "vmixstream: no mixer is plugged\n");
        return kRigFailure;
    }

    std::printf("pins %zu\n", configs.size());
    for (const auto& config : configs)
        std::printf("  mixer %u %s\n", config.mixer, rkx::vmix::ToPrintable(config.path).c_str());
    std::printf("frames %u per block (%.3f ms), %.1f s%s\n", options.frames, 1000.0 * options.frames / RKX_SAMPLE_RATE,
                options.seconds, options.toneOutChannel ? ", 3 kHz tone out" : "");
    std::fflush(stdout);

    client.ClearStats();
    std::vector<vmixstream::SessionResult> results(configs.size());
    {
        std::vector<std::thread> threads;
        for (size_t i = 0; i < configs.size(); ++i)
            threads.emplace_back([&, i] { results[i] = vmixstream::RunPinSession(configs[i]); });
        for (auto& thread : threads) thread.join();
    }

    int code = kOk;
    for (size_t i = 0; i < configs.size(); ++i) {
        PrintSession(configs[i], results[i]);
        PrintMixerCounters(client, configs[i].mixer);
        if (!results[i].failure.empty() || results[i].completions == 0) code = kRigFailure;
    }
    if (!options.periodsPath.empty() && results.front().figures &&
        !results.front().figures->WriteDistribution(options.periodsPath, error)) {
        std::fprintf(stderr, "vmixstream: %s\n", error.c_str());
        return kRigFailure;
    }
    if (!options.recordPath.empty()) {
        rkx::vmix::WavAudio audio;
        audio.channels = RKX_CHANNELS_PER_PIN;
        audio.samples = std::move(results.front().recorded);
        if (!rkx::vmix::WriteWav(options.recordPath, audio, error)) {
            std::fprintf(stderr, "vmixstream: %s\n", error.c_str());
            return kRigFailure;
        }
        std::printf("recorded %zu frames to %s\n", audio.frames(), rkx::vmix::ToPrintable(options.recordPath).c_str());
    }
    return code;
}

}  // namespace

int main() { return rkx::vmix::RunToolMain("vmixstream", Run, kRigFailure); }
