// The service under Wine's service manager: start, stop, a second copy, a run by hand and a
// missing AppID key.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "common/unique_registry_key.h"
#include "tests/autosetup/service_rig.h"

namespace rkx::autosetup::test {
namespace {

// The program started by hand, as from a command prompt; ended when this goes out of scope.
class HandStartedCopy {
public:
    HandStartedCopy()
    {
        std::wstring line = L"\"" + InstalledServiceProgram() + L"\" some ignored -arguments";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
    }
    ~HandStartedCopy()
    {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), kHangLimitMs);
        }
    }
    HandStartedCopy(const HandStartedCopy&) = delete;
    HandStartedCopy& operator=(const HandStartedCopy&) = delete;

    bool started() const { return process_.valid(); }
    bool running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    // The exit code once it ended by itself; nothing when it is still running after the wait.
    std::optional<DWORD> WaitForExit() const
    {
        if (WaitForSingleObject(process_.get(), kHangLimitMs) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    UniqueHandle process_;
};

// Takes the service's AppID key away and puts it back (with its values) afterwards.
class AppIdKeyRemoved {
public:
    AppIdKeyRemoved()
    {
        UniqueKey key;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kServiceAppIdKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return;
        for (const wchar_t* name : {L"", L"LocalService"}) {
            wchar_t text[260] = {};
            DWORD bytes = sizeof(text) - sizeof(wchar_t);
            if (RegQueryValueExW(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &bytes) ==
                ERROR_SUCCESS) {
                saved_.push_back({name, text});
            }
        }
        key.reset();
        removed_ = RegDeleteTreeW(HKEY_CLASSES_ROOT, kServiceAppIdKey) == ERROR_SUCCESS;
    }
    ~AppIdKeyRemoved()
    {
        UniqueKey key;
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kServiceAppIdKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.receive(),
                            nullptr) != ERROR_SUCCESS) {
            return;
        }
        for (const auto& [name, text] : saved_) {
            RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        }
    }
    AppIdKeyRemoved(const AppIdKeyRemoved&) = delete;
    AppIdKeyRemoved& operator=(const AppIdKeyRemoved&) = delete;
    bool removed() const { return removed_; }

private:
    std::vector<std::pair<std::wstring, std::wstring>> saved_;
    bool removed_ = false;
};

using AutoSetupLifecycle = AutoSetupServiceTest;

TEST_F(AutoSetupLifecycle, StartRunsAndStopPassesThroughStopPendingToStopped)
{
    ASSERT_TRUE(StartAutoSetup()) << "error " << GetLastError();
    ASSERT_TRUE(WaitForAutoSetupState(SERVICE_RUNNING)) << "state " << AutoSetupState();
    const DWORD processId = AutoSetupProcessId();
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    ASSERT_TRUE(process.valid());
    EXPECT_TRUE(WaitForAutoSetupWindows(1)) << "the hidden window on the service's window station: "
                                          << CountAutoSetupWindows();

    // The control handler reports stop-pending before it lets the loop go; the loop's
    // tear-down then has to run before "stopped" can be reported.
    const DWORD answered = StopAutoSetup();
    EXPECT_EQ(answered, static_cast<DWORD>(SERVICE_STOP_PENDING));
    ASSERT_TRUE(WaitForAutoSetupState(SERVICE_STOPPED)) << "state " << AutoSetupState();
    ASSERT_EQ(WaitForSingleObject(process.get(), kHangLimitMs), WAIT_OBJECT_0) << "the process did not end";
    DWORD exitCode = 99;
    GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(CountAutoSetupWindows(), 0) << "the window outlived the service";

    // The single-instance mutex went with the process: the service starts again.
    ASSERT_TRUE(StartAutoSetup()) << "error " << GetLastError();
    EXPECT_TRUE(WaitForAutoSetupState(SERVICE_RUNNING)) << "state " << AutoSetupState();
}

TEST_F(AutoSetupLifecycle, SecondCopyStartedByHandReturnsZeroAtOnce)
{
    ASSERT_TRUE(StartAutoSetup());
    ASSERT_TRUE(WaitForAutoSetupState(SERVICE_RUNNING));
    HandStartedCopy second;
    ASSERT_TRUE(second.started());
    const auto exitCode = second.WaitForExit();
    ASSERT_TRUE(exitCode.has_value()) << "the second copy kept running";
    EXPECT_EQ(*exitCode, 0u);
    EXPECT_EQ(AutoSetupState(), static_cast<DWORD>(SERVICE_RUNNING)) << "the first copy must keep running";
    EXPECT_TRUE(WaitForAutoSetupWindows(1)) << CountAutoSetupWindows();
}

TEST_F(AutoSetupLifecycle, RunByHandItMonitorsWithoutStatusReports)
{
    PlantSettings();
    SetLaunchAnswer(RKX_LAUNCH_YES);
    ClearJournal();
    HandStartedCopy direct;
    ASSERT_TRUE(direct.started());
    // Monitoring: the first tick finds the console user, restores and starts the utility.
    const auto launches = utility.WaitForLaunches(1);
    ASSERT_EQ(launches.size(), 1u) << "a copy started by hand did not monitor";
    EXPECT_TRUE(direct.running());
    EXPECT_EQ(AutoSetupState(), static_cast<DWORD>(SERVICE_STOPPED)) << "a copy started by hand reported a status";
    EXPECT_EQ(CountOf(IOCTL_MIXER_SET_BOOST_LEVEL), 1u);
}

TEST_F(AutoSetupLifecycle, MissingAppIdKeyEndsWithTheRegistryError)
{
    AppIdKeyRemoved removed;
    ASSERT_TRUE(removed.removed());
    PlantSettings();
    SetLaunchAnswer(RKX_LAUNCH_YES);
    ClearJournal();
    HandStartedCopy copy;
    ASSERT_TRUE(copy.started());
    const auto exitCode = copy.WaitForExit();
    ASSERT_TRUE(exitCode.has_value()) << "it started monitoring without its AppID key";
    EXPECT_EQ(*exitCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(MixerRequests().empty()) << Describe(MixerRequests());
    EXPECT_TRUE(utility.Launches().empty());
}

}  // namespace
}  // namespace rkx::autosetup::test
