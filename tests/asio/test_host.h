// A minimal ASIO host for the tests: its callbacks record every buffer switch, write a known
// signal into the output buffers and keep what arrives in the input buffers.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "asio/iasio.h"

namespace rkx::asio::test {

struct SwitchRecord {
    long half;
    uint64_t samplePosition;     // getSamplePosition inside the callback
    bool timeInfo;               // bufferSwitchTimeInfo rather than bufferSwitch
    uint64_t timeInfoPosition;
    unsigned long timeInfoFlags;
    uint64_t timeCodeSamples;
};

enum class OutputSignal { Ramp, Tone };

struct HostChannel {
    bool isInput;
    long channel;
};

// One host at a time (the callbacks are plain functions).
class TestHost {
public:
    static constexpr size_t kMaxRecords = 8192;
    static constexpr size_t kMaxInputFrames = 48000 * 4;

    TestHost();
    ~TestHost();

    // Host's answers.
    bool supportsTimeInfo = true;
    OutputSignal signal = OutputSignal::Ramp;
    uint32_t toneBin = 20;
    int32_t tonePeak = 0x20000000;
    // The next buffer switch sleeps this long before it writes its outputs (a host that
    // overruns); stallEnded is set when that switch returns.
    std::atomic<unsigned> stallMs{0};
    std::atomic<bool> stallStarted{false};
    std::atomic<bool> stallEnded{false};

    // createBuffers with the given channels; keeps the infos.
    ASIOError Create(IASIO* driver, const std::vector<HostChannel>& channels, long bufferSize);
    // Waits until `count` switches were seen in total; false after `limitMs`.
    bool WaitForSwitches(size_t count, unsigned limitMs) const;

    size_t switches() const { return switches_.load(); }
    std::vector<SwitchRecord> Records() const;
    long resetRequests() const { return resetRequests_.load(); }
    // Input samples of host input entry j, in order of the switches.
    std::vector<int32_t> InputOf(size_t j) const;
    const std::vector<ASIOBufferInfo>& infos() const { return infos_; }

    // The ramp written to output channel n: tag n + 1 in the top byte, frame count below.
    static int32_t Ramp(long channel, uint64_t frame) { return int32_t(uint32_t(channel + 1) << 24 | (frame & 0xFFFFFF)); }

private:
    static void BufferSwitch(long half, ASIOBool direct);
    static void SampleRateDidChange(ASIOSampleRate rate);
    static long AsioMessage(long selector, long value, void* message, double* opt);
    static ASIOTime* BufferSwitchTimeInfo(ASIOTime* time, long half, ASIOBool direct);
    void OnSwitch(long half, const ASIOTime* time);

    IASIO* driver_ = nullptr;
    long bufferSize_ = 0;
    std::vector<ASIOBufferInfo> infos_;
    std::vector<SwitchRecord> records_;
    std::vector<std::vector<int32_t>> inputs_;
    std::atomic<size_t> switches_{0};
    std::atomic<long> resetRequests_{0};
    ASIOCallbacks callbacks_{};
    static TestHost* current_;
};

}  // namespace rkx::asio::test
