// Tone generation and measurement on the rig's frequency grid: bin k is k × 187.5 Hz, a
// whole number of periods in every 256 frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace rkx::vmix {

constexpr uint32_t kToneGridFrames = 256;
// The test tone rig hosts play (3 kHz), apart from every analog source's tone.
constexpr uint32_t kHostToneBin = 16;

// Sample `frame` of a sine at `bin` with the given peak (frame counts from the tone's start).
int32_t ToneSample(uint32_t bin, int32_t peak, uint64_t frame);

// Peak amplitude of the component at `bin` in `frames` frames of one channel of interleaved
// audio, starting at `firstFrame`. Exact for whole periods (frames a multiple of 256).
// Returns 0 when the range does not fit the data.
double ToneAmplitude(std::span<const int32_t> interleaved, uint32_t channels, uint32_t channel, uint32_t bin,
                     size_t firstFrame, size_t frames);

}  // namespace rkx::vmix
