// Plugging the mixer in while the service runs: the restore, the question to the mixer and
// the utility's start; and what must not trigger them.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstdio>
#include <string>

#include "common/mixer_requests.h"
#include "tests/autosetup/service_rig.h"
#include "virtualmixer/client/device_change_broadcast.h"

namespace rkx::autosetup::test {
namespace {

class AutoSetupDeviceArrival : public AutoSetupServiceTest {
protected:
    void SetUp() override
    {
        AutoSetupServiceTest::SetUp();
        if (HasFatalFailure()) return;
        PlantSettings();
        StartServiceAndWaitForFirstLaunch();
        if (HasFatalFailure()) return;
        // Connected flag now 1: take the mixer away so that the next plug-in is an arrival.
        PlugAndAnnounce(false);
        ClearJournal();
    }
};

TEST_F(AutoSetupDeviceArrival, PlugInRestoresOnceThenStartsTheUtilityWithTheExactCommandLine)
{
    PlugAndAnnounce(true);
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(1)) << Describe(MixerRequests());
    const auto launches = utility.WaitForLaunches(2);
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[1].commandLine, utility.AsioConfig() + ConsoleUserSid());
}

TEST_F(AutoSetupDeviceArrival, RigAnnouncementReachesTheService)
{
    // The way the rig's plug command announces a mixer to every window, services' included.
    SetPlugged(true);
    rkx::vmix::BroadcastMixerDeviceChange(true, 0);
    ASSERT_EQ(utility.WaitForLaunches(2).size(), 2u);
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(1)) << Describe(MixerRequests());
}

TEST_F(AutoSetupDeviceArrival, CommandLineLongerThan259CharactersStartsNothing)
{
    const size_t fixed = utility.AsioConfig().size() - 1 + ConsoleUserSid().size();
    ASSERT_LT(fixed, 259u);
    // Exactly 259 characters still start the utility...
    utility.PadAsioConfig(259 - fixed);
    PlugAndAnnounce(true);
    const auto launches = utility.WaitForLaunches(2);
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[1].commandLine, utility.AsioConfig() + ConsoleUserSid());
    EXPECT_EQ(launches[1].commandLine.size(), 259u);
    // ...one more starts nothing rather than a cut command line.
    utility.PadAsioConfig(260 - fixed);
    PlugAndAnnounce(false);
    const int runningBefore = utility.RunningCount();
    PlugAndAnnounce(true);
    EXPECT_EQ(utility.RunningCount(), runningBefore);
    EXPECT_EQ(utility.Launches().size(), 2u);
}

TEST_F(AutoSetupDeviceArrival, AnswerNoStartsNothing)
{
    SetLaunchAnswer(RKX_LAUNCH_NO);
    const int runningBefore = utility.RunningCount();
    PlugAndAnnounce(true);
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(1)) << Describe(MixerRequests());
    // The start would have happened inside the handled message.
    EXPECT_EQ(utility.RunningCount(), runningBefore);
    EXPECT_EQ(utility.Launches().size(), 1u);
}

TEST_F(AutoSetupDeviceArrival, AnotherAnswerFiveTimesStartsNothing)
{
    // Five "ask again" answers, and "yes" only for a sixth question that never comes.
    SetLaunchAnswer(RKX_LAUNCH_YES, 5);
    const int runningBefore = utility.RunningCount();
    const ULONGLONG before = GetTickCount64();
    PlugAndAnnounce(true);
    const ULONGLONG took = GetTickCount64() - before;
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(5)) << Describe(MixerRequests());
    EXPECT_EQ(utility.RunningCount(), runningBefore);
    EXPECT_EQ(utility.Launches().size(), 1u);
    // A figure, not a check: five questions 100 ms apart.
    std::printf("plug-in with five 'ask again' answers handled in %llu ms\n", took);
}

TEST_F(AutoSetupDeviceArrival, AnUnrelatedDevicesArrivalDoesNothing)
{
    // The mixer is back without being announced; an unrelated USB device then arrives.
    SetPlugged(true);
    ASSERT_EQ(SendDeviceInterfaceChange(
                  true, L"\\\\?\\USB#VID_1A2B&PID_0001#5&2F6C&0&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"),
              1);
    EXPECT_TRUE(MixerRequests().empty()) << Describe(MixerRequests());
    EXPECT_EQ(utility.Launches().size(), 1u);
    // A change that names no interface makes the service look, and it finds the mixer.
    ASSERT_EQ(SendToAutoSetupWindows(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), 1);
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(1)) << Describe(MixerRequests());
    EXPECT_EQ(utility.WaitForLaunches(2).size(), 2u);
}

TEST_F(AutoSetupDeviceArrival, UnplugOnlyClearsTheConnectedFlag)
{
    // SetUp's unplug did nothing but clear the flag...
    const int runningBefore = utility.RunningCount();
    EXPECT_EQ(utility.Launches().size(), 1u);
    // ...which a second removal confirms silently, and the next arrival acts on.
    PlugAndAnnounce(false);
    EXPECT_TRUE(MixerRequests().empty()) << Describe(MixerRequests());
    EXPECT_EQ(utility.RunningCount(), runningBefore);
    PlugAndAnnounce(true);
    EXPECT_EQ(MixerRequests(), RestoreThenAsk(1)) << Describe(MixerRequests());
    // An arrival while connected changes nothing.
    ClearJournal();
    PlugAndAnnounce(true);
    EXPECT_TRUE(MixerRequests().empty()) << Describe(MixerRequests());
    EXPECT_EQ(utility.WaitForLaunches(2).size(), 2u);
}

}  // namespace
}  // namespace rkx::autosetup::test
