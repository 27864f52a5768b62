// Streams a configured pin the way the product's host does (two slots per direction, paced
// by completions) and hands back what was read.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "virtualmixer/client/pin_stream.h"

namespace rkx::vmix::test {

struct StreamRun {
    bool ok = false;
    std::string failure;
    uint32_t completions = 0;
    double elapsedSeconds = 0.0;
    std::vector<int32_t> input;  // every read block, 8 interleaved sub-channels
};

struct StreamPlan {
    uint32_t frames = 256;
    uint32_t blocks = 0;          // stop after this many completions (0: use seconds)
    double seconds = 0.0;         // or after this much time
    // Fills an output block; firstFrame counts frames written since the start.
    std::function<void(std::span<int32_t> block, uint64_t firstFrame)> fill;
    // Called after completion `index` (0-based), before the slot is queued again.
    std::function<void(uint32_t index)> afterBlock;
};

// Starts the stream, runs the plan, stops it. The pin must be open and configured.
StreamRun RunStream(PinStream& pin, const StreamPlan& plan);

// Writes a tone on both sub-channels of USB receive channel `channel`.
void AddReceiveTone(std::span<int32_t> block, uint64_t firstFrame, uint32_t channel, uint32_t bin, int32_t peak);

// Amplitude of `bin` on sub-channel `subChannel` in one block of 8-channel input.
double BlockTone(const std::vector<int32_t>& input, uint32_t frames, uint32_t block, uint32_t subChannel, uint32_t bin);

}  // namespace rkx::vmix::test
