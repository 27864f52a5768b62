// A mixer that keeps the launch question unanswered: the service gives the question up in
// bounded time, takes it back from the driver, and a stop completes whatever the mixer does.
#include <gtest/gtest.h>

#include <windows.h>
#include <wtsapi32.h>

#include <cstdio>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "tests/autosetup/service_rig.h"

namespace rkx::autosetup::test {
namespace {

// Long enough to stand for "never" in any test run.
constexpr uint32_t kNeverMs = 3600000;

class AutoSetupLaunchQuestion : public AutoSetupServiceTest {
protected:
    void SetUp() override
    {
        AutoSetupServiceTest::SetUp();
        if (HasFatalFailure()) return;
        PlantSettings();
        StartServiceAndWaitForFirstLaunch();
        if (HasFatalFailure()) return;
        // Only the question is kept; the restore's requests are answered at once.
        ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, IOCTL_MIXER_GET_LAUNCH_REQUEST, kNeverMs));
        ClearJournal();
    }
    uint32_t QuestionsReceived()
    {
        return StatsOf(0).controlRequests[RkxControlRequestIndex(IOCTL_MIXER_GET_LAUNCH_REQUEST)];
    }
};

TEST_F(AutoSetupLaunchQuestion, AnUnansweredQuestionIsGivenUpAndTakenBack)
{
    // The arrival is handled inside the message: it must come back, and the service with it.
    PlugAndAnnounce(false);
    PlugAndAnnounce(true);
    EXPECT_EQ(QuestionsReceived(), 5u) << "each unanswered question counts as one of the five attempts";
    EXPECT_GE(StatsOf(0).cancelled, 5u) << "questions given up were not taken back from the driver";
    EXPECT_EQ(utility.Launches().size(), 1u);
    EXPECT_EQ(SendToAutoSetupWindows(WM_NULL, 0, 0), 1) << "the service no longer handles messages";
}

TEST_F(AutoSetupLaunchQuestion, StopCompletesWhileTheMixerKeepsTheQuestion)
{
    const DWORD processId = AutoSetupProcessId();
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    ASSERT_TRUE(process.valid());
    // Another session's log-off: the next tick restores again and asks the mixer.
    const DWORD session = utility.Launches().at(0).session;
    ASSERT_EQ(SendToAutoSetupWindows(WM_WTSSESSION_CHANGE, WTS_SESSION_LOGOFF, session + 1), 1);
    for (DWORD waited = 0; QuestionsReceived() == 0 && waited < kHangLimitMs; waited += 50) Sleep(50);
    ASSERT_GT(QuestionsReceived(), 0u) << "the service did not ask";

    const ULONGLONG asked = GetTickCount64();
    EXPECT_EQ(StopAutoSetup(), static_cast<DWORD>(SERVICE_STOP_PENDING));
    ASSERT_TRUE(WaitForAutoSetupState(SERVICE_STOPPED)) << "the stop hangs on the mixer; state " << AutoSetupState();
    EXPECT_EQ(WaitForSingleObject(process.get(), kHangLimitMs), WAIT_OBJECT_0);
    // A figure, not a check: the stop's time with a question in flight.
    std::printf("stop with an unanswered question took %llu ms\n", GetTickCount64() - asked);
    EXPECT_GE(StatsOf(0).cancelled, 1u) << "the question was left with the driver";
    EXPECT_EQ(utility.Launches().size(), 1u);
}

}  // namespace
}  // namespace rkx::autosetup::test
