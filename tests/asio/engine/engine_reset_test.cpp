// The reset protocol: the pins are replaced only while the thread holds, whatever it was doing
// when the reset (or a stop) came; a reset is never lost, and a transfer still in flight on a
// replaced pin is neither reused nor leaked.
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "common/mixer_requests.h"
#include "engine_fixture.h"

namespace rkx::asio::test {
namespace {

// The buffer thread's calls between the first pin closed by a reset on another thread and
// that reset's last start request: while the pins and blocks are replaced there must be none.
int PassCallsDuringReplacement(const std::vector<Event>& events, size_t from)
{
    size_t first = events.size(), last = 0;
    for (size_t i = from; i < events.size(); ++i) {
        if (events[i].onBufferThread) continue;
        if (events[i].call == Call::Close && first == events.size()) first = i;
        if (events[i].call == Call::Request && events[i].code == IOCTL_STREAM_START) last = i;
    }
    int calls = 0;
    for (size_t i = first; i < last; ++i) calls += events[i].onBufferThread && events[i].call != Call::Request;
    return calls;
}

int StartRequestsAfter(const std::vector<Event>& events, size_t from)
{
    int count = 0;
    for (size_t i = from; i < events.size(); ++i) {
        count += !events[i].onBufferThread && events[i].call == Call::Request && events[i].code == IOCTL_STREAM_START;
    }
    return count;
}

enum class Action { Stop, Reset };

struct CheckpointCase {
    int32_t frames;
    Action action;
};
void PrintTo(const CheckpointCase& c, std::ostream* out)
{
    *out << (c.action == Action::Stop ? "stop" : "reset") << " at " << c.frames << " frames";
}

class EngineAtEveryPoint : public ::testing::TestWithParam<CheckpointCase> {};

// Stop or reset from another thread while the buffer thread is at its n-th call (a wait, a
// submission or a switch), for each of the first two dozen calls of a pass in both orders.
TEST_P(EngineAtEveryPoint, StopEndsAndResetHoldsTheThreadWhereverItIs)
{
    const CheckpointCase c = GetParam();
    for (int n = 1; n <= 24; ++n) {
        SCOPED_TRACE("at buffer-thread call " + std::to_string(n));
        ScriptedDevice device;
        ScriptedHost host(device);
        StreamEngine engine(device, device, host, ShortLimits());
        engine.ListPins();
        engine.SetBufferFrames(c.frames);
        host.frames = c.frames;
        host.Add(engine, false, 0);
        host.Add(engine, true, 1);

        std::atomic<int> calls{0};
        std::atomic<size_t> actedAt{0};
        std::atomic<bool> launched{false};
        std::thread other;
        ResetOutcome outcome = ResetOutcome::Failed;
        device.SetHook([&](const Event& e) {
            if (!e.onBufferThread || e.call == Call::Request || e.call == Call::Sleep || ++calls != n) return;
            actedAt = device.Events().size();
            other = std::thread([&] {
                if (c.action == Action::Stop) {
                    engine.Stop();
                } else {
                    outcome = engine.ForcedReset();
                }
            });
            launched = true;
            // This call returns only once the other thread has raised its flag and woken us.
            device.WaitFor([&](const std::vector<Event>& events) {
                for (size_t i = actedAt; i < events.size(); ++i) {
                    if (events[i].call == Call::Wake) return true;
                }
                return false;
            }, kHangLimitMs);
        });
        ASSERT_TRUE(engine.PreparePins() && engine.StartStreaming());
        ASSERT_TRUE(device.WaitFor([&](const std::vector<Event>&) { return calls >= n; }, kHangLimitMs));
        while (!launched) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        other.join();
        device.SetHook(nullptr);
        const std::vector<Event> events = device.Events();
        if (c.action == Action::Stop) {
            for (size_t i = actedAt; i < events.size(); ++i) {
                EXPECT_FALSE(events[i].onBufferThread && (events[i].call == Call::Submit || events[i].call == Call::Switch))
                    << "the thread went on after stop";
            }
            EXPECT_FALSE(device.ThreadExists()) << "stop gave the thread up";
            EXPECT_EQ(device.OpenPins(), 0);
        } else {
            EXPECT_EQ(outcome, ResetOutcome::Done);
            EXPECT_EQ(PassCallsDuringReplacement(events, actedAt), 0);
            const long now = device.Switches();
            EXPECT_TRUE(device.WaitFor([&](const std::vector<Event>&) { return device.Switches() >= now + 4; },
                                       kHangLimitMs))
                << "streaming goes on after the reset";
            engine.Stop();
        }
        EXPECT_TRUE(device.Violations().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineAtEveryPoint,
                         ::testing::Values(CheckpointCase{256, Action::Stop}, CheckpointCase{64, Action::Stop},
                                           CheckpointCase{256, Action::Reset}, CheckpointCase{64, Action::Reset}),
                         [](const auto& info) {
                             return std::string(info.param.action == Action::Stop ? "Stop" : "Reset") + "At" +
                                    std::to_string(info.param.frames) + "Frames";
                         });

class EngineReset : public EngineTest {
protected:
    // Holds the host inside switch `at` until released.
    void HoldHostAt(long at)
    {
        host.onSwitch = [this, at](long s) {
            if (s != at) return;
            inCallback = true;
            while (!releaseHost) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    }
    bool AwaitInCallback()
    {
        for (int i = 0; i < 5000 && !inCallback; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return inCallback;
    }
    std::atomic<bool> inCallback{false};
    std::atomic<bool> releaseHost{false};
};

TEST_F(EngineReset, OneThatCannotHoldTheThreadIsCompletedByTheNextNotification)
{
    Make(256, {{false, 0}, {true, 0}});
    HoldHostAt(4);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(AwaitInCallback());
    const size_t before = device.Events().size();
    EXPECT_EQ(engine->ForcedReset(), ResetOutcome::ThreadBusy);
    EXPECT_EQ(StartRequestsAfter(device.Events(), before), 0) << "nothing was replaced under the pass";
    EXPECT_TRUE(engine->ResetOwed());
    releaseHost = true;
    // The paths did not change, but the reset is still owed: the next notification does it.
    EXPECT_EQ(engine->CheckedReset(), ResetOutcome::Done);
    EXPECT_FALSE(engine->ResetOwed());
    EXPECT_TRUE(AwaitSwitches(device.Switches() + 8)) << "the thread was left held";
}

TEST_F(EngineReset, NeitherAStaleReleaseNorBackToBackResetsLetAPassRunWhileThePinsAreReplaced)
{
    Make(256, {{false, 0}, {true, 0}});
    // A reset left pending by a thread in the host's callback, then stop: its release of the
    // held thread is never taken.
    HoldHostAt(3);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(AwaitInCallback());
    EXPECT_EQ(engine->ForcedReset(), ResetOutcome::ThreadBusy);
    std::thread stopper([this] { engine->Stop(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    releaseHost = true;
    stopper.join();

    // A new session whose resets replace the pins slowly.
    ASSERT_TRUE(Start());
    ASSERT_TRUE(AwaitSwitches(device.Switches() + 4));
    device.SetHook([](const Event& e) {
        if (e.call == Call::Open && !e.onBufferThread) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    });
    for (int reset = 0; reset < 2; ++reset) {
        SCOPED_TRACE(reset == 0 ? "first reset" : "second reset, at once");
        const size_t before = device.Events().size();
        EXPECT_EQ(engine->ForcedReset(), ResetOutcome::Done);
        EXPECT_EQ(PassCallsDuringReplacement(device.Events(), before), 0);
    }
    EXPECT_TRUE(AwaitSwitches(device.Switches() + 4));
}

struct FailedResetCase {
    const char* name;
    bool unsent;  // the start request cannot even be sent (no event) rather than refused
};
void PrintTo(const FailedResetCase& c, std::ostream* out) { *out << c.name; }

class EngineFailedReset : public EngineReset, public ::testing::WithParamInterface<FailedResetCase> {};

TEST_P(EngineFailedReset, HoldsTheThreadAfterFiveAttemptsUntilALaterResetAndStopEndsIt)
{
    Make(256, {{false, 0}, {true, 0}});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(AwaitSwitches(4));
    const auto fail = [this](int count) {
        if (GetParam().unsent) {
            device.Unsend(IOCTL_STREAM_START, count);
        } else {
            device.Refuse(IOCTL_STREAM_START, count);
        }
    };
    fail(100);
    size_t before = device.Events().size();
    EXPECT_EQ(engine->ForcedReset(), ResetOutcome::Failed);
    EXPECT_EQ(StartRequestsAfter(device.Events(), before), 5) << "five attempts";
    const long held = device.Switches();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(device.Switches(), held) << "no buffer switch on pins that were never started";

    fail(0);
    EXPECT_EQ(engine->CheckedReset(), ResetOutcome::Done) << "a failed reset is tried again";
    EXPECT_TRUE(AwaitSwitches(held + 4));

    fail(100);
    EXPECT_EQ(engine->ForcedReset(), ResetOutcome::Failed);
    engine->Stop();
    EXPECT_FALSE(device.ThreadExists()) << "stop gave the held thread up instead of ending it";
    EXPECT_EQ(device.OpenPins(), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineFailedReset,
                         ::testing::Values(FailedResetCase{"StartRefused", false}, FailedResetCase{"StartUnsent", true}),
                         [](const auto& info) { return info.param.name; });

// Reads that neither complete nor end when their pin is closed: the reset gives them up after
// the drain limit, streams on new records, and frees the old blocks once they complete.
TEST_F(EngineReset, TransfersStillInFlightAreNeverReusedAndAreFreedWhenTheyComplete)
{
    device.readsCompleteAtOnce = false;
    device.closeEndsTransfers = false;
    Make(256, {{false, 0}, {true, 0}});
    ASSERT_TRUE(Start());
    // The first two halves read on both slots; the third waits for a read that never comes.
    ASSERT_TRUE(device.WaitFor([](const std::vector<Event>& events) {
        for (const Event& e : events) {
            if (e.call == Call::Submit && e.code == IOCTL_STREAM_READ && e.slot == 1) return true;
        }
        return false;
    }, kHangLimitMs));
    // The new session's reads complete; the old ones only when the test says so.
    device.readsCompleteAtOnce = true;
    EXPECT_EQ(engine->ForcedReset(), ResetOutcome::Done);
    EXPECT_EQ(engine->Transfers().abandoned, 2u);
    EXPECT_EQ(engine->Transfers().reclaimed, 0u) << "nothing is freed under a transfer";
    ASSERT_TRUE(AwaitSwitches(device.Switches() + 8));
    std::set<int> oldRecords;
    for (const Event& e : device.Events()) {
        if (e.call == Call::Submit && e.code == IOCTL_STREAM_READ && device.Complete(e.record)) oldRecords.insert(e.record);
    }
    EXPECT_EQ(oldRecords.size(), 2u);
    EXPECT_EQ(engine->Transfers().reclaimed, 2u);
}

}  // namespace
}  // namespace rkx::asio::test
