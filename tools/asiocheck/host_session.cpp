#include "host_session.h"

#include <windows.h>
#include <x86intrin.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/diagnostics.h"
#include "virtualmixer/client/tone_analysis.h"

namespace asiocheck {
namespace {

constexpr int32_t kTonePeak = 0x10000000;
constexpr int32_t kMarkerLevel = 0x40000000;
// The rig hosts' tone, apart from every analog source's, so a recording tells them apart.
constexpr uint32_t kToneBin = rkx::vmix::kHostToneBin;  // 3 kHz

// The session the plain callbacks work on. Written by the buffer thread during streaming,
// read by the main thread after stop.
struct Live {
    SessionSetup setup;
    std::vector<ASIOBufferInfo> infos;
    rkx::vmix::StreamFigures* figures = nullptr;
    uint64_t lastPosition = 0;
    LARGE_INTEGER started{};                // when start() was called
    std::vector<std::vector<int32_t>> recorded;
    std::atomic<size_t> switches{0};
    LARGE_INTEGER frequency{};
    LARGE_INTEGER lastEntry{};
    LARGE_INTEGER firstEntry{};             // the first switch
    // The driver's own time is the buffer thread's CPU time from the first callback on, less
    // the time spent inside the callbacks. The thread's CPU time is read only at both ends
    // (reading it costs system calls that would otherwise be counted as the driver's).
    HANDLE bufferThread = nullptr;
    uint64_t firstCpu = 0;
    std::atomic<int64_t> callbackTicks{0};  // inside the callbacks, from the second one on
    bool timeInfo = false;
    // A plain memcpy of the bytes the driver copies, done on the buffer thread at every switch,
    // so it meets the same caches the driver's copies meet; timed with the time-stamp counter.
    std::vector<uint8_t> copySource, copyTarget;
    std::vector<uint32_t> copyCycles;       // preallocated
} live;

uint64_t ThreadCpu(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    return (uint64_t(kernel.dwHighDateTime) << 32 | kernel.dwLowDateTime) +
           (uint64_t(user.dwHighDateTime) << 32 | user.dwLowDateTime);
}

// The driver's sample position at this switch: from the time info it passed, or asked for.
uint64_t PositionOf(const ASIOTime* time)
{
    if (time != nullptr && (time->timeInfo.flags & kSamplePositionValid) != 0) return AsioToU64(time->timeInfo.samplePosition);
    ASIOSamples position{};
    ASIOTimeStamp stamp{};
    if (live.setup.driver->getSamplePosition(&position, &stamp) != ASE_OK) return 0;
    return AsioToU64(position);
}

void OnSwitch(long half, const ASIOTime* time)
{
    if (!live.copySource.empty()) {
        const uint64_t copyStarted = __rdtsc();
        std::memcpy(live.copyTarget.data(), live.copySource.data(), live.copySource.size());
        const uint64_t cycles = __rdtsc() - copyStarted;
        if (live.copyCycles.size() < live.copyCycles.capacity())
            live.copyCycles.push_back(uint32_t(std::min<uint64_t>(cycles, UINT32_MAX)));
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const size_t index = live.switches.load();
    const uint64_t position = PositionOf(time);
    if (index == 0) {
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &live.bufferThread,
                        THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0);
        live.firstEntry = now;
    } else {
        const uint64_t periodUs = uint64_t(now.QuadPart - live.lastEntry.QuadPart) * 1000000u / uint64_t(live.frequency.QuadPart);
        live.figures->AddSwitch(periodUs, position > live.lastPosition ? position - live.lastPosition : 0);
    }
    live.lastEntry = now;
    live.lastPosition = position;
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
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    if (index == 0) {
        live.firstCpu = ThreadCpu(GetCurrentThread());
    } else {
        live.callbackTicks.fetch_add(end.QuadPart - now.QuadPart);
    }
}

void BufferSwitch(long half, ASIOBool) { OnSwitch(half, nullptr); }
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
ASIOTime* BufferSwitchTimeInfo(ASIOTime* time, long half, ASIOBool)
{
    live.timeInfo = true;
    OnSwitch(half, time);
    return nullptr;
}

// The yardstick for the driver's own time: copying the bytes it moves per buffer switch
// (every host channel's half, in and out) with a plain memcpy, timed on the main thread while
// the stream runs, so both see the same machine load. A batch of copies per sample keeps the
// counter's resolution out of the figure; the median leaves out batches that were preempted.
class MemcpyYardstick {
public:
    explicit MemcpyYardstick(size_t bytes) : source_(bytes, 0x5A), target_(bytes) {}
    void Sample(const LARGE_INTEGER& frequency)
    {
        if (source_.empty()) return;
        constexpr int kBatch = 32;
        LARGE_INTEGER begin, end;
        QueryPerformanceCounter(&begin);
        for (int i = 0; i < kBatch; ++i) {
            source_[size_t(i) % source_.size()] = uint8_t(i);
            std::memcpy(target_.data(), source_.data(), source_.size());
        }
        QueryPerformanceCounter(&end);
        sink_ = uint8_t(sink_ + target_[size_t(end.QuadPart) % target_.size()]);
        samplesUs_.push_back(double(end.QuadPart - begin.QuadPart) * 1e6 / double(frequency.QuadPart) / kBatch);
    }
    double MedianUs()
    {
        if (samplesUs_.empty()) return -1;
        std::sort(samplesUs_.begin(), samplesUs_.end());
        return samplesUs_[samplesUs_.size() / 2];
    }

private:
    std::vector<uint8_t> source_, target_;
    std::vector<double> samplesUs_;
    volatile uint8_t sink_ = 0;
};

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

// The driver's own copy time, which it writes to the diagnostics folder when its buffers are
// disposed while the machine's diagnostics switch is on (a bench turns it on). Figures of an
// earlier session are removed first, so only this session's can be read.
class CopyTimingFile {
public:
    CopyTimingFile()
    {
        if (!rkx::diagnostics::Enabled()) return;
        const std::wstring folder = rkx::diagnostics::Folder();
        if (folder.empty()) return;
#ifdef _WIN64
        path_ = folder + L"\\" + rkx::diagnostics::kAsio64CopyTimingFile;
#else
        path_ = folder + L"\\" + rkx::diagnostics::kAsio32CopyTimingFile;
#endif
        DeleteFileW(path_.c_str());
    }
    CopyTimingFile(const CopyTimingFile&) = delete;
    CopyTimingFile& operator=(const CopyTimingFile&) = delete;

