// device_change_listener: a hidden top-level window that writes down every WM_DEVICECHANGE it
// gets, the way the auto-setup service will listen for the mixer. Runs as a plain process or
// as an own-process service, so the tests can see where the rig's announcement arrives.
//
//   device_change_listener --window LOGFILE
//   device_change_listener --service NAME LOGFILE
//
// Log line: "0x8000 5 \\?\USB#VID_3C1A&PID_0052#...", i.e. the event code, the record's device
// type ("-" without a record) and the device name in UTF-8.
#include <windows.h>
#include <dbt.h>

#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/unique_handle.h"
#include "device_change_names.h"
#include "tests/support/device_interface_record.h"
#include "tests/support/text.h"
#include "virtualmixer/client/command_line.h"

namespace {

using rkx::UniqueHandle;
namespace dc = rkx::devicechange;

constexpr int kUsageError = 2;
constexpr int kSetupFailure = 3;

// One line per event, opened and closed each time so a reader never sees a half-held file.
void AppendLine(const std::wstring& path, const std::string& line)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file.get(), end, nullptr, FILE_END)) return;
    DWORD written = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string DescribeEvent(WPARAM event, LPARAM data)
{
    char code[32];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(event));
    std::string line = code;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr || header->dbch_size < sizeof(DEV_BROADCAST_HDR)) return line + " - \n";
    line += " " + std::to_string(header->dbch_devicetype) + " ";
    if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
        header->dbch_size > offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) {
        // The name ends at its terminator or at the record's end, whichever comes first.
        const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
        const size_t room = (header->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) / sizeof(wchar_t);
        line += rkx::test::Utf8(std::wstring_view(record->dbcc_name, wcsnlen(record->dbcc_name, room)));
    }
    return line + "\n";
}

struct Listener {
    std::wstring logPath;
    HANDLE heard = nullptr;
};

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* listener = reinterpret_cast<Listener*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
        case WM_DEVICECHANGE:
            if (listener != nullptr) {
                AppendLine(listener->logPath, DescribeEvent(wParam, lParam));
                SetEvent(listener->heard);
            }
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
        }
    } catch (...) {
        // Nothing to save: the line is lost, the window keeps listening.
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class WindowClass {
public:
    WindowClass()
    {
        WNDCLASSEXW info{};
        info.cbSize = sizeof info;
        info.lpfnWndProc = ListenerProc;
        info.hInstance = GetModuleHandleW(nullptr);
        info.lpszClassName = dc::kWindowClass;
        atom_ = RegisterClassExW(&info);
    }
    ~WindowClass()
    {
        if (atom_ != 0) UnregisterClassW(dc::kWindowClass, GetModuleHandleW(nullptr));
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    bool ok() const { return atom_ != 0; }

private:
    ATOM atom_ = 0;
};

class Window {
public:
    explicit Window(HWND handle) : handle_(handle) {}
    ~Window()
    {
        if (handle_ != nullptr && IsWindow(handle_)) DestroyWindow(handle_);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND get() const { return handle_; }

private:
    HWND handle_;
};

class DeviceNotification {
public:
    explicit DeviceNotification(HDEVNOTIFY handle) : handle_(handle) {}
    ~DeviceNotification()
    {
        if (handle_ != nullptr) UnregisterDeviceNotification(handle_);
    }
    DeviceNotification(const DeviceNotification&) = delete;
    DeviceNotification& operator=(const DeviceNotification&) = delete;
    HDEVNOTIFY get() const { return handle_; }

private:
    HDEVNOTIFY handle_;
};

// Creates the window on the calling thread and pumps its messages until the window is closed
// or `stop` (may be null) is set. Returns 0 when it listened, kSetupFailure when it could not.
int ListenOnThisThread(const std::wstring& logPath, HANDLE stop)
{
    UniqueHandle heard(CreateEventW(nullptr, TRUE, FALSE, dc::kHeardEvent));
    UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, dc::kReadyEvent));
    if (!heard || !ready) return kSetupFailure;
    Listener listener{logPath, heard.get()};

    WindowClass windowClass;
    if (!windowClass.ok()) return kSetupFailure;
    // Style 0: top-level and never shown, like the service's own window.
    Window window(CreateWindowExW(0, dc::kWindowClass, L"RKX device change listener", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), &listener));
    if (window.get() == nullptr) return kSetupFailure;

    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = rkx::test::kUsbDeviceInterfaceClass;
    DeviceNotification notification(RegisterDeviceNotificationW(window.get(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
    if (notification.get() == nullptr) return kSetupFailure;

    SetEvent(ready.get());
    const DWORD waitCount = stop != nullptr ? 1 : 0;
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(waitCount, &stop, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (waitCount == 1 && woke == WAIT_OBJECT_0) return 0;
        if (woke == WAIT_FAILED) return kSetupFailure;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// ---- service mode ----------------------------------------------------------------------

std::wstring g_serviceName;
std::wstring g_serviceLog;
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
HANDLE g_stopEvent = nullptr;

void Report(DWORD state, DWORD exitCode = NO_ERROR)
{
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    status.dwWin32ExitCode = exitCode == NO_ERROR ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = exitCode;
    status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 5000;
    SetServiceStatus(g_statusHandle, &status);
}

DWORD WINAPI ServiceControl(DWORD control, DWORD, LPVOID, LPVOID)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
        Report(SERVICE_STOP_PENDING);
        SetEvent(g_stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPWSTR*)
{
    g_statusHandle = RegisterServiceCtrlHandlerExW(g_serviceName.c_str(), ServiceControl, nullptr);
    if (g_statusHandle == nullptr) return;
    int result = kSetupFailure;
    try {
        Report(SERVICE_RUNNING);
        // This thread owns the window and its message loop; the control handler only signals.
        result = ListenOnThisThread(g_serviceLog, g_stopEvent);
    } catch (...) {
        result = kSetupFailure;
    }
    Report(SERVICE_STOPPED, static_cast<DWORD>(result));
}

int RunService()
{
    UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop) return kSetupFailure;
    g_stopEvent = stop.get();
    std::vector<wchar_t> name(g_serviceName.begin(), g_serviceName.end());
    name.push_back(L'\0');
    SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) {
        std::fprintf(stderr, "device_change_listener: not started as a service (error %lu)\n", GetLastError());
        return kSetupFailure;
    }
    return 0;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: device_change_listener --window LOGFILE\n"
                 "       device_change_listener --service NAME LOGFILE\n");
    return kUsageError;
}

int Run()
{
    const std::vector<std::wstring> args = rkx::vmix::CommandLineArguments();
    if (args.size() == 2 && args[0] == L"--window") return ListenOnThisThread(args[1], nullptr);
    if (args.size() == 3 && args[0] == L"--service") {
        g_serviceName = args[1];
        g_serviceLog = args[2];
        return RunService();
    }
    return Usage();
}

}  // namespace

int main() { return rkx::vmix::RunToolMain("device_change_listener", Run, kSetupFailure); }
