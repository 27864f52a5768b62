#include "autosetup/console_work.h"

#include <cwchar>

namespace rkx::autosetup {
namespace {

// Takes the user of `session` and restores their settings. The user key and the handled
// session change only when the user's SID was read.
bool TakeUserAndRestore(AutoSetupState& state, const ServiceWork& work, DWORD session, ConsoleUser& user)
{
    if (session == kNoConsoleSession || !work.takeConsoleUser(session, user)) return false;
    std::wmemcpy(state.userKey, user.sid, kUserKeyChars);
    state.lastHandledSession = session;
    work.restoreSettings(state.productId, state.userKey);
    return true;
}

void Launch(const ServiceWork& work, const ConsoleUser* user)
{
    if (!work.mixerAsksForLaunch() || user == nullptr) return;
    wchar_t asioConfig[kCommandLineChars] = {};
    if (!work.readAsioConfig(asioConfig)) return;
    wchar_t commandLine[kCommandLineChars] = {};
    // The key on the command line is the SID of the very token the utility runs with.
    if (!BuildUtilityCommandLine(asioConfig, user->sid, commandLine)) return;
    work.startAsUser(user->token.get(), user->session, commandLine);
}

}  // namespace

void OnConsoleTick(AutoSetupState& state, const ServiceWork& work)
{
    const DWORD session = work.activeConsoleSession();
    if (session == kNoConsoleSession || static_cast<int64_t>(session) == state.lastHandledSession) return;
    ConsoleUser user;
    if (TakeUserAndRestore(state, work, session, user)) Launch(work, &user);
}

void OnMixerConnected(AutoSetupState& state, const ServiceWork& work)
{
    ConsoleUser user;
    const bool found = TakeUserAndRestore(state, work, work.activeConsoleSession(), user);
    Launch(work, found ? &user : nullptr);
}

}  // namespace rkx::autosetup