    // Microseconds per buffer switch, or -1 when the driver wrote nothing.
    double Read() const
    {
        if (path_.empty()) return -1;
        FILE* file = _wfopen(path_.c_str(), L"rb");
        if (file == nullptr) return -1;
        double microseconds = -1;
        if (std::fscanf(file, "copy_us_per_switch %lf", &microseconds) != 1) microseconds = -1;
        std::fclose(file);
        return microseconds;
    }

private:
    std::wstring path_;
};

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
    live.bufferThread = nullptr;
    live.firstCpu = 0;
    live.callbackTicks = 0;
    live.timeInfo = false;
    QueryPerformanceFrequency(&live.frequency);
    const size_t expected = size_t(setup.seconds * 48000.0 / double(setup.bufferFrames)) + 64;
    const size_t copyBytes = (setup.outputs.size() + setup.inputs.size()) * size_t(setup.bufferFrames) * sizeof(int32_t);
    live.copySource.assign(copyBytes, 0x5A);
    live.copyTarget.assign(copyBytes, 0);
    live.copyCycles.clear();
    live.copyCycles.reserve(expected);
    result.figures = std::make_unique<rkx::vmix::StreamFigures>(uint32_t(setup.bufferFrames));
    live.figures = result.figures.get();
    live.lastPosition = 0;
    live.firstEntry = {};
    for (long c : setup.outputs) live.infos.push_back({ASIOFalse, c, {nullptr, nullptr}});
    for (long c : setup.inputs) {
        live.infos.push_back({ASIOTrue, c, {nullptr, nullptr}});
        live.recorded.emplace_back().reserve(size_t(setup.seconds * 48000.0) + size_t(setup.bufferFrames) * 64);
    }
    static ASIOCallbacks callbacks = {BufferSwitch, SampleRateDidChange, AsioMessage, BufferSwitchTimeInfo};
    const CopyTimingFile copyTiming;
    result.error = setup.driver->createBuffers(live.infos.data(), long(live.infos.size()), setup.bufferFrames, &callbacks);
    if (result.error != ASE_OK) return result;
    QueryPerformanceCounter(&live.started);
    result.error = setup.driver->start();
    if (result.error != ASE_OK) {
        setup.driver->disposeBuffers();
        return result;
    }
    result.started = true;
    result.bytesPerSwitch = (setup.outputs.size() + setup.inputs.size()) * size_t(setup.bufferFrames) * sizeof(int32_t);
    MemcpyYardstick yardstick(result.bytesPerSwitch);
    LARGE_INTEGER begin{}, now;
    QueryPerformanceCounter(&begin);
    const uint64_t beginCycles = __rdtsc();
    // Timed from the first buffer switch on (start-up is reported on its own), and given up
    // when no switch comes at all.
    LARGE_INTEGER firstSwitch{};
    for (;;) {
        // The driver's window belongs to this thread: keep its messages moving.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        QueryPerformanceCounter(&now);
        if (firstSwitch.QuadPart == 0 && live.switches.load() > 0) firstSwitch = now;
        const LARGE_INTEGER& from = firstSwitch.QuadPart != 0 ? firstSwitch : begin;
        result.elapsedSeconds = double(now.QuadPart - from.QuadPart) / double(live.frequency.QuadPart);
        if (result.elapsedSeconds >= setup.seconds) break;
        yardstick.Sample(live.frequency);
        Sleep(10);
    }
    // Read while the thread still exists: it ends with stop.
    const size_t switchesMeasured = live.switches.load();
    const uint64_t lastCpu = live.bufferThread != nullptr ? ThreadCpu(live.bufferThread) : 0;
    const int64_t callbackTicks = live.callbackTicks.load();
    setup.driver->stop();
    QueryPerformanceCounter(&now);
    const double usPerCycle = double(now.QuadPart - begin.QuadPart) * 1e6 / double(live.frequency.QuadPart) /
                              double(std::max<uint64_t>(1, __rdtsc() - beginCycles));
    if (!live.copyCycles.empty()) {
        std::vector<uint32_t> cycles = live.copyCycles;
        std::sort(cycles.begin(), cycles.end());
        result.memcpyOnThreadUsPerSwitch = double(cycles[cycles.size() / 2]) * usPerCycle;
    }
    result.switches = live.switches.load();
    result.timeInfo = live.timeInfo;

    if (live.firstEntry.QuadPart != 0)
        result.startupMs = double(live.firstEntry.QuadPart - live.started.QuadPart) * 1000.0 / double(live.frequency.QuadPart);
    if (live.bufferThread != nullptr && switchesMeasured > 1 && lastCpu > live.firstCpu) {
        const double threadUs = double(lastCpu - live.firstCpu) / 10.0;
        const double callbackUs = double(callbackTicks) * 1e6 / double(live.frequency.QuadPart);
        result.driverCpuUsPerSwitch = std::max(0.0, threadUs - callbackUs) / double(switchesMeasured - 1);
        result.callbackUsPerSwitch = callbackUs / double(switchesMeasured - 1);
    }
    if (live.bufferThread != nullptr) CloseHandle(live.bufferThread);
    live.bufferThread = nullptr;
    live.figures = nullptr;
    result.memcpyUsPerSwitch = yardstick.MedianUs();
    result.recorded = live.recorded;
    if (!result.recorded.empty()) result.roundTripFrames = RoundTrip(result.recorded[0]);
    setup.driver->disposeBuffers();
    result.driverCopyUsPerSwitch = copyTiming.Read();
    return result;
}

}  // namespace asiocheck
