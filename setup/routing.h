// USB audio routing: which mixer signal each USB send channel carries (input audio) and which
// mixer input each USB receive channel feeds (output audio).
#pragma once

#include <cstdint>

namespace rkx::setup {

constexpr uint32_t kInputAudioChannels = 4;    // texts and current index: 0..3
constexpr uint32_t kInputAudioSetChannels = 3; // counts and setters: 0..2
constexpr uint32_t kInputAudioIndexes = 8;
constexpr uint32_t kOutputAudioChannels = 3;
constexpr uint32_t kOutputAudioIndexes = 3;

const wchar_t* InputAudioText(uint32_t channel, uint32_t index);  // channel < 4, index < 8
uint32_t InputAudioCount(uint32_t channel);                         // channel < 3
const wchar_t* OutputAudioText(uint32_t index);                     // index < 3

uint32_t CurrentInputAudio(uint32_t channel, const wchar_t* userKey);   // channel < 4
uint32_t CurrentOutputAudio(uint32_t channel, const wchar_t* userKey);  // channel < 4

// Setters after their arguments were checked; they return the export's result code.
int SetInputAudio(uint32_t channel, uint32_t index, const wchar_t* userKey, bool notify);
int SetInputAudioDirect(uint32_t channel, uint32_t source, uint32_t mode);
int SetOutputAudio(uint32_t channel, uint32_t index, const wchar_t* userKey, bool notify);
int SetOutputAudioDefault(uint32_t channel);

}  // namespace rkx::setup
