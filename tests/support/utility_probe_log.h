// The record the settings-utility stand-in keeps of how each copy of it was started, read by
// the service tests and the service's robustness suite.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rkx::test {

struct Launch {
    DWORD processId = 0;
    std::string userSid;
    DWORD session = 0;
    std::string desktop;
    std::string commandLine;
};

// Every complete row of the record in `folder` (a row still being written is left out).
std::vector<Launch> ReadProbeLaunches(const std::wstring& folder);

}  // namespace rkx::test
