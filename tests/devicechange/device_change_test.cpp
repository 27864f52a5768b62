// The rig's mixer announcement must reach a hidden window that asked for USB device
// interface notifications, both in a plain process and in a service on the service window
// station: that is where the auto-setup service will be listening.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "common/unique_service_handle.h"
#include "device_change_names.h"
#include "tests/support/files.h"
#include "tests/support/text.h"
#include "virtualmixer/client/device_change_broadcast.h"

namespace {

using rkx::UniqueHandle;
namespace dc = rkx::devicechange;

// Wide bounds: only there to turn a hang into a failure.
constexpr DWORD kWaitMs = 10000;
constexpr DWORD kPollMs = 50;

// Built into the same output folder as this test.
std::wstring ListenerPath() { return rkx::test::OwnFolder() + L"device_change_listener.exe"; }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// A log file in %TEMP% that is gone before and after the test.
class TempLog {
public:
    explicit TempLog(const wchar_t* tag)
    {
        wchar_t folder[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, folder);
        path_ = std::wstring(folder) + L"rkx_devicechange_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) +
                L".log";
        DeleteFileW(path_.c_str());
    }
    ~TempLog() { DeleteFileW(path_.c_str()); }
    TempLog(const TempLog&) = delete;
    TempLog& operator=(const TempLog&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

struct LogLine {
    unsigned event = 0;
    std::string deviceType;
    std::string name;
};

// "0x8000 5 \\?\USB#..." per line, as the listener writes them.
std::vector<LogLine> ParseLog(const std::string& text)
{
    std::vector<LogLine> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        const std::string row = text.substr(start, end - start);
        start = end + 1;
        const size_t firstSpace = row.find(' ');
        if (firstSpace == std::string::npos) continue;
        const size_t secondSpace = row.find(' ', firstSpace + 1);
        LogLine line;
        line.event = static_cast<unsigned>(std::strtoul(row.substr(0, firstSpace).c_str(), nullptr, 16));
        line.deviceType = row.substr(firstSpace + 1, secondSpace == std::string::npos ? std::string::npos
                                                                                       : secondSpace - firstSpace - 1);
        if (secondSpace != std::string::npos) line.name = row.substr(secondSpace + 1);
        lines.push_back(line);
    }
    return lines;
}

// Index of the first line announcing `event` for mixer 0 as a USB device interface.
std::optional<size_t> FindMixerLine(const std::vector<LogLine>& lines, unsigned event)
{
    const std::string expectedName = rkx::test::Utf8(rkx::vmix::MixerUsbDeviceName(0));
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].event == event && lines[i].deviceType == std::to_string(DBT_DEVTYP_DEVICEINTERFACE) &&
            lines[i].name == expectedName) {
            return i;
        }
    }
    return std::nullopt;
}

std::string Describe(const std::vector<LogLine>& lines)
{
    if (lines.empty()) return "(log is empty)";
    std::string out;
    for (const LogLine& line : lines) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%04X", line.event);
        out += std::string("\n  ") + code + " " + line.deviceType + " " + line.name;
    }
    return out;
}

// A listener started as a plain process; whatever happens it is gone afterwards.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess()
    {
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), kWaitMs);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::wstring& commandLine)
    {
        std::wstring mutableLine = commandLine;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info)) {
            return false;
        }
        CloseHandle(info.hThread);
        process_.reset(info.hProcess);
        id_ = info.dwProcessId;
        return true;
    }
    HANDLE handle() const { return process_.get(); }
    DWORD id() const { return id_; }

private:
    UniqueHandle process_;
    DWORD id_ = 0;
};

using ServiceHandle = rkx::UniqueServiceHandle;

std::optional<SERVICE_STATUS_PROCESS> QueryStatus(SC_HANDLE service)
{
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                              &needed)) {
        return std::nullopt;
    }
    return status;
}

