#include "tests/stress/service_control.h"

#include <tlhelp32.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "common/unique_service_handle.h"
#include "virtualmixer/client/window_station_walk.h"

namespace rkx::stress {
namespace {

constexpr wchar_t kServiceName[] = L"RKX-T2_AutoSetup";
constexpr wchar_t kWindowClass[] = L"RKXT2AutoSetupWin";
constexpr DWORD kPollMs = 20;
// Only turns a hung window into a failure.
constexpr DWORD kMessageLimitMs = 20000;

using ServiceHandle = rkx::UniqueServiceHandle;

struct OpenedService {
    ServiceHandle manager{OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)};
    ServiceHandle service{manager ? OpenServiceW(manager.get(), kServiceName, SERVICE_ALL_ACCESS) : nullptr};
};

bool QueryStatus(SERVICE_STATUS_PROCESS& status)
{
    OpenedService opened;
    DWORD needed = 0;
    return opened.service && QueryServiceStatusEx(opened.service.get(), SC_STATUS_PROCESS_INFO,
                                                  reinterpret_cast<BYTE*>(&status), sizeof status, &needed);
}

// Calls `use` for every service window while the process sits on that window's station: a
// window of another station can only be reached from there.
template <typename Use>
int ForEachServiceWindow(Use use)
{
    return vmix::ForEachTopLevelWindow([&](HWND window) {
        wchar_t className[64] = {};
        const bool service = GetClassNameW(window, className, 64) > 0 && std::wcscmp(className, kWindowClass) == 0;
        return service && use(window) ? 1 : 0;
    });
}

}  // namespace

DWORD AutoSetupState()
{
    SERVICE_STATUS_PROCESS status{};
    return QueryStatus(status) ? status.dwCurrentState : 0;
}

DWORD AutoSetupProcessId()
{
    SERVICE_STATUS_PROCESS status{};
    return QueryStatus(status) ? status.dwProcessId : 0;
}

bool StartAutoSetup()
{
    OpenedService opened;
    return opened.service && StartServiceW(opened.service.get(), 0, nullptr);
}

DWORD StopAutoSetup()
{
    OpenedService opened;
    SERVICE_STATUS status{};
    if (!opened.service || !ControlService(opened.service.get(), SERVICE_CONTROL_STOP, &status)) return 0;
    return status.dwCurrentState;
}

bool WaitForAutoSetupState(DWORD state, DWORD limitMs)
{
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    for (;;) {
        if (AutoSetupState() == state) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
}

void EnsureAutoSetupStopped()
{
    const DWORD processId = AutoSetupProcessId();
    UniqueHandle process(processId ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId) : nullptr);
    const DWORD state = AutoSetupState();
    if (state != SERVICE_STOPPED && state != 0) {
        StopAutoSetup();
        WaitForAutoSetupState(SERVICE_STOPPED, kMessageLimitMs);
    }
    if (process && WaitForSingleObject(process.get(), kMessageLimitMs) == WAIT_TIMEOUT) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), kMessageLimitMs);
    }
}

int CountProcessesNamed(const wchar_t* executable)
{
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return -1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (_wcsicmp(entry.szExeFile, executable) == 0) ++count;
    return count;
}

int CountAutoSetupWindows()
{
    return ForEachServiceWindow([](HWND) { return true; });
}

int SendToAutoSetupWindows(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ForEachServiceWindow([&](HWND window) {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kMessageLimitMs, &answer) != 0;
    });
}

}  // namespace rkx::stress
