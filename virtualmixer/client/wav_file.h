// WAV files of the rig: written as 32-bit integer PCM (WAVE_FORMAT_EXTENSIBLE); read from
// 16, 24 or 32-bit integer PCM, plain or extensible, and converted to full-scale int32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rkx::vmix {

struct WavAudio {
    uint32_t sampleRate = 48000;
    uint16_t channels = 0;
    std::vector<int32_t> samples;  // interleaved, 32-bit full scale
    size_t frames() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// Both return false with a one-line reason in `error`.
bool WriteWav(const std::wstring& path, const WavAudio& audio, std::string& error);
bool ReadWav(const std::wstring& path, WavAudio& audio, std::string& error);

// Parses a file already in memory (ReadWav's work, separate so it can be tested directly).
bool ParseWav(const std::vector<uint8_t>& bytes, WavAudio& audio, std::string& error);

}  // namespace rkx::vmix
