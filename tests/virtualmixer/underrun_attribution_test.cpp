// The mixer tells who was late: a host that queued nothing by a period's deadline is counted
// as host underruns, periods the mixer's own clock slept through as its clock slips. The
// benchmark and the streaming tests judge the host by these counters, so each must count
// what it says and nothing of the other.
#include "rig_fixture.h"
#include "stream_helpers.h"

#include <functional>

namespace rkx::vmix::test {
namespace {

constexpr uint32_t kFrames = 256;  // 5.33 ms
constexpr DWORD kGapMs = 160;      // 30 periods
constexpr uint32_t kGapPeriods = kGapMs * RKX_SAMPLE_RATE / 1000 / kFrames;

class UnderrunAttribution : public RigTest {
protected:
    static constexpr uint32_t kBlocks = 40;

    // Streams kBlocks blocks with counters cleared first, running `gap` after the 10th completion.
    void StreamWithAGap(const std::function<void()>& gap, StreamRun& run)
    {
        PinStream pin;
        ASSERT_TRUE(OpenConfigured(pin, 0, kFrames));
        ASSERT_TRUE(rig.ClearStats());
        StreamPlan plan;
        plan.frames = kFrames;
        plan.blocks = kBlocks;
        plan.afterBlock = [&](uint32_t index) {
            if (index == 10) gap();
        };
        run = RunStream(pin, plan);
    }
};

TEST_F(UnderrunAttribution, AHostThatStopsQueueingIsCountedAsHostUnderrunsNotClockSlips)
{
    StreamRun run;
    // The host's two transfers run out meanwhile.
    ASSERT_NO_FATAL_FAILURE(StreamWithAGap([] { Sleep(kGapMs); }, run));
    ASSERT_TRUE(run.ok) << run.failure;
    const VmixStats stats = StatsOf(0);
    EXPECT_GE(stats.hostUnderruns, kGapPeriods - 4) << "slips " << stats.clockSlips;
    EXPECT_GE(stats.lateReads, kGapPeriods - 4);
    EXPECT_LT(stats.clockSlips, kGapPeriods / 2) << "the host's gap was blamed on the clock";
    EXPECT_LE(stats.periods - stats.blocksWritten, stats.hostUnderruns) << "a period that ran dry is the host's";
}

TEST_F(UnderrunAttribution, AClockThatSleepsThroughPeriodsCountsItsSlipsNotTheHostsUnderruns)
{
    StreamRun run;
    // The host's next two transfers are queued while the clock stalls: they were on time.
    ASSERT_NO_FATAL_FAILURE(
        StreamWithAGap([&] { ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_STALL_ONCE_MS, 0, kGapMs)); }, run));
    ASSERT_TRUE(run.ok) << run.failure;
    const VmixStats stats = StatsOf(0);
    EXPECT_GE(stats.clockSlips, kGapPeriods - 4) << "host underruns " << stats.hostUnderruns;
    EXPECT_LT(stats.hostUnderruns, kGapPeriods / 2) << "the clock's stall was blamed on the host";
    EXPECT_GE(stats.clockLateMaxUs, kGapMs * 1000 - 2 * 5333) << "the stall shows in the clock's lateness";
    EXPECT_EQ(run.completions, kBlocks) << "no transfer was lost to the stall";
}

}  // namespace
}  // namespace rkx::vmix::test
