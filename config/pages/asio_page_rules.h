// The ASIO page's rules without a window: which stored values are accepted, the latency, the
// knob drag, the hit areas and the number formats of its labels.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>

namespace config::asio_page {

constexpr int kFramesPerBlock = 64;
constexpr int kDefaultBlocks = 4;      // 256 samples, "Standard Setting"
constexpr int kSliderMinBlocks = 1;
constexpr int kSliderMaxBlocks = 30;   // the slider's range
constexpr int kStoredMaxBlocks = 64;   // what the driver accepts from the registry
constexpr int kDefaultRate = 48000;
constexpr int kKnobPixelsPerBlock = 6;

// "blockNum" as shown: 1 to 64 kept, anything else (or nothing) the default.
int AcceptedBlockCount(std::optional<DWORD> stored);
// "sampleRate" as shown: 44100 and 96000 kept, anything else (or nothing) 48000.
int AcceptedSampleRate(std::optional<DWORD> stored);
// Latency of `blocks` at `rate` in tenths of a millisecond, with the integer steps of the
// label: (blocks * 6400) / (rate / 100).
int LatencyTenths(int blocks, int rate);
// Block count while the knob is dragged from `startX` (screen) to `nowX`: one block per six
// pixels, truncated toward zero, kept within the slider's range.
int DraggedBlockCount(int startBlocks, int startX, int nowX);

// Knob at `blocks`: 312 + 6 * blocks <= x < 321 + 6 * blocks, 386 <= y <= 409.
int KnobLeft(int blocks);
bool IsOnKnob(int x, int y, int blocks);
// "Standard Setting": 206 <= x <= 388, 460 <= y <= 484.
bool IsOnStandardButton(int x, int y);

// A text of the string tables with its "%d" placeholders filled in order ("%%" is a percent
// sign); other placeholders are left as they are, so a table text can never read arguments
// that were not passed.
std::wstring FormatIntegers(const std::wstring& pattern, std::initializer_list<int> values);

}  // namespace config::asio_page
