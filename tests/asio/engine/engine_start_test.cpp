// Starting the stream: every set-up step the mixer or the system refuses makes start fail
// with nothing left open, and a later start works; a stream with nothing to pace it keeps to
// the buffer period.
#include <functional>

#include "common/mixer_requests.h"
#include "engine_fixture.h"

namespace rkx::asio::test {
namespace {

struct StartCase {
    const char* name;
    std::function<void(ScriptedDevice&)> breakIt;
    std::function<void(ScriptedDevice&)> mendIt;
};
void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class EngineStartFailure : public EngineTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(EngineStartFailure, LeavesNothingOpenAndALaterStartWorks)
{
    Make(256, {{false, 0}, {true, 0}});
    GetParam().breakIt(device);
    EXPECT_FALSE(Start());
    EXPECT_FALSE(engine->Streaming());
    EXPECT_FALSE(device.ThreadExists());
    EXPECT_EQ(device.OpenPins(), 0);
    EXPECT_EQ(device.Switches(), 0);

    GetParam().mendIt(device);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(AwaitSwitches(8));
}

const auto kNothingToMend = [](ScriptedDevice&) {};

INSTANTIATE_TEST_SUITE_P(
    Refusals, EngineStartFailure,
    ::testing::Values(
        StartCase{"MixerRefusesTheBufferSize", [](ScriptedDevice& d) { d.Refuse(IOCTL_STREAM_SET_FRAMES, 1); },
                  kNothingToMend},
        StartCase{"MixerRefusesTheOutputPinCount",
                  [](ScriptedDevice& d) { d.Refuse(IOCTL_STREAM_SET_OUTPUT_PINS, 1); }, kNothingToMend},
        StartCase{"MixerRefusesToStart", [](ScriptedDevice& d) { d.Refuse(IOCTL_STREAM_START, 1); }, kNothingToMend},
        StartCase{"RateRequestCannotBeSent", [](ScriptedDevice& d) { d.Unsend(IOCTL_STREAM_SET_RATE, 1); },
                  kNothingToMend},
        StartCase{"StartRequestCannotBeSent", [](ScriptedDevice& d) { d.Unsend(IOCTL_STREAM_START, 1); },
                  kNothingToMend},
        StartCase{"NoThread", [](ScriptedDevice& d) { d.threadFails = true; },
                  [](ScriptedDevice& d) { d.threadFails = false; }},
        StartCase{"PinCannotBeOpened",
                  [](ScriptedDevice& d) {
                      d.paths[0] += "-gone";
                  },
                  [](ScriptedDevice& d) { d.paths[0].resize(d.paths[0].size() - 5); }}),
    [](const auto& info) { return info.param.name; });

// Channels of a mixer that is not connected: no pin, no completion. After the first two halves
// every half sleeps for the buffer period (256 frames: 5 ms) instead of calling the host in a
// tight loop.
TEST_F(EngineTest, HalvesThatNoCompletionPacesKeepToTheBufferPeriod)
{
    Make(256, {{false, 12}, {true, 9}});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(AwaitSwitches(10));
    engine->Stop();
    long switches = 0, paced = 0;
    for (const Event& e : device.Events()) {
        if (!e.onBufferThread) continue;
        if (e.call == Call::Switch && ++switches > 10) break;
        if (e.call == Call::Sleep && e.code == 5 && switches >= 2) ++paced;
    }
    EXPECT_GE(paced, 8);
}

}  // namespace
}  // namespace rkx::asio::test
