#include "tests/support/auto_setup_service.h"

#include <cwchar>

#include "common/unique_handle.h"
#include "common/unique_service_handle.h"
#include "tests/support/device_interface_record.h"
#include "virtualmixer/client/window_station_walk.h"

namespace rkx::test {
namespace {

struct OpenedService {
    UniqueServiceHandle manager{OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)};
    UniqueServiceHandle service{manager ? OpenServiceW(manager.get(), kAutoSetupServiceName, SERVICE_ALL_ACCESS)
                                        : nullptr};
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
        const bool service =
            GetClassNameW(window, className, 64) > 0 && std::wcscmp(className, kAutoSetupWindowClass) == 0;
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
    return WaitUntil([&] { return AutoSetupState() == state; }, limitMs);
}

void EnsureAutoSetupStopped()
{
    const DWORD processId = AutoSetupProcessId();
    UniqueHandle process(processId ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId) : nullptr);
    const DWORD state = AutoSetupState();
    if (state != SERVICE_STOPPED && state != 0) {
        StopAutoSetup();
        WaitForAutoSetupState(SERVICE_STOPPED);
    }
    if (process && WaitForSingleObject(process.get(), kHangLimitMs) == WAIT_TIMEOUT) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), kHangLimitMs);
    }
}

int CountAutoSetupWindows()
{
    return ForEachServiceWindow([](HWND) { return true; });
}

bool WaitForAutoSetupWindows(int count, DWORD limitMs)
{
    return WaitUntil([&] { return CountAutoSetupWindows() == count; }, limitMs, 50);
}

int SendToAutoSetupWindows(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ForEachServiceWindow([&](HWND window) {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kHangLimitMs, &answer) != 0;
    });
}

int SendDeviceInterfaceChange(bool arrival, const std::wstring& interfaceName)
{
    const DeviceInterfaceRecord record(interfaceName);
    return SendToAutoSetupWindows(WM_DEVICECHANGE, DeviceChangeEvent(arrival), record.lParam());
}

}  // namespace rkx::test