bool WaitForServiceState(SC_HANDLE service, DWORD state, SERVICE_STATUS_PROCESS& last)
{
    for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
        const auto status = QueryStatus(service);
        if (!status) return false;
        last = *status;
        if (last.dwCurrentState == state) return true;
        Sleep(kPollMs);
    }
    return false;
}

// A listener installed as an own-process service: stopped, deleted and its process gone when
// this goes out of scope, however the test ended.
class InstalledService {
public:
    InstalledService(SC_HANDLE manager, const std::wstring& name, const std::wstring& binaryPath)
        : service_(CreateServiceW(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                  SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binaryPath.c_str(), nullptr, nullptr,
                                  nullptr, nullptr, nullptr)),
          createError_(service_ ? ERROR_SUCCESS : GetLastError())
    {
    }
    ~InstalledService()
    {
        if (!service_) return;
        SERVICE_STATUS_PROCESS last{};
        if (const auto status = QueryStatus(service_.get()); status && status->dwCurrentState != SERVICE_STOPPED) {
            SERVICE_STATUS ignored{};
            ControlService(service_.get(), SERVICE_CONTROL_STOP, &ignored);
            WaitForServiceState(service_.get(), SERVICE_STOPPED, last);
        }
        if (process_ && WaitForSingleObject(process_.get(), kWaitMs) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 1);
            WaitForSingleObject(process_.get(), kWaitMs);
        }
        DeleteService(service_.get());
    }
    InstalledService(const InstalledService&) = delete;
    InstalledService& operator=(const InstalledService&) = delete;

    SC_HANDLE get() const { return service_.get(); }
    DWORD createError() const { return createError_; }
    // Keeps hold of the service's process so it can be waited for (and, as a last resort, ended).
    void Track(DWORD processId)
    {
        process_.reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                   processId));
    }
    HANDLE process() const { return process_.get(); }

private:
    ServiceHandle service_;
    DWORD createError_;
    UniqueHandle process_;
};

// Posts WM_CLOSE to the listener window owned by `processId`.
bool CloseListenerWindow(DWORD processId)
{
    for (HWND window = FindWindowExW(nullptr, nullptr, dc::kWindowClass, nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, dc::kWindowClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return PostMessageW(window, WM_CLOSE, 0, 0) != FALSE;
    }
    return false;
}

class DeviceChangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ready.reset(CreateEventW(nullptr, TRUE, FALSE, dc::kReadyEvent));
        heard.reset(CreateEventW(nullptr, TRUE, FALSE, dc::kHeardEvent));
        ASSERT_TRUE(ready.valid() && heard.valid()) << "cannot create the listener's events, error " << GetLastError();
        // The events may outlive an earlier run; only this test's listener may set them.
        ResetEvent(ready.get());
        ResetEvent(heard.get());
        listener = ListenerPath();
        ASSERT_NE(GetFileAttributesW(listener.c_str()), INVALID_FILE_ATTRIBUTES)
            << "listener not found at " << rkx::test::Utf8(listener);
    }

    // Announces mixer 0 leaving, then arriving, and checks the listener wrote both down.
    void AnnounceAndExpectBothHeard(const std::wstring& logPath)
    {
        ResetEvent(heard.get());
        EXPECT_GE(rkx::vmix::BroadcastMixerDeviceChange(false, 0), 1) << "no window took the removal";
        EXPECT_GE(rkx::vmix::BroadcastMixerDeviceChange(true, 0), 1) << "no window took the arrival";
        ASSERT_EQ(WaitForSingleObject(heard.get(), kWaitMs), WAIT_OBJECT_0) << "the listener heard nothing";

        std::vector<LogLine> lines;
        std::optional<size_t> removal;
        std::optional<size_t> arrival;
        for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
            lines = ParseLog(rkx::test::ReadWholeFile(logPath));
            removal = FindMixerLine(lines, DBT_DEVICEREMOVECOMPLETE);
            arrival = FindMixerLine(lines, DBT_DEVICEARRIVAL);
            if (removal && arrival) break;
            Sleep(kPollMs);
        }
        const std::string expected = rkx::test::Utf8(rkx::vmix::MixerUsbDeviceName(0));
        ASSERT_NE(expected.find(rkx::test::Utf8(RKX_USB_DEVICE_NAME_TAG)), std::string::npos);
        ASSERT_TRUE(removal.has_value()) << "no 0x8004 line of type 5 naming " << expected << Describe(lines);
        ASSERT_TRUE(arrival.has_value()) << "no 0x8000 line of type 5 naming " << expected << Describe(lines);
        EXPECT_LT(*removal, *arrival) << "removal and arrival came in the wrong order" << Describe(lines);
    }

    UniqueHandle ready;
    UniqueHandle heard;
    std::wstring listener;
};

