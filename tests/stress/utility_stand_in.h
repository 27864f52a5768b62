// The settings utility as the service starts it, replaced by the probe that records each start
// ("launches.log"): installed as "RKX-T2_Config.exe" in a folder of its own with "AsioConfig"
// pointing at it, put back as it was afterwards.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace rkx::stress {

struct UtilityStart {
    DWORD processId = 0;
    std::string userSid;
    std::string commandLine;
};

class UtilityStandIn {
public:
    UtilityStandIn();
    ~UtilityStandIn();
    UtilityStandIn(const UtilityStandIn&) = delete;
    UtilityStandIn& operator=(const UtilityStandIn&) = delete;

    bool ready() const { return ready_; }
    // What "AsioConfig" holds while the stand-in is installed (UTF-8).
    const std::string& asioConfig() const { return asioConfigText_; }
    std::vector<UtilityStart> Starts() const;
    // Polls until at least `count` starts were recorded; what was recorded by then.
    std::vector<UtilityStart> WaitForStarts(size_t count, DWORD limitMs) const;
    // Lets every running stand-in end and waits until none runs; false when one stayed.
    bool ReleaseAll() const;
    int RunningCount() const;

private:
    bool ready_ = false;
    std::wstring folder_;
    std::string asioConfigText_;
    std::optional<std::wstring> previousAsioConfig_;
};

}  // namespace rkx::stress
