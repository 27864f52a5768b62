#include "host_session.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "virtualmixer/client/tone_analysis.h"

namespace asiocheck {
namespace {

constexpr int32_t kTonePeak = 0x10000000;
constexpr int32_t kMarkerLevel = 0x40000000;
constexpr uint32_t kToneBin = 4;  // 750 Hz

// The session the plain callbacks work on. Written by the buffer thread during streaming,
// read by the main thread after stop.
struct Live {
    SessionSetup setup;
    std::vector<ASIOBufferInfo> infos;
    std::vector<double> periodsMs;          // preallocated
    std::vector<std::vector<int32_t>> recorded;
    std::atomic<size_t> switches{0};
    LARGE_INTEGER frequency{};
    LARGE_INTEGER lastEntry{};
    uint64_t lastExitCpu = 0;
    uint64_t driverCpu100ns = 0;
    size_t cpuSamples = 0;
    bool timeInfo = false;
} live;

uint64_t ThreadCpu()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    return (uint64_t(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
           (uint64_t(user.dwHighDateTime) << 32 | user.dwLowDateTime);
}

void OnSwitch(long half)
{
    const uint64_t cpuIn = ThreadCpu();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const size_t index = live.switches.load();
    if (index > 0 && index - 1 < live.periodsMs.capacity()) {
        live.periodsMs.push_back(double(now.QuadPart - live.lastEntry.QuadPart) * 1000.0 / double(live.frequency.QuadPart));
        live.driverCpu100ns += cpuIn - live.lastExitCpu;
        ++live.cpuSamples;
    }
    live.lastEntry = now;
    const long frames = live.setup.bufferFrames;
    const uint64_t first = uint64_t(index) * uint64_t(frames);
    size_t input = 0;
    for (const ASIOBufferInfo& info : live.infos) {
        auto* samples = static_cast<int32_t*>(info.buffers[half & 1]);
        if (samples == nullptr) {
            if (info.isInput) ++input;
            continue;
        }
        if (info.isInput) {
            std::vector<int32_t>& kept = live.recorded[input++];
            for (long i = 0; i < frames && kept.size() < kept.capacity(); ++i) kept.push_back(samples[i]);
        } else {
            for (long i = 0; i < frames; ++i) samples[i] = TestSignal(first + uint64_t(i));
        }
    }
    live.switches.store(index + 1);
    live.lastExitCpu = ThreadCpu();
}

void BufferSwitch(long half, ASIOBool) { OnSwitch(half); }
void SampleRateDidChange(ASIOSampleRate) {}
long AsioMessage(long selector, long value, void*, double*)
{
    switch (selector) {
    case kAsioSelectorSupported:
        return value == kAsioSupportsTimeInfo || value == kAsioResetRequest ? 1 : 0;
    case kAsioSupportsTimeInfo:
        return 1;
    case kAsioEngineVersion:
        return 2;
    default:
        return 0;
    }
}
ASIOTime* BufferSwitchTimeInfo(ASIOTime*, long half, ASIOBool)
{
    live.timeInfo = true;
    OnSwitch(half);
    return nullptr;
}

// Frames from a played marker to its return on the recorded input: the median over markers.
long RoundTrip(const std::vector<int32_t>& in)
{
    std::vector<long> delays;
    bool above = false;
    for (size_t f = 0; f < in.size(); ++f) {
        const bool now = in[f] > kMarkerLevel / 8 * 3 || in[f] < -(kMarkerLevel / 8 * 3);
        if (now && !above) delays.push_back(long(f % kMarkerEvery));
        above = now;
    }
    if (delays.empty()) return -1;
    std::sort(delays.begin(), delays.end());
    return delays[delays.size() / 2];
}

}  // namespace

int32_t TestSignal(uint64_t frame)
{
    if (frame % kMarkerEvery < kMarkerFrames) return kMarkerLevel;
    return rkx::vmix::ToneSample(kToneBin, kTonePeak, frame);
}

SessionResult RunSession(const SessionSetup& setup)
{
    SessionResult result;
    live.setup = setup;
    live.infos.clear();
    live.recorded.clear();
    live.switches = 0;
    live.driverCpu100ns = 0;
    live.cpuSamples = 0;
    live.timeInfo = false;
    QueryPerformanceFrequency(&live.frequency);
    const size_t expected = size_t(setup.seconds * 48000.0 / double(setup.bufferFrames)) + 64;
    live.periodsMs.clear();
    live.periodsMs.reserve(expected);
    for (long c : setup.outputs) live.infos.push_back({ASIOFalse, c, {nullptr, nullptr}});
    for (long c : setup.inputs) {
        live.infos.push_back({ASIOTrue, c, {nullptr, nullptr}});
        live.recorded.emplace_back().reserve(size_t(setup.seconds * 48000.0) + size_t(setup.bufferFrames) * 64);
    }
    static ASIOCallbacks callbacks = {BufferSwitch, SampleRateDidChange, AsioMessage, BufferSwitchTimeInfo};
    result.error = setup.driver->createBuffers(live.infos.data(), long(live.infos.size()), setup.bufferFrames, &callbacks);
    if (result.error != ASE_OK) return result;
    result.error = setup.driver->start();
    if (result.error != ASE_OK) {
        setup.driver->disposeBuffers();
        return result;
    }
    result.started = true;
    LARGE_INTEGER begin, now;
    QueryPerformanceCounter(&begin);
    for (;;) {
        // The driver's window belongs to this thread: keep its messages moving.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        QueryPerformanceCounter(&now);
        result.elapsedSeconds = double(now.QuadPart - begin.QuadPart) / double(live.frequency.QuadPart);
        if (result.elapsedSeconds >= setup.seconds) break;
        Sleep(10);
    }
    setup.driver->stop();
    result.switches = live.switches.load();
    result.timeInfo = live.timeInfo;

    const double periodMs = double(setup.bufferFrames) * 1000.0 / 48000.0;
    std::vector<double> periods = live.periodsMs;
    for (double p : periods) result.late += p > periodMs * 1.5 ? 1 : 0;
    const double expectedSwitches = result.elapsedSeconds * 48000.0 / double(setup.bufferFrames);
    result.missed = expectedSwitches > double(result.switches) ? size_t(expectedSwitches - double(result.switches)) : 0;
    if (!periods.empty()) {
        double sum = 0;
        for (double p : periods) sum += p;
        result.periodMeanMs = sum / double(periods.size());
        std::sort(periods.begin(), periods.end());
        result.periodP99Ms = periods[std::min(periods.size() - 1, periods.size() * 99 / 100)];
        result.periodMaxMs = periods.back();
    }
    if (live.cpuSamples > 0) result.driverCpuUsPerSwitch = double(live.driverCpu100ns) / 10.0 / double(live.cpuSamples);
    result.recorded = live.recorded;
    if (!result.recorded.empty()) result.roundTripFrames = RoundTrip(result.recorded[0]);
    setup.driver->disposeBuffers();
    return result;
}

}  // namespace asiocheck
