// What the driver answers before and after init, with buffers and while streaming, and how
// createBuffers refuses what it cannot serve.
#include <cstring>
#include <string>

#include "driver_fixture.h"

namespace rkx::asio::test {
namespace {

enum class State { Created, Initialised, Buffers, Running };

class DriverQueries : public DriverTest, public ::testing::WithParamInterface<State> {};

TEST_P(DriverQueries, AnswersInEveryState)
{
    const State state = GetParam();
    DriverRef driver(module.CreateDriver());
    ASSERT_TRUE(driver);
    TestHost host;
    if (state != State::Created) {
        ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    }
    if (state == State::Buffers || state == State::Running) {
        ASSERT_EQ(host.Create(driver.driver, {{true, 0}, {false, 1}}, 256), ASE_OK);
    }
    if (state == State::Running) {
        ASSERT_EQ(driver->start(), ASE_OK);
    }

    long inputs = -1, outputs = -1;
    EXPECT_EQ(driver->getChannels(&inputs, &outputs), ASE_OK);
    const long expectedChannels = state == State::Created ? 0 : 8;
    EXPECT_EQ(inputs, expectedChannels);
    EXPECT_EQ(outputs, expectedChannels);

    long minSize = 0, maxSize = 0, preferred = 0, granularity = -1;
    EXPECT_EQ(driver->getBufferSize(&minSize, &maxSize, &preferred, &granularity), ASE_OK);
    EXPECT_EQ(minSize, 256);
    EXPECT_EQ(maxSize, 256);
    EXPECT_EQ(preferred, 256);
    EXPECT_EQ(granularity, 0);
    long inLatency = 0, outLatency = 0;
    EXPECT_EQ(driver->getLatencies(&inLatency, &outLatency), ASE_OK);
    EXPECT_EQ(inLatency, 256);
    EXPECT_EQ(outLatency, 256);

    const struct {
        double rate;
        ASIOError can;
    } rates[] = {{48000.0, ASE_OK}, {44100.0, ASE_NoClock}, {96000.0, ASE_NoClock}};
    for (const auto& r : rates) {
        EXPECT_EQ(driver->canSampleRate(r.rate), r.can) << r.rate;
        EXPECT_EQ(driver->setSampleRate(r.rate), r.can) << r.rate;
    }
    ASIOSampleRate rate = 0;
    EXPECT_EQ(driver->getSampleRate(&rate), ASE_OK);
    EXPECT_EQ(rate, 48000.0);

    ASIOClockSource clocks[2] = {};
    long clockCount = 2;
    EXPECT_EQ(driver->getClockSources(clocks, &clockCount), ASE_OK);
    EXPECT_EQ(clockCount, 1);
    EXPECT_STREQ(clocks[0].name, "Internal");
    EXPECT_EQ(clocks[0].isCurrentSource, ASIOTrue);
    EXPECT_EQ(clocks[0].associatedChannel, -1);
    EXPECT_EQ(driver->setClockSource(1), ASE_NotPresent);

    const struct {
        long selector;
        ASIOError result;
    } futures[] = {{kAsioEnableTimeCodeRead, ASE_SUCCESS}, {kAsioDisableTimeCodeRead, ASE_SUCCESS},
                   {kAsioSetInputMonitor, ASE_SUCCESS},    {kAsioCanInputMonitor, ASE_SUCCESS},
                   {kAsioCanTimeInfo, ASE_SUCCESS},        {kAsioCanTimeCode, ASE_SUCCESS},
                   {kAsioCanTransport, ASE_NotPresent},    {kAsioTransport, ASE_NotPresent}};
    for (const auto& f : futures) EXPECT_EQ(driver->future(f.selector, nullptr), f.result) << f.selector;
    EXPECT_EQ(driver->outputReady(), ASE_OK);

    const bool haveBuffers = state == State::Buffers || state == State::Running;
    const struct {
        long channel;
        bool isInput;
        bool active;
    } channels[] = {{0, true, haveBuffers}, {1, false, haveBuffers}, {1, true, false}, {0, false, false}};
    for (const auto& c : channels) {
        ASIOChannelInfo info{};
        info.channel = c.channel;
        info.isInput = c.isInput ? ASIOTrue : ASIOFalse;
        EXPECT_EQ(driver->getChannelInfo(&info), ASE_OK);
        EXPECT_EQ(info.isActive, c.active ? ASIOTrue : ASIOFalse) << c.channel << (c.isInput ? " in" : " out");
        EXPECT_EQ(info.type, ASIOSTInt32LSB);
        EXPECT_EQ(info.channelGroup, 0);
    }
    ASIOChannelInfo outside{};
    outside.channel = 1024;
    EXPECT_EQ(driver->getChannelInfo(&outside), ASE_InvalidParameter);
    outside.channel = -1;
    EXPECT_EQ(driver->getChannelInfo(&outside), ASE_InvalidParameter);

    char text[128] = {};
    driver->getErrorMessage(text);
    EXPECT_STREQ(text, state == State::Created ? "" : rkx::test::kAsioOpenFailure);
    if (state == State::Running) {
        EXPECT_EQ(driver->stop(), ASE_OK);
    }
}

std::string StateName(const ::testing::TestParamInfo<State>& info)
{
    const char* names[] = {"Created", "Initialised", "BuffersCreated", "Streaming"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(States, DriverQueries,
                         ::testing::Values(State::Created, State::Initialised, State::Buffers, State::Running),
                         StateName);

std::string NameOf(IASIO* driver, long channel, bool isInput)
{
    ASIOChannelInfo info{};
    info.channel = channel;
    info.isInput = isInput ? ASIOTrue : ASIOFalse;
    driver->getChannelInfo(&info);
    return info.name;
}

TEST_F(DriverTest, ChannelNamesCarryThePinOnlyWithTwoMixers)
{
    struct Case {
        long channel;
        bool isInput;
        const char* oneMixer;
        const char* twoMixers;
    };
    const Case cases[] = {
        {3, true, "RKX-T2 IN 4", "RKX-T2 IN 4(1)"},
        {11, true, "RKX-T2 IN 12", "RKX-T2 IN 4(2)"},
        {0, false, "RKX-T2 OUT 1", "RKX-T2 OUT 1(1)"},
        {9, false, "RKX-T2 OUT 10", "RKX-T2 OUT 2(2)"},
        {8, true, "RKX-T2 IN 9", "RKX-T2 IN 1(2)"},
    };
    {
        DriverRef driver(module.CreateDriver());
        ASSERT_TRUE(driver);
        ASSERT_EQ(driver->init(nullptr), ASIOTrue);
        for (const Case& c : cases) EXPECT_EQ(NameOf(driver.driver, c.channel, c.isInput), c.oneMixer);
    }
    ASSERT_TRUE(rig.SetPlugged(1, true));
    DriverRef driver(module.CreateDriver());
    ASSERT_TRUE(driver);
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    long inputs = 0, outputs = 0;
    driver->getChannels(&inputs, &outputs);
    EXPECT_EQ(inputs, 16);
    EXPECT_EQ(outputs, 16);
    for (const Case& c : cases) EXPECT_EQ(NameOf(driver.driver, c.channel, c.isInput), c.twoMixers);
}

TEST_F(DriverTest, InitFailsWithoutAMixerAndSucceedsAgainWithoutRescanning)
{
    {
        DriverRef driver(module.CreateDriver());
        ASSERT_TRUE(rig.SetPlugged(0, false));
        EXPECT_EQ(driver->init(nullptr), ASIOFalse);
        char text[128] = {};
        driver->getErrorMessage(text);
        EXPECT_STREQ(text, rkx::test::kAsioOpenFailure);
        ASSERT_TRUE(rig.SetPlugged(0, true));
    }
    DriverRef driver(module.CreateDriver());
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASSERT_TRUE(rig.SetPlugged(0, false));
    EXPECT_EQ(driver->init(nullptr), ASIOTrue) << "a second init only reports success";
}

TEST_F(DriverTest, CreateBuffersRefusesBadRequestsAndLeavesNoBuffers)
{
    DriverRef driver(module.CreateDriver());
    ASSERT_TRUE(driver);
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASIOCallbacks callbacks{};
    struct Case {
        const char* name;
        long channel;
        long count;
        bool nullInfos;
        long bufferSize;
        bool nullCallbacks;
        ASIOError expected;
    };
    const Case cases[] = {
        {"channel 1024 after a good one", 1024, 2, false, 256, false, ASE_InvalidParameter},
        {"negative channel", -1, 2, false, 256, false, ASE_InvalidParameter},
        {"buffer size 0", 0, 2, false, 0, false, ASE_InvalidParameter},
        {"negative buffer size", 0, 2, false, -64, false, ASE_InvalidParameter},
        // Sizes the mixer cannot stream: above 4096 frames or not whole steps of 64.
        {"absurd buffer size", 0, 2, false, 0x40000000, false, ASE_InvalidMode},
        {"8192 frames", 0, 2, false, 8192, false, ASE_InvalidMode},
        {"4160 frames", 0, 2, false, 4160, false, ASE_InvalidMode},
        {"100 frames", 0, 2, false, 100, false, ASE_InvalidMode},
        {"32 frames", 0, 2, false, 32, false, ASE_InvalidMode},
        {"null infos with a count", 0, 2, true, 256, false, ASE_InvalidParameter},
        {"null callbacks", 0, 2, false, 256, true, ASE_InvalidParameter},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASIOBufferInfo infos[2] = {};
        infos[0].isInput = ASIOTrue;
        infos[0].channelNum = 0;
        infos[1].isInput = ASIOTrue;
        infos[1].channelNum = c.channel;
        EXPECT_EQ(driver->createBuffers(c.nullInfos ? nullptr : infos, c.count, c.bufferSize,
                                        c.nullCallbacks ? nullptr : &callbacks),
                  c.expected);
        ASIOChannelInfo info{};
        info.channel = 0;
        info.isInput = ASIOTrue;
        driver->getChannelInfo(&info);
        EXPECT_EQ(info.isActive, ASIOFalse) << "nothing stays allocated";
        long minSize = 0, maxSize = 0, preferred = 0, granularity = 0;
        driver->getBufferSize(&minSize, &maxSize, &preferred, &granularity);
        EXPECT_GT(preferred, 0);
    }
    EXPECT_EQ(driver->start(), ASE_OK) << "without buffers nothing streams";
    EXPECT_FALSE(StreamingMutexExists());
}

// The host's count is the room it gave: no entry is written beyond it.
TEST_F(DriverTest, ClockSourcesFillNoMoreEntriesThanTheHostHasRoomFor)
{
    DriverRef driver(module.CreateDriver());
    ASSERT_TRUE(driver);
    for (long room : {0L, 1L, 2L}) {
        SCOPED_TRACE(room);
        ASIOClockSource clocks[2];
        std::memset(clocks, 0x5A, sizeof(clocks));
        long count = room;
        EXPECT_EQ(driver->getClockSources(clocks, &count), ASE_OK);
        EXPECT_EQ(count, 1) << "one clock source";
        if (room == 0) {
            EXPECT_EQ(clocks[0].index, 0x5A5A5A5A) << "entry 0 written without room";
        } else {
            EXPECT_STREQ(clocks[0].name, "Internal");
        }
        EXPECT_EQ(clocks[1].index, 0x5A5A5A5A) << "entry 1 written";
    }
}

TEST_F(DriverTest, SecondDriverCannotInitWhileTheFirstStreams)
{
    DriverRef first(module.CreateDriver());
    TestHost host;
    ASSERT_EQ(first->init(nullptr), ASIOTrue);
    ASSERT_EQ(host.Create(first.driver, {{false, 0}}, 256), ASE_OK);
    ASSERT_EQ(first->start(), ASE_OK);
    EXPECT_TRUE(StreamingMutexExists());
    {
        DriverRef second(module.CreateDriver());
        EXPECT_EQ(second->init(nullptr), ASIOFalse);
        char text[128] = {};
        second->getErrorMessage(text);
        EXPECT_STREQ(text, rkx::test::kAsioOpenFailure);
    }
    EXPECT_EQ(first->stop(), ASE_OK);
    EXPECT_FALSE(StreamingMutexExists());
    DriverRef third(module.CreateDriver());
    EXPECT_EQ(third->init(nullptr), ASIOTrue) << "once the first stopped";
}

}  // namespace
}  // namespace rkx::asio::test
