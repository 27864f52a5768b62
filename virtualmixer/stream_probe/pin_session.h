// One mixer's streaming run: two transfer slots per direction, paced only by their
// completion events.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "virtualmixer/client/stream_figures.h"

namespace vmixstream {

struct SessionConfig {
    uint32_t mixer = 0;
    std::wstring path;
    uint32_t frames = 256;
    double seconds = 3.0;
    std::optional<uint32_t> toneOutChannel;
    bool record = false;
};

struct SessionResult {
    std::string failure;             // empty when the run went through
    uint64_t completions = 0;        // block periods completed (write and read of one slot)
    uint32_t failedTransfers = 0;
    double elapsedSeconds = 0.0;     // from the first completion on
    double startupMs = -1;           // from the start request to the first completion
    std::unique_ptr<rkx::vmix::StreamFigures> figures;  // periods between completions
    double cpuUsPerCompletion = -1;  // the streaming thread's CPU time per completion
    std::vector<int32_t> recorded;   // 8 interleaved sub-channels, when recording
};

// Never throws.
SessionResult RunPinSession(const SessionConfig& config);

}  // namespace vmixstream
