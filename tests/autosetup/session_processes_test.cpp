// Ending the settings utility of one session, and finding a process by its exact name.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "autosetup/session_processes.h"
#include "common/unique_handle.h"
#include "tests/support/files.h"

namespace rkx::autosetup {
namespace {

// A long-running process under a chosen executable name (a copy of the utility stand-in).
class NamedProcess {
public:
    explicit NamedProcess(const wchar_t* name)
    {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        const std::wstring folder = std::wstring(temp) + L"rkx_autosetup_names\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        path_ = folder + name;
        if (!CopyFileW((rkx::test::OwnFolder() + L"utility_probe.exe").c_str(), path_.c_str(), FALSE)) return;
        std::wstring line = L"\"" + path_ + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        id_ = info.dwProcessId;
    }
    ~NamedProcess()
    {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), 10000);
        }
    }
    NamedProcess(const NamedProcess&) = delete;
    NamedProcess& operator=(const NamedProcess&) = delete;

    bool running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    DWORD id() const { return id_; }
    bool WaitEnded(DWORD& exitCode) const
    {
        if (!process_ || WaitForSingleObject(process_.get(), 10000) != WAIT_OBJECT_0) return false;
        return GetExitCodeProcess(process_.get(), &exitCode) != FALSE;
    }

private:
    std::wstring path_;
    UniqueHandle process_;
    DWORD id_ = 0;
};

TEST(AutoSetupSessionProcesses, LogOffEndsOnlyTheUtilityOfThatSession)
{
    NamedProcess utility(L"RKX-T2_Config.exe");
    NamedProcess bystander(L"RKX-T2_Other.exe");
    ASSERT_TRUE(utility.running() && bystander.running());
    DWORD session = 0;
    ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));

    EXPECT_EQ(TerminateUtilityInSession(L"RKX-T2_CONFIG.EXE", session + 1), 0) << "another session's log-off";
    EXPECT_TRUE(utility.running());

    EXPECT_EQ(TerminateUtilityInSession(L"RKX-T2_CONFIG.EXE", session), 1);
    DWORD exitCode = 99;
    ASSERT_TRUE(utility.WaitEnded(exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(bystander.running());
}

TEST(AutoSetupSessionProcesses, FindByNameMatchesCaseExactly)
{
    NamedProcess process(L"RKX-T2_Finder.exe");
    ASSERT_TRUE(process.running());
    EXPECT_EQ(FindProcessIdByName(L"RKX-T2_Finder.exe"), process.id());
    EXPECT_EQ(FindProcessIdByName(L"rkx-t2_finder.exe"), 0u);
    EXPECT_EQ(FindProcessIdByName(L"RKX-T2_Finder"), 0u);
    EXPECT_EQ(FindProcessIdByName(nullptr), 0u);
}

}  // namespace
}  // namespace rkx::autosetup
