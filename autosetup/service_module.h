// The process's one module object: service entry, control handler, status reports and the
// run of the hidden window's message loop.
#pragma once

#include <windows.h>

#include <atomic>

namespace rkx::autosetup {

// Service-specific exit codes, shown by "sc query" after a failed start.
constexpr DWORD kServiceExitNoWindow = 1;  // the hidden window (or its class) could not be created

class CServiceModule {
public:
    // Loads the service name from string `nameId`, remembers the library identifier and
    // starts the status record as stopped. False when the name cannot be loaded.
    bool InitModule(HINSTANCE instance, UINT nameId, const GUID& libraryId);
    void SetRunAsService(bool runAsService) { runAsService_ = runAsService; }

    // Enters the service control dispatcher, or runs the loop directly when the process was
    // not started by the service control manager.
    void StartModule();
    DWORD ExitCode() const { return exitCode_; }

    void OnServiceMain(DWORD argumentCount, LPWSTR* arguments);
    void OnServiceControl(DWORD control);
    // Set-up, the hidden window's message loop and tear-down. A loop that cannot start leaves
    // its service-specific exit code in the module: the stop then reports it, and a direct run
    // ends with it.
    void RunServiceLoop();
    void ReportStatus(DWORD state);
    // The record ReportStatus hands to the service control manager for `state`.
    SERVICE_STATUS StatusRecord(DWORD state) const;

    const wchar_t* ServiceName() const { return serviceName_; }

private:
    HINSTANCE instance_ = nullptr;
    wchar_t serviceName_[256] = {};
    GUID libraryId_{};
    // Only the current state changes after start; reports are built from it on the spot, so
    // the dispatcher's thread and the loop thread never share a half-written record.
    std::atomic<DWORD> currentState_{SERVICE_STOPPED};
    DWORD exitCode_ = 0;             // Win32 exit code: ERROR_SERVICE_SPECIFIC_ERROR after a failure
    DWORD serviceExitCode_ = 0;      // one of kServiceExit...
    SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
    std::atomic<DWORD> loopThread_{0};
    bool runAsService_ = false;
};

extern CServiceModule g_module;

}  // namespace rkx::autosetup
