// Device changes while streaming: unplug and replug without the host restarting, the
// settings utility's reset request, unrelated devices, and stop while the thread is held.
#include <windows.h>
#include <dbt.h>
#include <tlhelp32.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "driver_fixture.h"
#include "tests/support/device_interface_record.h"
#include "virtualmixer/client/device_change_broadcast.h"

namespace rkx::asio::test {
namespace {

constexpr unsigned kHangLimitMs = 30000;
constexpr DWORD kStopLimitMs = 3000;  // wide: only catches a stop that hangs
constexpr wchar_t kOtherDevice[] = L"\\\\?\\USB#VID_1234&PID_0001#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

std::set<DWORD> ThreadsOfThisProcess()
{
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return ids;
}

// What the system sends the driver's window when a USB device interface comes or goes.
void SendDeviceChange(HWND window, bool arrival, const std::wstring& name)
{
    const rkx::test::DeviceInterfaceRecord record(name);
    SendMessageW(window, WM_DEVICECHANGE, rkx::test::DeviceChangeEvent(arrival), record.lParam());
}

class DeviceReset : public DriverTest {
protected:
    void StartStreaming(TestHost& host)
    {
        driver = module.CreateDriver();
        ASSERT_NE(driver, nullptr);
        ASSERT_EQ(driver->init(nullptr), ASIOTrue);
        ASSERT_EQ(host.Create(driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
        const std::set<DWORD> before = ThreadsOfThisProcess();
        ASSERT_EQ(driver->start(), ASE_OK);
        // The buffer thread: new, and at the time-critical priority.
        for (DWORD id : ThreadsOfThisProcess()) {
            HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
            if (thread == nullptr) continue;
            if (before.count(id) == 0 && GetThreadPriority(thread) == THREAD_PRIORITY_TIME_CRITICAL) {
                bufferThreads.push_back(id);
            }
            CloseHandle(thread);
        }
        ASSERT_TRUE(host.WaitForSwitches(8, kHangLimitMs));
        window = DriverWindow();
        ASSERT_NE(window, nullptr);
    }
    // Time stop takes, in ms.
    DWORD TimedStop()
    {
        const DWORD before = GetTickCount();
        EXPECT_EQ(driver->stop(), ASE_OK);
        return GetTickCount() - before;
    }
    // Switches stay where they are for a while: the thread is held.
    static bool Holds(const TestHost& host)
    {
        Sleep(300);
        const size_t before = host.switches();
        Sleep(500);
        return host.switches() == before;
    }
    // The buffer thread that start created has ended.
    bool BufferThreadEnded() const
    {
        if (bufferThreads.size() != 1) return false;
        for (DWORD id : bufferThreads) {
            HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id);
            if (thread == nullptr) continue;
            const bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
            CloseHandle(thread);
            if (!ended) return false;
        }
        return true;
    }
    uint32_t StartRequests() { return StatsOf(0).streamRequests[RkxStreamRequestIndex(IOCTL_STREAM_START)]; }
    void TearDown() override
    {
        if (driver != nullptr) driver->Release();
        DriverTest::TearDown();
    }
    IASIO* driver = nullptr;
    HWND window = nullptr;
    std::vector<DWORD> bufferThreads;
};

TEST_F(DeviceReset, UnplugHoldsTheThreadAndReplugResumesSwitchesWithoutTheHost)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    ASSERT_TRUE(rig.SetPlugged(0, false));
    SendDeviceChange(window, false, vmix::MixerUsbDeviceName(0));
    EXPECT_TRUE(Holds(host)) << "no buffer switches without the mixer";

    const uint32_t startsBefore = StatsOf(0).streamStarts;
    ASSERT_TRUE(rig.SetPlugged(0, true));
    SendDeviceChange(window, true, vmix::MixerUsbDeviceName(0));
    const size_t held = host.switches();
    EXPECT_TRUE(host.WaitForSwitches(held + 20, kHangLimitMs)) << "switches resume after the replug";
    EXPECT_GT(StatsOf(0).streamStarts, startsBefore) << "the pin was reopened and started";
    EXPECT_EQ(host.resetRequests(), 0) << "the host is not asked to reset";
    EXPECT_LT(TimedStop(), kStopLimitMs);
}

TEST_F(DeviceReset, UnrelatedDeviceArrivalChangesNothing)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    const uint32_t startsBefore = StatsOf(0).streamStarts;
    SendDeviceChange(window, true, kOtherDevice);
    SendDeviceChange(window, false, kOtherDevice);
    // A device-tree change that leaves the known paths in place does nothing either.
    SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    const size_t now = host.switches();
    EXPECT_TRUE(host.WaitForSwitches(now + 20, kHangLimitMs));
    EXPECT_EQ(StatsOf(0).streamStarts, startsBefore) << "the pin was not reopened";
    TimedStop();
}

TEST_F(DeviceReset, SettingsMessageAsksTheHostForOneResetPerMessage)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    for (long expected = 1; expected <= 3; ++expected) {
        SendMessageA(window, 0x8001, 0, 0);
        EXPECT_EQ(host.resetRequests(), expected);
    }
    TimedStop();
}

