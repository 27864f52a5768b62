#include "autosetup/system_service_work.h"

#include "autosetup/launch_request.h"
#include "autosetup/settings_restore.h"
#include "autosetup/stop_signal.h"
#include "autosetup/utility_launch.h"

namespace rkx::autosetup {

const ServiceWork& SystemServiceWork()
{
    static const ServiceWork work = [] {
        ServiceWork system;
        system.activeConsoleSession = [] { return WTSGetActiveConsoleSessionId(); };
        system.takeConsoleUser = TakeConsoleUser;
        system.restoreSettings = RestoreUserSettings;
        system.mixerAsksForLaunch = [] { return QueryLaunchRequest(StopSignal()); };
        system.readAsioConfig = ReadAsioConfig;
        system.startAsUser = StartAsUser;
        return system;
    }();
    return work;
}

}  // namespace rkx::autosetup
