// asiocheck: finds an ASIO driver by name, creates it through COM as a host does, reports
// what it offers and streams through it for a while, printing how the buffer switches went.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "check_options.h"
#include "driver_lookup.h"
#include "host_session.h"
#include "virtualmixer/client/command_line.h"
#include "virtualmixer/client/virtual_mixer_client.h"
#include "virtualmixer/client/wav_file.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailure = 1;
constexpr int kUsageError = 2;

void PrintChannels(IASIO* driver, long count, bool isInput)
{
    for (long c = 0; c < count; ++c) {
        ASIOChannelInfo info{};
        info.channel = c;
        info.isInput = isInput ? ASIOTrue : ASIOFalse;
        const ASIOError e = driver->getChannelInfo(&info);
        std::printf("  %s %2ld: %s (type %ld, group %ld)%s\n", isInput ? "in " : "out", c, info.name, info.type,
                    info.channelGroup, e == ASE_OK ? "" : " [error]");
    }
}

// Report of what the driver offers; false when init failed.
bool Report(IASIO* driver, long& bufferFrames)
{
    char name[64] = {};
    driver->getDriverName(name);
    std::printf("driver: %s, version %ld\n", name, driver->getDriverVersion());
    if (driver->init(GetDesktopWindow()) != ASIOTrue) {
        char text[128] = {};
        driver->getErrorMessage(text);
        std::printf("init failed: %s\n", text);
        return false;
    }
    long inputs = 0, outputs = 0;
    driver->getChannels(&inputs, &outputs);
    std::printf("channels: %ld in, %ld out\n", inputs, outputs);
    PrintChannels(driver, inputs, true);
    PrintChannels(driver, outputs, false);
    long minSize = 0, maxSize = 0, preferred = 0, granularity = 0;
    driver->getBufferSize(&minSize, &maxSize, &preferred, &granularity);
    std::printf("buffer size: min %ld, max %ld, preferred %ld, granularity %ld\n", minSize, maxSize, preferred,
                granularity);
    long inLatency = 0, outLatency = 0;
    driver->getLatencies(&inLatency, &outLatency);
    std::printf("latency: input %ld, output %ld frames\n", inLatency, outLatency);
    ASIOSampleRate rate = 0;
    driver->getSampleRate(&rate);
    std::printf("sample rate: %.0f Hz (44100 %s)\n", rate, driver->canSampleRate(44100.0) == ASE_OK ? "yes" : "no");
    ASIOClockSource clocks[4] = {};
    long clockCount = 4;
    if (driver->getClockSources(clocks, &clockCount) == ASE_OK) {
        for (long i = 0; i < clockCount && i < 4; ++i) {
            std::printf("clock %ld: %s%s\n", clocks[i].index, clocks[i].name,
                        clocks[i].isCurrentSource ? " (current)" : "");
        }
    }
    bufferFrames = preferred;
    return true;
}

void PrintSession(const asiocheck::SessionResult& r, long bufferFrames)
{
    std::printf("streamed %.2f s at %ld frames (%s)\n", r.elapsedSeconds, bufferFrames,
                r.timeInfo ? "bufferSwitchTimeInfo" : "bufferSwitch");
    if (r.startupMs >= 0) std::printf("start-up: first buffer switch %.1f ms after start()\n", r.startupMs);
    const rkx::vmix::StreamFigures& figures = *r.figures;
    // Counted from the driver's sample positions and the callback timeline after the first
    // switch: a gap in the positions, or a switch more than one and a half buffers late.
    std::printf("buffer switches: %zu, missed %llu (%.2f%%), late %llu (%.2f%%)\n", r.switches,
                static_cast<unsigned long long>(figures.missed()), figures.MissedPercent(),
                static_cast<unsigned long long>(figures.late()), figures.LatePercent());
    const RkxTimingFigures periods = figures.Periods();
    std::printf("callback period: mean %.3f ms, p99 %.3f ms, max %.3f ms (expected %.3f ms)\n", periods.meanUs / 1000.0,
                periods.p99Us / 1000.0, periods.maxUs / 1000.0, bufferFrames * 1000.0 / 48000.0);
    figures.PrintLine(r.driverCpuUsPerSwitch);
    if (r.roundTripFrames >= 0) {
        std::printf("round trip: %ld frames (%.2f ms)\n", r.roundTripFrames, r.roundTripFrames * 1000.0 / 48000.0);
    } else {
        std::printf("round trip: not measured (no marker came back on the first input)\n");
    }
    if (r.driverCpuUsPerSwitch >= 0) {
        // The buffer thread's CPU time between the host's callbacks: the driver's copies and
        // bookkeeping plus the system calls of its waits and transfers (under Wine these are
        // round trips to the wineserver). Work the wineserver and the kernel driver do for it
        // in their own processes is not counted.
        std::printf("driver time per buffer switch: %.1f us CPU (copies, waits and transfer requests; "
                    "host callback %.1f us)\n",
                    r.driverCpuUsPerSwitch, r.callbackUsPerSwitch);
    }
    if (r.memcpyUsPerSwitch >= 0) {
        std::printf("plain memcpy of the same %zu bytes: %.3f us", r.bytesPerSwitch, r.memcpyUsPerSwitch);
        if (r.driverCpuUsPerSwitch >= 0 && r.memcpyUsPerSwitch > 0) {
            std::printf(" (driver %.0fx)", r.driverCpuUsPerSwitch / r.memcpyUsPerSwitch);
        }
        std::printf("\n");
    }
    if (r.driverCopyUsPerSwitch >= 0) {
        // What the driver itself does with the samples, timed inside it: the strided copies
        // between the host's buffers and the transfer blocks.
        std::printf("driver's own copies per buffer switch: %.3f us median", r.driverCopyUsPerSwitch);
        if (r.memcpyUsPerSwitch > 0) std::printf(" (%.1fx the memcpy)", r.driverCopyUsPerSwitch / r.memcpyUsPerSwitch);
        std::printf("\n");
        if (r.memcpyOnThreadUsPerSwitch > 0)
            std::printf("the same memcpy on the buffer thread at each switch: %.3f us median (driver's copies %.1fx)\n",
                        r.memcpyOnThreadUsPerSwitch, r.driverCopyUsPerSwitch / r.memcpyOnThreadUsPerSwitch);
    } else {
        std::printf("driver's own copies per buffer switch: not timed (the machine's diagnostics switch is off)\n");
    }
}

