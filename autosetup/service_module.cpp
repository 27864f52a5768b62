#include "autosetup/service_module.h"

#include <iterator>

#include "autosetup/autosetup_state.h"
#include "autosetup/autosetup_window.h"
#include "autosetup/com_security.h"
#include "autosetup/stop_signal.h"
#include "include/rkx_t2_setup.h"

namespace rkx::autosetup {

CServiceModule g_module;

namespace {

void WINAPI ServiceMainEntry(DWORD argumentCount, LPWSTR* arguments)
{
    try {
        g_module.OnServiceMain(argumentCount, arguments);
    } catch (...) {
        g_module.ReportStatus(SERVICE_STOPPED);
    }
}

void WINAPI ServiceControlEntry(DWORD control)
{
    try {
        g_module.OnServiceControl(control);
    } catch (...) {
    }
}

// Gives the calling thread its message queue, so a stop posted before the loop starts is kept.
void EnsureMessageQueue()
{
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

}  // namespace

bool CServiceModule::InitModule(HINSTANCE instance, UINT nameId, const GUID& libraryId)
{
    instance_ = instance;
    libraryId_ = libraryId;
    currentState_ = SERVICE_STOPPED;
    exitCode_ = 0;
    runAsService_ = true;
    return LoadStringW(instance, nameId, serviceName_, static_cast<int>(std::size(serviceName_))) > 0;
}

void CServiceModule::StartModule()
{
    if (runAsService_) {
        SERVICE_TABLE_ENTRYW table[] = {{serviceName_, ServiceMainEntry}, {nullptr, nullptr}};
        // Fails when the service control manager did not start this process.
        if (!StartServiceCtrlDispatcherW(table)) runAsService_ = false;
    }
    if (runAsService_) return;  // the dispatcher returned after the service stopped
    RunServiceLoop();
}

void CServiceModule::OnServiceMain(DWORD, LPWSTR*)
{
    EnsureMessageQueue();
    loopThread_ = GetCurrentThreadId();
    currentState_ = SERVICE_START_PENDING;
    statusHandle_ = RegisterServiceCtrlHandlerW(serviceName_, ServiceControlEntry);
    if (statusHandle_ == nullptr) return;
    ReportStatus(SERVICE_START_PENDING);
    RunServiceLoop();
    ReportStatus(SERVICE_STOPPED);
}

void CServiceModule::OnServiceControl(DWORD control)
{
    if (control != SERVICE_CONTROL_STOP) return;
    ReportStatus(SERVICE_STOP_PENDING);
    // A question to the mixer in progress gives up at once; the loop then sees the quit.
    RaiseStopSignal();
    PostThreadMessageW(loopThread_, WM_QUIT, 0, 0);
}

SERVICE_STATUS CServiceModule::StatusRecord(DWORD state) const
{
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    status.dwWin32ExitCode = exitCode_;
    status.dwServiceSpecificExitCode = serviceExitCode_;
    return status;
}

void CServiceModule::ReportStatus(DWORD state)
{
    currentState_ = state;
    if (!runAsService_ || statusHandle_ == nullptr) return;
    SERVICE_STATUS status = StatusRecord(state);
    SetServiceStatus(statusHandle_, &status);
}

void CServiceModule::RunServiceLoop()
{
    EnsureMessageQueue();
    loopThread_ = GetCurrentThreadId();
    ComSession com;
    if (runAsService_) ReportStatus(SERVICE_RUNNING);

    AutoSetupState& state = State();
    state.connected = QVR_IsUSBConnection(state.productId) == QVR_CONNECTED;
    state.lastHandledSession = kNoSessionHandled;

    MonitorWindow window;
    if (!window.Create(instance_)) {
        // Without the window the service hears of nothing: a stop with exit code 0 would hide it.
        exitCode_ = ERROR_SERVICE_SPECIFIC_ERROR;
        serviceExitCode_ = kServiceExitNoWindow;
        return;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    // Tear-down: the window's registrations and the window (MonitorWindow), then COM and the
    // security descriptor (ComSession). No class objects were registered, so none are revoked.
}

}  // namespace rkx::autosetup
