// The console user: who the started utility runs as, and what a log-off does. Wine produces
// no session log-off, so the message the session service would send is delivered to the
// service's window by hand.
#include <gtest/gtest.h>

#include <windows.h>
#include <wtsapi32.h>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "tests/autosetup/service_rig.h"

namespace rkx::autosetup::test {
namespace {

using AutoSetupConsoleUser = AutoSetupServiceTest;

TEST_F(AutoSetupConsoleUser, ServiceStartWithTheMixerConnectedRestoresAndAsksOnceOnTheFirstTick)
{
    PlantSettings();
    ClearJournal();
    StartServiceAndWaitForFirstLaunch();
    if (HasFatalFailure()) return;
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(1)) << Describe(MixerRequests());
    // Later ticks find the console session handled.
    Sleep(2500);
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(1)) << Describe(MixerRequests());
    EXPECT_EQ(utility.Launches().size(), 1u);
}

TEST_F(AutoSetupConsoleUser, UtilityRunsWithTheConsoleUsersTokenOnTheInteractiveDesktop)
{
    PlantSettings();
    StartServiceAndWaitForFirstLaunch();
    if (HasFatalFailure()) return;
    const Launch launch = utility.Launches().at(0);
    const std::string consoleUser = ConsoleUserSid();
    ASSERT_FALSE(consoleUser.empty());
    EXPECT_EQ(launch.userSid, consoleUser);
    EXPECT_NE(launch.userSid, "S-1-5-18") << "the utility must never run as the system";
    EXPECT_EQ(launch.session, WTSGetActiveConsoleSessionId());
    EXPECT_EQ(_stricmp(launch.desktop.c_str(), "WinSta0\\Default"), 0) << launch.desktop;
    EXPECT_EQ(launch.commandLine, utility.AsioConfig() + consoleUser);
}

TEST_F(AutoSetupConsoleUser, LogOffEndsThatSessionsUtilityAndTheNextTickRestoresAgain)
{
    PlantSettings();
    StartServiceAndWaitForFirstLaunch();
    if (HasFatalFailure()) return;
    const DWORD session = utility.Launches().at(0).session;
    UniqueHandle first(OpenProcess(SYNCHRONIZE, FALSE, utility.Launches().at(0).processId));
    ASSERT_TRUE(first.valid());

    // Another session logs off: this session's utility stays, but the console is looked at
    // again on the next tick.
    ClearJournal();
    ASSERT_EQ(SendToAutoSetupWindows(WM_WTSSESSION_CHANGE, WTS_SESSION_LOGOFF, session + 1), 1);
    EXPECT_EQ(WaitForSingleObject(first.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    const auto launches = utility.WaitForLaunches(2);
    ASSERT_EQ(launches.size(), 2u) << "no restore and launch after the log-off";
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(1)) << Describe(MixerRequests());

    // This session logs off: both of its utilities end.
    UniqueHandle second(OpenProcess(SYNCHRONIZE, FALSE, launches[1].processId));
    ASSERT_TRUE(second.valid());
    ASSERT_EQ(SendToAutoSetupWindows(WM_WTSSESSION_CHANGE, WTS_SESSION_LOGOFF, session), 1);
    EXPECT_EQ(WaitForSingleObject(first.get(), kHangLimitMs), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second.get(), kHangLimitMs), WAIT_OBJECT_0);
    EXPECT_EQ(utility.WaitForLaunches(3).size(), 3u) << "the next tick asks again";
}

TEST_F(AutoSetupConsoleUser, OtherSessionEventsChangeNothing)
{
    StartServiceAndWaitForFirstLaunch();
    if (HasFatalFailure()) return;
    ClearJournal();
    const DWORD session = utility.Launches().at(0).session;
    for (WPARAM event : {WTS_SESSION_LOGON, WTS_SESSION_LOCK, WTS_CONSOLE_DISCONNECT, WTS_CONSOLE_CONNECT})
        ASSERT_EQ(SendToAutoSetupWindows(WM_WTSSESSION_CHANGE, event, session), 1);
    Sleep(2500);  // two ticks
    EXPECT_TRUE(MixerRequests().empty()) << Describe(MixerRequests());
    EXPECT_EQ(utility.Launches().size(), 1u);
    EXPECT_EQ(utility.RunningCount(), 1);
}

}  // namespace
}  // namespace rkx::autosetup::test