int Run()
{
    asiocheck::CheckOptions options;
    std::string error;
    if (!asiocheck::ParseCheckOptions(rkx::vmix::CommandLineArguments(), options, error)) {
        std::fprintf(stderr, "asiocheck: %s\n%s", error.c_str(), asiocheck::kUsage);
        return kUsageError;
    }
    if (options.help) {
        std::fputs(asiocheck::kUsage, stdout);
        return kOk;
    }
    CLSID classId{};
    if (!asiocheck::FindDriverClassId(options.driverName, classId, error)) {
        std::printf("asiocheck: %s\n", error.c_str());
        return kFailure;
    }
    if (FAILED(CoInitialize(nullptr))) {
        std::printf("asiocheck: COM could not be initialised\n");
        return kFailure;
    }
    IASIO* driver = asiocheck::CreateDriver(classId, error);
    if (driver == nullptr) {
        std::printf("asiocheck: %s\n", error.c_str());
        CoUninitialize();
        return kFailure;
    }
    int status = kOk;
    long bufferFrames = 0;
    if (!Report(driver, bufferFrames)) {
        status = kFailure;
    } else if (options.seconds > 0) {
        if (options.routeLoop) {
            // Host output 0/1 into CH1 on USB, CH1's post-fader signal back on input 0/1.
            rkx::vmix::VirtualMixerClient rig;
            if (rig.IsOpen()) {
                rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, RKX_SELECTOR_POSITION_USB);
                rig.SetValue(0, VMIX_VALUE_SEND_SOURCE, 0, 2);
            }
        }
        asiocheck::SessionSetup setup;
        setup.driver = driver;
        setup.bufferFrames = bufferFrames;
        setup.seconds = options.seconds;
        setup.outputs = options.outputs;
        setup.inputs = options.inputs;
        const asiocheck::SessionResult result = asiocheck::RunSession(setup);
        if (!result.started) {
            std::printf("streaming failed: error %ld\n", result.error);
            status = kFailure;
        } else {
            PrintSession(result, bufferFrames);
            if (!options.periodsPath.empty() && !result.figures->WriteDistribution(options.periodsPath, error)) {
                std::printf("asiocheck: %s\n", error.c_str());
                status = kFailure;
            }
            if (!options.wavPath.empty()) {
                rkx::vmix::WavAudio audio;
                audio.channels = uint16_t(result.recorded.size());
                const size_t frames = result.recorded.empty() ? 0 : result.recorded[0].size();
                for (size_t f = 0; f < frames; ++f) {
                    for (const auto& channel : result.recorded) audio.samples.push_back(f < channel.size() ? channel[f] : 0);
                }
                if (!rkx::vmix::WriteWav(options.wavPath, audio, error)) {
                    std::printf("asiocheck: %s\n", error.c_str());
                    status = kFailure;
                } else {
                    std::printf("recorded %zu frames of %u inputs to the WAV file\n", frames, unsigned(audio.channels));
                }
            }
        }
    }
    driver->Release();
    CoUninitialize();
    return status;
}

}  // namespace

int main() { return rkx::vmix::RunToolMain("asiocheck", Run, kFailure); }
