// Completions that come late, out of order or never: a slot is reissued only once its
// transfer has completed, and stop ends the thread whatever it waits for.
#include <atomic>
#include <chrono>
#include <thread>

#include "common/mixer_requests.h"
#include "engine_fixture.h"

namespace rkx::asio::test {
namespace {

// Completes the oldest transfer of `code` in flight, one a millisecond, newest pins last.
class LateCompleter {
public:
    LateCompleter(ScriptedDevice& device, uint32_t code)
        : thread_([this, &device, code] {
              while (!done_) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
                  device.CompleteOldest(code);
              }
          })
    {
    }
    ~LateCompleter()
    {
        done_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

struct LateCase {
    const char* name;
    int32_t frames;
    uint32_t lateCode;
};
void PrintTo(const LateCase& c, std::ostream* out) { *out << c.name; }

class EngineLateCompletions : public EngineTest, public ::testing::WithParamInterface<LateCase> {};

// The device notes any transfer issued on a record still in flight (see TearDown). At 64
// frames nothing but the read's own completion stands between two reads on one slot.
TEST_P(EngineLateCompletions, NoSlotIsReissuedBeforeItsTransferCompleted)
{
    const LateCase& c = GetParam();
    device.writesCompleteAtOnce = c.lateCode != IOCTL_STREAM_WRITE;
    device.readsCompleteAtOnce = c.lateCode != IOCTL_STREAM_READ;
    Make(c.frames, {{false, 0}, {true, 0}});
    ASSERT_TRUE(Start());
    {
        LateCompleter completer(device, c.lateCode);
        EXPECT_TRUE(AwaitSwitches(40));
        engine->Stop();
    }
    long waitsForLate = 0;
    for (const Event& e : device.Events()) waitsForLate += e.call == Call::Wait && e.code == c.lateCode;
    EXPECT_GT(waitsForLate, 20) << "every late completion was waited for";
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineLateCompletions,
                         ::testing::Values(LateCase{"ReadsAt64Frames", 64, IOCTL_STREAM_READ},
                                           LateCase{"WritesAt64Frames", 64, IOCTL_STREAM_WRITE},
                                           LateCase{"ReadsAt256Frames", 256, IOCTL_STREAM_READ}),
                         [](const auto& info) { return info.param.name; });

// Two mixers whose writes complete newest first: each half still waits for exactly its own
// slot on every pin.
TEST_F(EngineTest, OutOfOrderCompletionsAreEachWaitedForOnTheirSlot)
{
    device.paths.push_back("\\\\?\\usb#vid_3c1a&pid_0052&mi_00#1#{x}\\wave1");
    device.writesCompleteAtOnce = false;
    Make(256, {{false, 0}, {false, 8}});
    ASSERT_TRUE(Start());
    std::atomic<bool> done{false};
    std::thread completer([&] {
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            // The newest in flight first: pin 1's write of this half before pin 0's older one.
            const std::vector<Event> events = device.Events();
            for (auto e = events.rbegin(); e != events.rend(); ++e) {
                if (e->call == Call::Submit && device.Complete(e->record)) break;
            }
        }
    });
    EXPECT_TRUE(AwaitSwitches(30));
    engine->Stop();
    done = true;
    completer.join();
    // Between two switches every pin's wait names the half's slot.
    long s = -1;
    for (const Event& e : device.Events()) {
        if (e.call == Call::Switch) ++s;
        if (e.call == Call::Wait && e.result == WaitResult::Completed) {
            EXPECT_EQ(e.slot, int((s + 1) % 2)) << "after switch " << s;
        }
    }
}

TEST_F(EngineTest, StopEndsAThreadWaitingForACompletionThatNeverComes)
{
    device.writesCompleteAtOnce = false;
    Make(256, {{false, 0}, {true, 0}});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(device.WaitFor(
        [](const std::vector<Event>& events) {
            for (const Event& e : events) {
                if (e.call == Call::Submit && e.code == IOCTL_STREAM_WRITE && e.slot == 1) return true;
            }
            return false;
        },
        kHangLimitMs));
    engine->Stop();
    EXPECT_FALSE(device.ThreadExists()) << "stop gave the thread up instead of ending it";
    EXPECT_EQ(device.OpenPins(), 0);
}

}  // namespace
}  // namespace rkx::asio::test
