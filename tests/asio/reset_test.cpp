// Device changes while streaming: unplug and replug without the host restarting, the
// settings utility's reset request, unrelated devices, and stop while the thread is held.
#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <string>

#include "driver_fixture.h"
#include "virtualmixer/client/device_change_broadcast.h"

namespace rkx::asio::test {
namespace {

constexpr unsigned kHangLimitMs = 30000;
constexpr DWORD kStopLimitMs = 3000;  // wide: only catches a stop that hangs
constexpr wchar_t kOtherDevice[] = L"\\\\?\\USB#VID_1234&PID_0001#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

// What the system sends the driver's window when a USB device interface comes or goes.
void SendDeviceChange(HWND window, bool arrival, const std::wstring& name)
{
    struct {
        DEV_BROADCAST_DEVICEINTERFACE_W record;
        wchar_t rest[300];
    } message{};
    message.record.dbcc_size = DWORD(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + (name.size() + 1) * 2);
    message.record.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(message.record.dbcc_name, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    SendMessageW(window, WM_DEVICECHANGE, arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                 reinterpret_cast<LPARAM>(&message));
}

class DeviceReset : public DriverTest {
protected:
    void StartStreaming(TestHost& host)
    {
        driver = module.CreateDriver();
        ASSERT_NE(driver, nullptr);
        ASSERT_EQ(driver->init(nullptr), ASIOTrue);
        ASSERT_EQ(host.Create(driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
        ASSERT_EQ(driver->start(), ASE_OK);
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
    void TearDown() override
    {
        if (driver != nullptr) driver->Release();
        DriverTest::TearDown();
    }
    IASIO* driver = nullptr;
    HWND window = nullptr;
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

// Keeps this thread's messages moving (the driver's window and its timer live here) for a while.
void DispatchMessagesFor(DWORD ms)
{
    const DWORD begin = GetTickCount();
    while (GetTickCount() - begin < ms) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(5);
    }
}

TEST_F(DeviceReset, ResumeFromSleepRestartsThePinsOnceAfterTheDelay)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    const uint32_t startsBefore = StatsOf(0).streamStarts;
    // Going to sleep is not a resume.
    SendMessageW(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SendMessageW(window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    DispatchMessagesFor(3000);
    EXPECT_EQ(StatsOf(0).streamStarts, startsBefore) << "the pins were restarted before the delay";

    const DWORD begin = GetTickCount();
    while (StatsOf(0).streamStarts == startsBefore && GetTickCount() - begin < kHangLimitMs) DispatchMessagesFor(50);
    EXPECT_EQ(StatsOf(0).streamStarts, startsBefore + 1) << "the pins are restarted although no path changed";
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

TEST_F(DeviceReset, StopReturnsPromptlyAfterAResetWhoseAttemptsAllFailed)
{
    TestHost host;
    ASSERT_NO_FATAL_FAILURE(StartStreaming(host));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, IOCTL_STREAM_START, 100));
    // The resume timer's reset: pins are reopened even though the paths did not change.
    SendMessageW(window, WM_TIMER, 1, 0);
    EXPECT_TRUE(Holds(host));
    EXPECT_LT(TimedStop(), kStopLimitMs);
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
