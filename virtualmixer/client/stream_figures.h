// Figures of one streaming run, counted and printed the same way by every rig tool (the raw
// stream probe and the ASIO check host), so the benchmark compares like with like.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/timing_histogram.h"

namespace rkx::vmix {

// Fed once per buffer switch (or completion) after the first, on the streaming thread: no
// allocation, no lock.
class StreamFigures {
public:
    explicit StreamFigures(uint32_t bufferFrames);

    // periodUs: time since the previous switch. positionStep: frames the stream's position
    // moved since then (0 when the stream gives no positions).
    void AddSwitch(uint64_t periodUs, uint64_t positionStep = 0);

    uint64_t switches() const { return switches_; }
    // Buffers lost: a gap of more than one buffer in the positions, or a switch later than
    // one and a half buffers (each whole buffer past the expected one), whichever says more.
    uint64_t missed() const { return missed_; }
    // Switches later than one and a half buffers.
    uint64_t late() const { return late_; }
    // Missed as a share of the buffers the run should have had.
    double MissedPercent() const;
    double LatePercent() const;
    RkxTimingFigures Periods() const { return RkxTimingSummary(periods_.get()); }
    const RkxTimingHistogram& histogram() const { return *periods_; }

    // One line a script can read: "figures switches N missed N late N period_mean_us N
    // period_p99_us N period_max_us N cpu_us_per_switch X" (-1: not measured).
    void PrintLine(double cpuUsPerSwitch) const;
    // The distribution of periods as "microseconds count" lines (bucket centres, empty buckets
    // left out), for a plotting tool; false with the reason when the file cannot be written.
    bool WriteDistribution(const std::wstring& path, std::string& error) const;

private:
    uint64_t bufferUs_;
    uint32_t bufferFrames_;
    uint64_t switches_ = 0;
    uint64_t missed_ = 0;
    uint64_t late_ = 0;
    std::unique_ptr<RkxTimingHistogram> periods_;
};

}  // namespace rkx::vmix
