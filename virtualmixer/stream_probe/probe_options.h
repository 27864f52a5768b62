// Command line of vmixstream.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vmixstream {

struct ProbeOptions {
    bool help = false;
    bool allMixers = false;
    uint32_t mixer = 0;
    uint32_t frames = 256;
    double seconds = 3.0;
    std::optional<uint32_t> toneOutChannel;  // USB receive channel 0..2
    std::wstring recordPath;                 // empty: no recording
    std::wstring periodsPath;                // empty: no period distribution written
};

// False with a one-line reason in `error` when the arguments are not usable.
bool ParseProbeOptions(const std::vector<std::wstring>& args, ProbeOptions& options, std::string& error);

extern const char kProbeUsage[];

}  // namespace vmixstream
