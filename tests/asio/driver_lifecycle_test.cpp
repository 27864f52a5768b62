// Driver objects as hosts really use them: several in one process, released on another
// thread, started twice, and started when the system or the mixer refuses a step.
#include <thread>

#include "driver_fixture.h"
#include "tests/support/build_names.h"

namespace rkx::asio::test {
namespace {

constexpr unsigned kHangLimitMs = 30000;

// Hosts create and drop driver objects to probe what is installed.
TEST_F(DriverTest, AnotherObjectsStopDisposeAndReleaseLeaveTheStreamAlone)
{
    DriverRef driver(module.CreateDriver());
    TestHost host;
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASSERT_EQ(host.Create(driver.driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
    ASSERT_EQ(driver->start(), ASE_OK);
    ASSERT_TRUE(host.WaitForSwitches(10, kHangLimitMs));
    {
        DriverRef prober(module.CreateDriver());
        ASSERT_TRUE(prober);
        EXPECT_EQ(prober->init(nullptr), ASIOFalse) << "the first object streams";
        EXPECT_EQ(prober->stop(), ASE_OK);
        EXPECT_EQ(prober->disposeBuffers(), ASE_OK);
    }
    EXPECT_TRUE(host.WaitForSwitches(host.switches() + 20, kHangLimitMs)) << "the stream was stopped by another object";
    EXPECT_TRUE(StreamingMutexExists());
    EXPECT_EQ(driver->stop(), ASE_OK);
}

TEST_F(DriverTest, ReleaseOnAnotherThreadLeavesNoWindowToReachTheFreedObject)
{
    IASIO* driver = module.CreateDriver();
    ASSERT_NE(driver, nullptr);
    TestHost host;
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASSERT_EQ(host.Create(driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
    ASSERT_EQ(driver->start(), ASE_OK);
    ASSERT_TRUE(host.WaitForSwitches(10, kHangLimitMs));
    const HWND window = DriverWindow();
    ASSERT_NE(window, nullptr);

    std::thread([driver] { driver->Release(); }).join();
    // The window belongs to this thread: once it has handled its messages, the window is gone.
    DispatchMessagesFor(300);
    EXPECT_FALSE(IsWindow(window)) << "the window outlived its object";
    EXPECT_EQ(DriverWindow(), nullptr);
    const long resets = host.resetRequests();
    if (!IsWindow(window)) SendMessageA(window, 0x8001, 0, 0);
    EXPECT_EQ(host.resetRequests(), resets);
    EXPECT_FALSE(StreamingMutexExists());
}

TEST_F(DriverTest, ASecondStartLeavesTheRunningStreamUntouched)
{
    DriverRef driver(module.CreateDriver());
    TestHost host;
    host.supportsTimeInfo = false;
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASSERT_EQ(host.Create(driver.driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
    ASSERT_EQ(driver->start(), ASE_OK);
    ASSERT_TRUE(host.WaitForSwitches(10, kHangLimitMs));
    EXPECT_EQ(driver->start(), ASE_NotPresent);
    EXPECT_TRUE(host.WaitForSwitches(host.switches() + 20, kHangLimitMs)) << "the second start halted the stream";
    EXPECT_EQ(driver->stop(), ASE_OK);
    const auto records = host.Records();
    for (size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(records[i].samplePosition, uint64_t(i + 1) * 256u) << "switch " << i;
    }
}

// What a start that fails must leave: no streaming mutex, no window, no pin open, no
// stream at the mixer; and the next start works.
class FailedStart : public DriverTest {
protected:
    void ExpectNothingLeft(const char* cause)
    {
        SCOPED_TRACE(cause);
        EXPECT_EQ(DriverWindow(), nullptr);
        const VmixMixerState state = StateOf(0);
        EXPECT_EQ(state.openHandles, 0u);
        EXPECT_EQ(state.streaming, 0u);
    }
};

TEST_F(FailedStart, TheMixerRefusingASetUpRequestFailsStart)
{
    const struct {
        const char* name;
        uint32_t code;
    } refusals[] = {{"buffer size", IOCTL_STREAM_SET_FRAMES},
                    {"output pin count", IOCTL_STREAM_SET_OUTPUT_PINS},
                    {"start", IOCTL_STREAM_START}};
    for (const auto& refusal : refusals) {
        DriverRef driver(module.CreateDriver());
        TestHost host;
        ASSERT_EQ(driver->init(nullptr), ASIOTrue);
        ASSERT_EQ(host.Create(driver.driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
        ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, refusal.code, 1));
        EXPECT_EQ(driver->start(), ASE_NotPresent) << refusal.name;
        EXPECT_FALSE(StreamingMutexExists());
        ExpectNothingLeft(refusal.name);
        ASSERT_EQ(driver->start(), ASE_OK) << refusal.name;
        EXPECT_TRUE(host.WaitForSwitches(10, kHangLimitMs));
        EXPECT_EQ(driver->stop(), ASE_OK);
    }
}

TEST_F(FailedStart, AStreamingMutexThatCannotBeCreatedFailsStart)
{
    DriverRef driver(module.CreateDriver());
    TestHost host;
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASSERT_EQ(host.Create(driver.driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
    // An object of another kind holds the name: no mutex of that name can be created.
    HANDLE squatter = CreateEventA(nullptr, TRUE, FALSE, rkx::test::kAsioStreamingMutex);
    ASSERT_NE(squatter, nullptr);
    EXPECT_EQ(driver->start(), ASE_NotPresent);
    ExpectNothingLeft("no mutex");
    const size_t switches = host.switches();
    Sleep(200);
    EXPECT_EQ(host.switches(), switches) << "a thread streams without the mutex";
    CloseHandle(squatter);
    ASSERT_EQ(driver->start(), ASE_OK);
    EXPECT_TRUE(host.WaitForSwitches(switches + 10, kHangLimitMs));
    EXPECT_EQ(driver->stop(), ASE_OK);
}

}  // namespace
}  // namespace rkx::asio::test