TEST_F(DeviceReset, ResumeFromSleepRestartsThePinsOnceAfterFiveSeconds)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    const uint32_t startsBefore = StatsOf(0).streamStarts;
    // Going to sleep is not a resume.
    SendMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    const DWORD resumed = GetTickCount();
    while (StatsOf(0).streamStarts == startsBefore && GetTickCount() - resumed < kHangLimitMs) DispatchMessagesFor(20);
    const DWORD delay = GetTickCount() - resumed;
    EXPECT_EQ(StatsOf(0).streamStarts, startsBefore + 1) << "the pins are restarted although no path changed";
    EXPECT_GE(delay, 4900u) << "restarted before the resume delay";
    EXPECT_LT(delay, 8000u) << "the resume delay is five seconds";
    const size_t now = host.switches();
    EXPECT_TRUE(host.WaitForSwitches(now + 20, kHangLimitMs)) << "switches go on after the reset";
    // The timer fires once: another delay passes without another restart.
    DispatchMessagesFor(5500);
    EXPECT_EQ(StatsOf(0).streamStarts, startsBefore + 1);
    EXPECT_EQ(host.resetRequests(), 0) << "the driver resets itself; the host is not asked";
    EXPECT_LT(TimedStop(), kStopLimitMs);
}

TEST_F(DeviceReset, StopReturnsPromptlyWhileTheThreadIsHeldWithoutAMixer)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    ASSERT_TRUE(rig.SetPlugged(0, false));
    SendDeviceChange(window, false, vmix::MixerUsbDeviceName(0));
    ASSERT_TRUE(Holds(host));
    EXPECT_LT(TimedStop(), kStopLimitMs);
    EXPECT_FALSE(StreamingMutexExists());
}

TEST_F(DeviceReset, FiveFailedAttemptsHoldTheThreadAndStopEndsIt)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, IOCTL_STREAM_START, 100));
    const uint32_t startRequests = StartRequests();
    // The resume timer's reset: pins are reopened even though the paths did not change.
    SendMessageW(window, WM_TIMER, 1, 0);
    EXPECT_EQ(StartRequests() - startRequests, 5u) << "five attempts";
    EXPECT_TRUE(Holds(host));
    EXPECT_LT(TimedStop(), kStopLimitMs);
    EXPECT_TRUE(BufferThreadEnded()) << "stop gave the held thread up instead of ending it";
    EXPECT_FALSE(StreamingMutexExists());
}

TEST_F(DeviceReset, StopReturnsPromptlyWhileTheThreadWaitsForTheMixer)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_STALL_ONCE_MS, 0, 10000));
    Sleep(200);
    EXPECT_LT(TimedStop(), kStopLimitMs);
}

// A reset that comes while the host's callback overruns the five seconds a reset waits for
// the thread: it is not lost, and completes once the callback has returned.
TEST_F(DeviceReset, AResetThatCannotHoldTheThreadInTimeCompletesLater)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    const uint32_t startsBefore = StatsOf(0).streamStarts;
    host.stallMs = 8000;  // well past the reset's five seconds
    for (int i = 0; i < 1000 && !host.stallStarted; ++i) Sleep(5);
    ASSERT_TRUE(host.stallStarted);
    SendMessageW(window, WM_TIMER, 1, 0);
    EXPECT_FALSE(host.stallEnded) << "the reset did not wait for the thread";
    EXPECT_TRUE(host.WaitForSwitches(host.switches() + 20, kHangLimitMs)) << "the reset was lost and the thread held";
    EXPECT_EQ(StatsOf(0).streamStarts, startsBefore + 1) << "the pins were restarted once";
    EXPECT_LT(TimedStop(), kStopLimitMs);
}

TEST_F(DeviceReset, StopGivesUpOnAnOverrunningHostButFreesNothingItStillUses)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    host.stallMs = 2500;
    for (int i = 0; i < 1000 && !host.stallStarted; ++i) Sleep(5);
    ASSERT_TRUE(host.stallStarted);
    EXPECT_LT(TimedStop(), kStopLimitMs) << "stop gives up waiting for the thread";
    EXPECT_FALSE(StreamingMutexExists());
    // The callback is still writing into its output buffers: they must outlive it.
    EXPECT_EQ(driver->disposeBuffers(), ASE_OK);
    EXPECT_TRUE(host.stallEnded) << "buffers were disposed while the host's callback still ran";
}

}  // namespace
}  // namespace rkx::asio::test
