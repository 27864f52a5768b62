// The process's one module object: service entry, control handler, status reports and the
// run of the hidden window's message loop.
#pragma once

#include <windows.h>

#include <atomic>

namespace rkx::autosetup {

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
    void RunServiceLoop();
    void ReportStatus(DWORD state);

    const wchar_t* ServiceName() const { return serviceName_; }

private:
    HINSTANCE instance_ = nullptr;
    wchar_t serviceName_[256] = {};
    GUID libraryId_{};
    // Only the current state changes after start; reports are built from it on the spot, so
    // the dispatcher's thread and the loop thread never share a half-written record.
    std::atomic<DWORD> currentState_{SERVICE_STOPPED};
    DWORD exitCode_ = 0;
    SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
    std::atomic<DWORD> loopThread_{0};
    bool runAsService_ = false;
};

extern CServiceModule g_module;

}  // namespace rkx::autosetup
