// The driver object over the scripted device, without the virtual mixer: what a start without
// a thread leaves behind, and disposeBuffers during a buffer switch.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "asio/mmp_asio.h"
#include "scripted_device.h"
#include "tests/support/build_names.h"

namespace rkx::asio::test {
namespace {

constexpr unsigned kHangLimitMs = 10000;

std::atomic<long> hostSwitches{0};
void BufferSwitch(long, ASIOBool) { ++hostSwitches; }
void SampleRateDidChange(ASIOSampleRate) {}
long AsioMessage(long selector, long, void*, double*) { return selector == kAsioSupportsTimeInfo ? 1 : 0; }
ASIOTime* BufferSwitchTimeInfo(ASIOTime*, long, ASIOBool)
{
    ++hostSwitches;
    return nullptr;
}

bool StreamingMutexExists()
{
    HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, rkx::test::kAsioStreamingMutex);
    if (mutex == nullptr) return false;
    CloseHandle(mutex);
    return true;
}

// The driver's window, once this thread has handled what was posted to it.
HWND DriverWindow()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    return FindWindowA("RKX_T2_Asio_WndProc", nullptr);
}

bool AwaitHostSwitches(long count)
{
    for (unsigned waited = 0; hostSwitches < count; waited += 2) {
        if (waited > kHangLimitMs) return false;
        Sleep(2);
    }
    return true;
}

class DriverObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        hostSwitches = 0;
        driver = new MMPAsio(nullptr, &device, &device);
        driver->NonDelegatingAddRef();
        ASSERT_EQ(driver->init(nullptr), ASIOTrue);
        ASIOBufferInfo infos[2] = {{ASIOFalse, 0, {nullptr, nullptr}}, {ASIOTrue, 0, {nullptr, nullptr}}};
        ASSERT_EQ(driver->createBuffers(infos, 2, 256, &callbacks), ASE_OK);
    }
    void TearDown() override
    {
        driver->NonDelegatingRelease();
        EXPECT_EQ(DriverWindow(), nullptr);
        EXPECT_TRUE(device.Violations().empty());
    }

    ScriptedDevice device;
    MMPAsio* driver = nullptr;
    ASIOCallbacks callbacks{BufferSwitch, SampleRateDidChange, AsioMessage, BufferSwitchTimeInfo};
};

// The thread is the last thing start makes: without it the mutex and the window go again.
TEST_F(DriverObject, StartWithoutAThreadLeavesNoPinMutexOrWindowAndALaterStartWorks)
{
    device.threadFails = true;
    EXPECT_EQ(driver->start(), ASE_NotPresent);
    EXPECT_FALSE(StreamingMutexExists());
    EXPECT_EQ(DriverWindow(), nullptr);
    EXPECT_EQ(device.OpenPins(), 0);

    device.threadFails = false;
    ASSERT_EQ(driver->start(), ASE_OK);
    EXPECT_TRUE(AwaitHostSwitches(8));
    EXPECT_TRUE(StreamingMutexExists());
    EXPECT_NE(DriverWindow(), nullptr);
    EXPECT_EQ(driver->stop(), ASE_OK);
    EXPECT_FALSE(StreamingMutexExists());
}

// disposeBuffers from another thread while a buffer switch is underway, between the thread's
// last check and its call of the host: the callbacks stay until the thread has ended, so that
// switch still reaches the host, and none after it.
TEST_F(DriverObject, DisposeBuffersDuringASwitchLetsThatSwitchReachTheHost)
{
    ASSERT_EQ(driver->start(), ASE_OK);
    ASSERT_TRUE(AwaitHostSwitches(4));
    std::atomic<bool> launched{false};
    std::atomic<long> hostAtSwitch{-1};
    std::thread disposer;
    device.SetSwitchClockHook([&] {
        if (launched) return;
        hostAtSwitch = hostSwitches.load();
        const size_t from = device.Events().size();
        disposer = std::thread([this] { driver->disposeBuffers(); });
        launched = true;
        // Go on only once disposeBuffers has begun to stop the thread.
        device.WaitFor([from](const std::vector<Event>& events) {
            for (size_t i = from; i < events.size(); ++i) {
                if (events[i].call == Call::Wake) return true;
            }
            return false;
        }, kHangLimitMs);
    });
    for (unsigned waited = 0; !launched && waited < kHangLimitMs; waited += 2) Sleep(2);
    ASSERT_TRUE(launched);
    disposer.join();
    EXPECT_EQ(hostSwitches.load(), hostAtSwitch + 1);
    EXPECT_FALSE(device.ThreadExists());
}

}  // namespace
}  // namespace rkx::asio::test
