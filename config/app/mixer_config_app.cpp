#include "app/mixer_config_app.h"

#include "app/foreground.h"
#include "app/registry_names.h"
#include "app/start_arguments.h"
#include "app/ui_strings.h"
#include "common/unique_handle.h"
#include "dialog/mixer_config_dlg.h"
#include "strings/string_ids.h"

namespace {

// Another copy runs in this logon session: raise its window, if it can be found by its title.
void RaiseRunningCopy()
{
    const std::wstring title = config::FormatUiString(kStrTitleFormat, config::kModelName);
    if (HWND running = FindWindowW(nullptr, title.c_str())) config::BringToForeground(running);
}

}  // namespace

bool CMixerConfigApp::InitInstance()
{
    // The session's own namespace: copies in other logon sessions do not see this one.
    rkx::UniqueHandle instanceMutex(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, config::kSingleInstanceMutex));
    if (instanceMutex) {
        instanceMutex.reset();
        RaiseRunningCopy();
        return false;
    }
    instanceMutex.reset(CreateMutexW(nullptr, TRUE, config::kSingleInstanceMutex));
    const DWORD wait = instanceMutex ? WaitForSingleObject(instanceMutex.get(), 0) : WAIT_FAILED;
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        instanceMutex.reset();
        RaiseRunningCopy();
        return false;
    }

    const config::StartArguments arguments = config::ParseStartArguments(commandLine());
    {
        CMixerConfigDlg dialog;
        dialog.SetStartArguments(arguments.autoStart, arguments.userSid);
        dialog.DoModal();
        dialog.DestroyWindow();
    }
    return false;
}

namespace {
// The skin code's graphics object is made during static initialisation, before this one runs.
CMixerConfigApp g_application;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return CWinApplication::Main(instance);
}
