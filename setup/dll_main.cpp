// Loading records the module and opens this process's notification window; unloading closes it.
#include <windows.h>

#include "setup/module_state.h"
#include "setup/notifications.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    try {
        if (reason == DLL_PROCESS_ATTACH) {
            DisableThreadLibraryCalls(module);
            rkx::setup::SetLibraryModule(module);
            rkx::setup::StartNotificationWindow(module);
        } else if (reason == DLL_PROCESS_DETACH) {
            rkx::setup::StopNotificationWindow(reserved != nullptr);
        }
    } catch (...) {
    }
    return TRUE;
}
