// Time the buffer thread spends in the driver's own copies between host buffers and transfer
// blocks, kept only while the machine's diagnostics switch is on (common/diagnostics.h). The rest of
// a buffer switch is the system's (waits and transfer requests), which a host can measure
// from outside but not separate from this.
#pragma once

#include <x86intrin.h>

#include <cstddef>
#include <cstdint>

namespace rkx::asio {

// Timed with the processor's time-stamp counter: a counter read through the system costs
// more than the copies it would time (about 0.4 us under Wine). The counter's rate comes from
// the performance counter over the whole session.
struct CopyTiming {
    static constexpr size_t kSampleCapacity = 4096;

    bool enabled = false;
    uint64_t cycles = 0;           // every switch's copies
    uint64_t switchCycles = 0;     // the current switch's copies so far
    int64_t switches = 0;
    uint32_t samples[kSampleCapacity] = {};  // the latest switches, for the median
    uint64_t sessionCycles = 0;
    int64_t sessionCounter = 0;

    // Buffer thread only: one counter read, nothing else.
    uint64_t Start() const { return enabled ? __rdtsc() : 0; }
    void Stop(uint64_t started)
    {
        if (enabled) switchCycles += __rdtsc() - started;
    }
    void EndSwitch()
    {
        if (!enabled) return;
        cycles += switchCycles;
        samples[size_t(switches) % kSampleCapacity] = uint32_t(switchCycles > UINT32_MAX ? UINT32_MAX : switchCycles);
        switchCycles = 0;
        ++switches;
    }
};

// A fresh record, enabled when diagnostics are on.
CopyTiming BeginCopyTiming();

// Writes "copy_us_per_switch" (the median), "copy_us_mean" and "switches" to the build's copy
// timing file in the diagnostics folder. Host thread, after the buffer thread has stopped.
void WriteCopyTiming(const CopyTiming& timing);

}  // namespace rkx::asio
