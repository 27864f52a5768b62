// Faults the rig can inject, so the product's error paths can be exercised on purpose.
#include "rig_fixture.h"

namespace rkx::vmix::test {
namespace {

using Faults = RigTest;

TEST_F(Faults, FailNextFailsExactlyThatManyRequestsOfThatCode)
{
    const struct {
        const char* name;
        DWORD code;
        uint32_t count;
    } kCases[] = {
        {"firmware version twice", IOCTL_MIXER_GET_FIRMWARE_VERSION, 2},
        {"selector status once", IOCTL_MIXER_GET_SELECTOR_STATUS, 1},
        {"set frames three times", IOCTL_STREAM_SET_FRAMES, 3},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(rig.Reset());
        PinStream pin;
        ASSERT_TRUE(OpenConfigured(pin, 0, 256));
        ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, c.code, c.count));
        auto issue = [&] {
            uint8_t reply[4] = {};
            const int32_t frames = 256;
            const bool isSet = c.code == IOCTL_STREAM_SET_FRAMES;
            return pin.Control(c.code, isSet ? &frames : nullptr, isSet ? sizeof(frames) : 0, isSet ? nullptr : reply,
                               isSet ? 0 : sizeof(reply));
        };
        for (uint32_t i = 0; i < c.count; ++i) EXPECT_FALSE(issue()) << "request " << i << " should fail";
        EXPECT_TRUE(issue()) << "the request after the injected failures should succeed";
        EXPECT_EQ(StatsOf(0).failedInjected, c.count);
    }
}

TEST_F(Faults, FailNextLeavesOtherCodesAlone)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 256));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, IOCTL_MIXER_GET_PORT_INFO, 5));
    uint8_t reply[2] = {};
    EXPECT_TRUE(pin.Control(IOCTL_MIXER_GET_FIRMWARE_VERSION, nullptr, 0, reply, sizeof(reply)));
    EXPECT_EQ(StatsOf(0).failedInjected, 0u);
}

TEST_F(Faults, AsynchronousStartAnswersPendingAndThenStreams)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 256));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_START_ASYNC, 0, 1));
    bool wentPending = false;
    EXPECT_TRUE(pin.Start(&wentPending)) << "error " << pin.lastError();
    EXPECT_TRUE(wentPending);
    EXPECT_EQ(StateOf(0).streaming, 1u);
}

TEST_F(Faults, SynchronousStartIsTheDefault)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 256));
    bool wentPending = true;
    EXPECT_TRUE(pin.Start(&wentPending));
    EXPECT_FALSE(wentPending);
}

TEST_F(Faults, DelayedControlRequestsAnswerPendingWithTheRightReply)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 256));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, 0, 30));
    uint8_t reply[2] = {};
    DWORD returned = 0;
    bool wentPending = false;
    ASSERT_TRUE(pin.Control(IOCTL_MIXER_GET_FIRMWARE_VERSION, nullptr, 0, reply, sizeof(reply), &returned, &wentPending));
    EXPECT_TRUE(wentPending);
    EXPECT_EQ(returned, 2u);
    EXPECT_EQ(reply[0], 0x01);
    EXPECT_EQ(reply[1], 0x05);
}

TEST_F(Faults, ClosingTheHandleEndsADelayedControlRequest)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 256));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, 0, 30000));
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    uint8_t reply[2] = {};
    ASSERT_FALSE(DeviceIoControl(pin.handle(), IOCTL_MIXER_GET_PORT_INFO, nullptr, 0, reply, sizeof(reply), nullptr,
                                 &overlapped));
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    pin.Close();
    EXPECT_EQ(WaitForSingleObject(event.get(), 10000), WAIT_OBJECT_0) << "the delayed request outlived its handle";
}

}  // namespace
TEST_F(Faults, ADelayForOneRequestLeavesTheOthersPrompt)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 256));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, IOCTL_MIXER_GET_PORT_INFO, 30));
    const struct {
        uint32_t code;
        bool late;
    } kCases[] = {{IOCTL_MIXER_GET_FIRMWARE_VERSION, false}, {IOCTL_MIXER_GET_PORT_INFO, true}};
    for (const auto& c : kCases) {
        uint8_t reply[2] = {};
        DWORD returned = 0;
        bool wentPending = !c.late;
        ASSERT_TRUE(pin.Control(c.code, nullptr, 0, reply, sizeof(reply), &returned, &wentPending)) << c.code;
        EXPECT_EQ(wentPending, c.late) << c.code;
    }
}

}  // namespace rkx::vmix::test
