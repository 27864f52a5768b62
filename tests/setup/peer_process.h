// Another process for the notification tests: rkxsetup (beside the test program) started with
// its output on a pipe, read line by line.
#pragma once

#include <windows.h>

#include <string>

#include "common/unique_handle.h"

namespace rkx::setup::test {

// rkxsetup.exe beside the test program.
std::wstring ToolPath();

class PeerProcess {
public:
    // Starts "rkxsetup.exe <arguments>"; check Started().
    explicit PeerProcess(const std::wstring& arguments);
    ~PeerProcess();

    bool Started() const { return process_.valid(); }
    // The next line of its output, without the line end; empty after `timeoutMs` (a hang) or
    // when the process ended.
    std::string ReadLine(DWORD timeoutMs = 60000);
    // Waits for the process to end; its exit code, or -1 when it did not end in time.
    int Wait(DWORD timeoutMs = 60000);

private:
    UniqueHandle process_;
    UniqueHandle output_;
    std::string pending_;
};

// Runs rkxsetup to its end and returns its exit code, with all its output in `output`.
int RunTool(const std::wstring& arguments, std::string& output);

}  // namespace rkx::setup::test
