// The settings utility as the auto-setup service starts it, replaced by the probe that records
// each start (tests/autosetup/utility_probe.cpp): copied as "RKX-T2_Config.exe" into a folder
// of its own under %TEMP% with "AsioConfig" pointing at it ("<path>" -Auto). The destructor
// ends every running stand-in and puts "AsioConfig" back as it was, absent included.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/utility_probe_log.h"
#include "tests/support/wait.h"

namespace rkx::test {

class UtilityStandIn {
public:
    // `folderName`: the folder under %TEMP%, one per suite so suites never read each other's record.
    explicit UtilityStandIn(const wchar_t* folderName);
    ~UtilityStandIn();
    UtilityStandIn(const UtilityStandIn&) = delete;
    UtilityStandIn& operator=(const UtilityStandIn&) = delete;

    bool ready() const { return ready_; }
    const std::wstring& program() const { return program_; }
    // What "AsioConfig" holds while the stand-in is installed, UTF-8.
    std::string AsioConfig() const;
    // Puts `blanks` blanks before "-Auto" in "AsioConfig".
    void PadAsioConfig(size_t blanks);
    std::vector<Launch> Launches() const;
    // Polls until at least `count` launches were recorded; what was recorded by then.
    std::vector<Launch> WaitForLaunches(size_t count, DWORD limitMs = kHangLimitMs) const;
    // Stand-in processes alive now.
    int RunningCount() const;
    // Lets every running stand-in end and waits until none runs; one that stays is ended by
    // force. False when any had to be.
    bool ReleaseAll() const;

private:
    bool ready_ = false;
    std::wstring folder_;
    std::wstring program_;
    std::wstring asioConfig_;
    bool hadAsioConfig_ = false;
    std::wstring previousAsioConfig_;
};

}  // namespace rkx::test