TEST_F(DeviceChangeTest, PlainProcessWindowHearsMixerRemovalAndArrival)
{
    TempLog log(L"window");
    ChildProcess child;
    ASSERT_TRUE(child.Start(Quoted(listener) + L" --window " + Quoted(log.path())))
        << "cannot start the listener, error " << GetLastError();

    const HANDLE startup[] = {ready.get(), child.handle()};
    const DWORD woke = WaitForMultipleObjects(2, startup, FALSE, kWaitMs);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(child.handle(), &exitCode);
    ASSERT_EQ(woke, WAIT_OBJECT_0) << "the listener did not get ready (exit code " << exitCode << ")";

    AnnounceAndExpectBothHeard(log.path());

    ASSERT_TRUE(CloseListenerWindow(child.id())) << "the listener's window is not on this desktop";
    ASSERT_EQ(WaitForSingleObject(child.handle(), kWaitMs), WAIT_OBJECT_0) << "the listener did not exit when closed";
    GetExitCodeProcess(child.handle(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

TEST_F(DeviceChangeTest, ServiceWindowHearsMixerRemovalAndArrival)
{
    TempLog log(L"service");
    const std::wstring name = L"RkxDeviceChangeProbe" + std::to_wstring(GetCurrentProcessId());
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager) << "cannot open the service control manager, error " << GetLastError();

    InstalledService service(manager.get(), name,
                             Quoted(listener) + L" --service " + name + L" " + Quoted(log.path()));
    ASSERT_NE(service.get(), nullptr) << "cannot create the service, error " << service.createError();
    ASSERT_TRUE(StartServiceW(service.get(), 0, nullptr)) << "cannot start the service, error " << GetLastError();

    SERVICE_STATUS_PROCESS last{};
    ASSERT_TRUE(WaitForServiceState(service.get(), SERVICE_RUNNING, last))
        << "the service did not run (state " << last.dwCurrentState << ", exit " << last.dwWin32ExitCode << "/"
        << last.dwServiceSpecificExitCode << ")";
    service.Track(last.dwProcessId);
    ASSERT_NE(service.process(), nullptr) << "cannot open the service's process " << last.dwProcessId;

    const HANDLE startup[] = {ready.get(), service.process()};
    ASSERT_EQ(WaitForMultipleObjects(2, startup, FALSE, kWaitMs), WAIT_OBJECT_0)
        << "the service's listener did not get ready";

    AnnounceAndExpectBothHeard(log.path());

    SERVICE_STATUS stopped{};
    ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_STOP, &stopped))
        << "cannot stop the service, error " << GetLastError();
    ASSERT_TRUE(WaitForServiceState(service.get(), SERVICE_STOPPED, last))
        << "the service did not stop (state " << last.dwCurrentState << ")";
    EXPECT_EQ(last.dwWin32ExitCode, static_cast<DWORD>(NO_ERROR))
        << "the listener's own exit code " << last.dwServiceSpecificExitCode;
    EXPECT_EQ(WaitForSingleObject(service.process(), kWaitMs), WAIT_OBJECT_0)
        << "the service's process outlived the stop";
}

}  // namespace
