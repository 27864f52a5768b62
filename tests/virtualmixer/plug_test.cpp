// Unplugging a mixer ends what its pins were doing and makes it unreachable; plugging it back
// makes it usable again; several mixers stream side by side.
#include <thread>

#include "rig_fixture.h"
#include "stream_helpers.h"

namespace rkx::vmix::test {
namespace {

using Plugging = RigTest;

TEST_F(Plugging, UnplugWhileStreamingEndsPendingTransfersAndHidesThePin)
{
    const std::wstring path = StreamPathOf(0);
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 4096));
    // The clock holds still at first, so every transfer is surely pending at the unplug.
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_STALL_ONCE_MS, 0, 20000));
    std::vector<Transfer*> transfers;
    for (int i = 0; i < 2; ++i) {
        transfers.push_back(&pin.AddTransfer(IOCTL_STREAM_WRITE, 4096));
        transfers.push_back(&pin.AddTransfer(IOCTL_STREAM_READ, 4096));
    }
    for (Transfer* t : transfers) ASSERT_TRUE(t->Submit(pin.handle())) << "error " << t->error();
    ASSERT_TRUE(pin.Start());
    ASSERT_EQ(StateOf(0).streaming, 1u);

    ASSERT_TRUE(rig.SetPlugged(0, false));
    for (Transfer* t : transfers) {
        ASSERT_EQ(WaitForSingleObject(t->event(), 10000), WAIT_OBJECT_0) << "a transfer was left pending";
        EXPECT_FALSE(t->Collect(pin.handle()));
        EXPECT_NE(t->error(), static_cast<DWORD>(ERROR_SUCCESS));
    }
    EXPECT_FALSE(pin.Control(IOCTL_MIXER_GET_FIRMWARE_VERSION, nullptr, 0, nullptr, 0))
        << "the old handle must not reach an unplugged mixer";

    PinStream again;
    EXPECT_FALSE(again.Open(path));
    EXPECT_EQ(again.lastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(StreamPathOf(0).empty()) << "an unplugged mixer is not listed";
    EXPECT_EQ(StateOf(0).streaming, 0u);
}

TEST_F(Plugging, ReplugMakesThePinOpenAndStreamAgain)
{
    ASSERT_TRUE(rig.SetPlugged(0, false));
    ASSERT_TRUE(rig.SetPlugged(0, true));
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 256));
    StreamPlan plan;
    plan.blocks = 20;
    const StreamRun run = RunStream(pin, plan);
    EXPECT_TRUE(run.ok) << run.failure;
    EXPECT_EQ(run.completions, 20u);
}

TEST_F(Plugging, AHandleOpenedBeforeAReplugStaysDead)
{
    PinStream old;
    ASSERT_TRUE(OpenConfigured(old, 0, 256));
    ASSERT_TRUE(rig.SetPlugged(0, false));
    ASSERT_TRUE(rig.SetPlugged(0, true));
    EXPECT_FALSE(old.SetInt(IOCTL_STREAM_SET_FRAMES, 512));
    old.Close();
    PinStream fresh;
    EXPECT_TRUE(OpenConfigured(fresh, 0, 512));
}

TEST_F(Plugging, TwoMixersGiveTwoPinsThatStreamAtTheSameTime)
{
    ASSERT_TRUE(rig.SetPlugged(1, true));
    const std::wstring first = StreamPathOf(0);
    const std::wstring second = StreamPathOf(1);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);

    PinStream pins[2];
    ASSERT_TRUE(OpenConfigured(pins[0], 0, 256));
    ASSERT_TRUE(OpenConfigured(pins[1], 1, 256));
    StreamRun runs[2];
    StreamPlan plan;
    plan.blocks = 40;
    {
        std::thread other([&] { runs[1] = RunStream(pins[1], plan); });
        runs[0] = RunStream(pins[0], plan);
        other.join();
    }
    for (uint32_t mixer = 0; mixer < 2; ++mixer) {
        SCOPED_TRACE("mixer " + std::to_string(mixer));
        EXPECT_TRUE(runs[mixer].ok) << runs[mixer].failure;
        EXPECT_EQ(runs[mixer].completions, 40u);
        EXPECT_GE(StatsOf(mixer).blocksRead, 40u);
    }
}

}  // namespace
}  // namespace rkx::vmix::test
