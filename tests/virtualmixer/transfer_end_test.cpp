// Transfers never outlive their handle: closing or stopping ends the queued ones with a
// failure and signals their events, which a host's waiting thread depends on.
#include "rig_fixture.h"

namespace rkx::vmix::test {
namespace {

using TransferEnd = RigTest;

TEST_F(TransferEnd, ClosingTheHandleEndsQueuedTransfersAsCancelled)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 512));
    std::vector<Transfer*> transfers;
    for (int i = 0; i < 2; ++i) {
        transfers.push_back(&pin.AddTransfer(IOCTL_STREAM_WRITE, 512));
        transfers.push_back(&pin.AddTransfer(IOCTL_STREAM_READ, 512));
    }
    for (Transfer* t : transfers) ASSERT_TRUE(t->Submit(pin.handle()));
    // Not started: nothing can complete them but the close.
    Sleep(50);
    for (Transfer* t : transfers) ASSERT_EQ(WaitForSingleObject(t->event(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    pin.Close();
    for (Transfer* t : transfers) {
        EXPECT_EQ(WaitForSingleObject(t->event(), 0), WAIT_OBJECT_0);
        EXPECT_FALSE(t->pending());
        EXPECT_EQ(t->error(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    }
    EXPECT_GE(StatsOf(0).cancelled, 4u);
    EXPECT_EQ(StateOf(0).openHandles, 0u);
}

TEST_F(TransferEnd, StopEndsQueuedTransfersAndTheHandleStaysUsable)
{
    PinStream pin;
    ASSERT_TRUE(OpenConfigured(pin, 0, 4096));
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_STALL_ONCE_MS, 0, 20000));
    Transfer& read = pin.AddTransfer(IOCTL_STREAM_READ, 4096);
    ASSERT_TRUE(read.Submit(pin.handle()));
    ASSERT_TRUE(pin.Start());
    ASSERT_TRUE(pin.Stop());
    ASSERT_EQ(WaitForSingleObject(read.event(), 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(read.Collect(pin.handle()));
    EXPECT_TRUE(pin.SetInt(IOCTL_STREAM_SET_FRAMES, 256)) << "a stopped stream takes a new block size";
}

TEST_F(TransferEnd, TransfersOfTheWrongSizeOrBeforeSetupAreRefused)
{
    PinStream pin;
    ASSERT_TRUE(pin.Open(StreamPathOf(0)));
    Transfer& early = pin.AddTransfer(IOCTL_STREAM_READ, 256);
    EXPECT_TRUE(!early.Submit(pin.handle()) || (WaitForSingleObject(early.event(), 5000) == WAIT_OBJECT_0 &&
                                                 !early.Collect(pin.handle())))
        << "a transfer before the block size is set must fail";
    ASSERT_TRUE(pin.Configure(256));
    Transfer& wrong = pin.AddTransfer(IOCTL_STREAM_WRITE, 512);
    EXPECT_TRUE(!wrong.Submit(pin.handle()) || (WaitForSingleObject(wrong.event(), 5000) == WAIT_OBJECT_0 &&
                                                 !wrong.Collect(pin.handle())))
        << "a block of the wrong size must fail";
}

}  // namespace
}  // namespace rkx::vmix::test
