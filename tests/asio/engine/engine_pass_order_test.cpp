// The buffer thread's two pass orders, and which half and slot every copy uses.
#include <map>
#include <utility>

#include "common/mixer_requests.h"
#include "engine_fixture.h"

namespace rkx::asio::test {
namespace {

// One token per buffer-thread call, up to the n-th switch: "w0"/"r1" wait for the write or
// read on slot 0/1, "W0"/"R1" submit one, "X0" the switch of half 0.
std::string Trace(const std::vector<Event>& events, long switches)
{
    std::string trace;
    long seen = 0;
    for (const Event& e : events) {
        if (!e.onBufferThread) continue;
        const bool write = e.code == IOCTL_STREAM_WRITE;
        std::string token;
        if (e.call == Call::Wait) token = (write ? "w" : "r") + std::to_string(e.slot);
        if (e.call == Call::Submit) token = (write ? "W" : "R") + std::to_string(e.slot);
        if (e.call == Call::Switch) {
            if (++seen == switches) break;
            token = "X" + std::to_string(e.half);
        }
        if (!token.empty()) trace += (trace.empty() ? "" : " ") + token;
    }
    return trace;
}

struct OrderCase {
    int32_t frames;
    const char* trace;  // the first four halves and the waits of the fifth
};
void PrintTo(const OrderCase& c, std::ostream* out) { *out << c.frames << " frames"; }

class EnginePassOrder : public EngineTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(EnginePassOrder, HalvesWaitSwitchAndSubmitInTheirOrder)
{
    Make(GetParam().frames, {{false, 0}, {true, 0}});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(AwaitSwitches(6));
    engine->Stop();
    EXPECT_EQ(Trace(device.Events(), 5), GetParam().trace);
    EXPECT_EQ(host.lastPosition.load(), uint64_t(device.Switches()) * uint64_t(GetParam().frames))
        << "each switch hands the host one buffer more";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, EnginePassOrder,
    ::testing::Values(
        // Standard: each half waits for its slots' transfers of two halves ago, switches, then
        // submits the write and the read on its own slot.
        OrderCase{256, "X0 W0 R0 X1 W1 R1 w0 r0 X0 W0 R0 w1 r1 X1 W1 R1 w0 r0"},
        // 64 frames: the read of the half is reissued before the switch, once the slot's
        // previous read has completed; the write follows the switch.
        OrderCase{64, "R0 X0 W0 R1 X1 W1 w0 r0 R0 X0 W0 w1 r1 R1 X1 W1 w0 r0 R0"}),
    [](const auto& info) { return "Frames" + std::to_string(info.param.frames); });

class EngineCopies : public EngineTest, public ::testing::WithParamInterface<int32_t> {};

// Two mixers. Outputs: channel 3 twice (the later entry wins), channel 13 (mixer 2,
// sub-channel 5). Inputs: channel 2 twice (both get it), channel 12 (mixer 2, sub-channel 4),
// channel 17 (no third mixer: untouched).
TEST_P(EngineCopies, EveryCopyUsesTheHalfAndSlotOfItsSwitch)
{
    device.paths.push_back("\\\\?\\usb#vid_3c1a&pid_0052&mi_00#1#{x}\\wave1");
    const int32_t frames = GetParam();
    Make(frames, {{false, 3}, {false, 3}, {false, 13}, {true, 2}, {true, 2}, {true, 12}, {true, 17}});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(AwaitSwitches(12));
    engine->Stop();

    const std::vector<Event> events = device.Events();
    const auto written = device.Written();
    std::map<std::pair<int, int>, std::vector<long>> reads;  // (pin, slot) -> submissions
    long s = -1;
    int checkedWrites = 0, checkedSwitches = 0;
    for (const Event& e : events) {
        if (e.call == Call::Submit && e.code == IOCTL_STREAM_READ) reads[{e.pin, e.slot}].push_back(e.submission);
        if (e.call == Call::Submit && e.code == IOCTL_STREAM_WRITE && s >= 0 && size_t(e.submission) < written.size()) {
            SCOPED_TRACE("write after switch " + std::to_string(s) + ", pin " + std::to_string(e.pin));
            EXPECT_EQ(e.slot, s % 2);
            const std::vector<int32_t>& block = written[size_t(e.submission)];
            ASSERT_EQ(block.size(), size_t(frames) * 8);
            for (int i = 0; i < frames; i += frames / 4) {
                EXPECT_EQ(block[size_t(i) * 8], 0) << "sub-channel 0 carries nothing";
                if (e.pin == 0) {
                    EXPECT_EQ(block[size_t(i) * 8 + 3], ScriptedHost::Written(s, 1, i)) << "the later entry wins";
                } else {
                    EXPECT_EQ(block[size_t(i) * 8 + 5], ScriptedHost::Written(s, 2, i));
                }
            }
            ++checkedWrites;
        }
        if (e.call != Call::Switch) continue;
        ++s;
        if (s >= 12) break;
        // The input of switch s is what the read issued on its slot two halves earlier left.
        const long n = s / 2;
        const int h = int(s % 2);
        SCOPED_TRACE("switch " + std::to_string(s));
        EXPECT_EQ(e.half, h);
        const auto sample = [&](int pin, int i, int c) {
            const auto& issued = reads[{pin, h}];
            return n == 0 ? 0 : ScriptedDevice::ReadSample(issued.at(size_t(n - 1)), i, c);
        };
        for (int i = 0; i < frames; i += frames / 4) {
            EXPECT_EQ(host.InputAt(s, 0).at(size_t(i)), sample(0, i, 2));
            EXPECT_EQ(host.InputAt(s, 1).at(size_t(i)), sample(0, i, 2));
            EXPECT_EQ(host.InputAt(s, 2).at(size_t(i)), sample(1, i, 4));
            EXPECT_EQ(host.InputAt(s, 3).at(size_t(i)), 0);
        }
        ++checkedSwitches;
    }
    EXPECT_EQ(checkedSwitches, 12);
    EXPECT_GE(checkedWrites, 20);
}

INSTANTIATE_TEST_SUITE_P(Sizes, EngineCopies, ::testing::Values(64, 256),
                         [](const auto& info) { return "Frames" + std::to_string(info.param); });

}  // namespace
}  // namespace rkx::asio::test
