// asiocheck's command line.
#pragma once

#include <string>
#include <vector>

namespace asiocheck {

struct CheckOptions {
    std::string driverName;            // as listed under SOFTWARE\ASIO
    double seconds = 5.0;              // 0: report only, no streaming
    std::vector<long> outputs{0, 1};   // channels that get the test signal
    std::vector<long> inputs{0, 1};    // channels recorded
    std::wstring wavPath;
    std::wstring periodsPath;          // empty: no period distribution written              // empty: nothing written
    bool routeLoop = true;             // set the virtual mixer's loop for the round trip
    bool help = false;
};

extern const char kUsage[];

// False with a one-line reason.
bool ParseCheckOptions(const std::vector<std::wstring>& args, CheckOptions& options, std::string& error);

}  // namespace asiocheck
