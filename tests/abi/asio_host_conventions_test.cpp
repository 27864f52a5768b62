// The ASIO driver as a 32-bit host built with the standard's compilers calls it: the driver
// object's methods by their slot numbers in the standard's order, IUnknown's three as
// __stdcall (this on the stack), IASIO's own as __thiscall (this in ECX), each removing exactly
// its arguments from the stack; the host's callbacks are plain __cdecl functions the driver
// calls with the standard's arguments. Runs on the 32-bit rig (the installed, self-registered
// driver and the i686 virtual mixer).
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "checked_call.h"
#include "tests/support/build_names.h"

namespace rkx::abi_test {
namespace {

// Slots of the driver object's table, from the ASIO standard.
enum Slot : int {
    kQueryInterface, kAddRef, kRelease,
    kInit, kGetDriverName, kGetDriverVersion, kGetErrorMessage, kStart, kStop, kGetChannels,
    kGetLatencies, kGetBufferSize, kCanSampleRate, kGetSampleRate, kSetSampleRate,
    kGetClockSources, kSetClockSource, kGetSamplePosition, kGetChannelInfo, kCreateBuffers,
    kDisposeBuffers, kControlPanel, kFuture, kOutputReady,
};

// The standard's records, as far as this host uses them.
struct BufferInfo {
    int32_t isInput;
    int32_t channelNum;
    void* buffers[2];
};
struct ChannelInfo {
    int32_t channel;
    int32_t isInput;
    int32_t isActive;
    int32_t channelGroup;
    int32_t type;
    char name[32];
};
struct ClockSource {
    int32_t index, associatedChannel, associatedGroup, isCurrentSource;
    char name[32];
};
struct Samples {
    uint32_t hi, lo;
};
struct Callbacks {
    void(__cdecl* bufferSwitch)(int32_t index, int32_t directProcess);
    void(__cdecl* sampleRateDidChange)(double rate);
    int32_t(__cdecl* asioMessage)(int32_t selector, int32_t value, void* message, double* opt);
    void*(__cdecl* bufferSwitchTimeInfo)(void* params, int32_t index, int32_t directProcess);
};
static_assert(sizeof(BufferInfo) == 16 && sizeof(ChannelInfo) == 52 && sizeof(ClockSource) == 48);

constexpr int32_t kOk = 0, kSuccess = 0x3F4847A0, kAsioTrue = 1;
constexpr int32_t kSelectorSupported = 1, kSupportsTimeInfo = 7, kCanTimeInfo = 10;

std::atomic<int> g_switches{0}, g_badArguments{0}, g_lastIndex{-1};

void __cdecl BufferSwitch(int32_t index, int32_t directProcess)
{
    if ((index != 0 && index != 1) || directProcess != 0 || index == g_lastIndex.load()) ++g_badArguments;
    g_lastIndex = index;
    ++g_switches;
}
void __cdecl SampleRateDidChange(double) {}
int32_t __cdecl AsioMessage(int32_t selector, int32_t value, void*, double*)
{
    // Time info declined: the driver calls bufferSwitch.
    if (selector == kSelectorSupported) return value == kSupportsTimeInfo ? 0 : 1;
    return 0;
}
void* __cdecl BufferSwitchTimeInfo(void* params, int32_t, int32_t)
{
    ++g_badArguments;
    return params;
}

class AsioHostConventions : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_EQ(CoCreateInstance(rkx::test::kAsioClassId, nullptr, CLSCTX_INPROC_SERVER, rkx::test::kAsioClassId,
                                   &object),
                  S_OK);
        table = *static_cast<void* const* const*>(object);
    }
    void TearDown() override
    {
        if (object != nullptr) {
            const CallOutcome release = CallStdcall(table[kRelease], {Word(object)});
            EXPECT_EQ(release.popped, 4u);
        }
        CoUninitialize();
    }
    // An IASIO method: __thiscall, the callee removes its argument words.
    uint32_t Asio(Slot slot, std::vector<uint32_t> words)
    {
        const uint32_t expected = 4 * uint32_t(words.size());
        const CallOutcome outcome = CallThiscall(table[slot], object, std::move(words));
        EXPECT_EQ(outcome.popped, expected) << "slot " << slot;
        return outcome.result;
    }

    void* object = nullptr;
    void* const* table = nullptr;
};

TEST_F(AsioHostConventions, UnknownMethodsAreStdcall)
{
    void* same = nullptr;
    const CallOutcome query = CallStdcall(table[kQueryInterface], {Word(object), Word(&rkx::test::kAsioClassId), Word(&same)});
    EXPECT_EQ(query.popped, 12u);
    EXPECT_EQ(query.result, uint32_t(S_OK));
    EXPECT_EQ(same, object);
    const CallOutcome added = CallStdcall(table[kAddRef], {Word(object)});
    EXPECT_EQ(added.popped, 4u);
    EXPECT_EQ(added.result, 3u) << "created, queried, added";
    EXPECT_EQ(CallStdcall(table[kRelease], {Word(object)}).result, 2u);
    EXPECT_EQ(CallStdcall(table[kRelease], {Word(object)}).result, 1u);
}

TEST_F(AsioHostConventions, QueriesAreThiscallAndAnswerThroughTheStandardRecords)
{
    ASSERT_EQ(Asio(kInit, {0}), uint32_t(kAsioTrue));
    char name[32] = {};
    Asio(kGetDriverName, {Word(name)});
    EXPECT_STREQ(name, rkx::test::kAsioDriverName);
    EXPECT_EQ(Asio(kGetDriverVersion, {}), 1u);
    char error[124] = {};
    Asio(kGetErrorMessage, {Word(error)});

    int32_t inputs = 0, outputs = 0;
    EXPECT_EQ(Asio(kGetChannels, {Word(&inputs), Word(&outputs)}), uint32_t(kOk));
    EXPECT_EQ(inputs, 8);
    EXPECT_EQ(outputs, 8);
    int32_t inputLatency = 0, outputLatency = 0;
    EXPECT_EQ(Asio(kGetLatencies, {Word(&inputLatency), Word(&outputLatency)}), uint32_t(kOk));
    int32_t minSize = 0, maxSize = 0, preferred = 0, granularity = 0;
    EXPECT_EQ(Asio(kGetBufferSize, {Word(&minSize), Word(&maxSize), Word(&preferred), Word(&granularity)}),
              uint32_t(kOk));
    EXPECT_GT(preferred, 0);

    // A double argument is two words, removed by the callee like any other.
    EXPECT_EQ(Asio(kCanSampleRate, Words(48000.0)), uint32_t(kOk));
    EXPECT_NE(Asio(kCanSampleRate, Words(44100.0)), uint32_t(kOk));
    double rate = 0;
    EXPECT_EQ(Asio(kGetSampleRate, {Word(&rate)}), uint32_t(kOk));
    EXPECT_EQ(rate, 48000.0);
    EXPECT_EQ(Asio(kSetSampleRate, Words(48000.0)), uint32_t(kOk));

    ClockSource clocks[4] = {};
    int32_t clockCount = 4;
    EXPECT_EQ(Asio(kGetClockSources, {Word(clocks), Word(&clockCount)}), uint32_t(kOk));
    EXPECT_EQ(clockCount, 1);
    EXPECT_EQ(Asio(kSetClockSource, {0}), uint32_t(kOk));
    Samples position{}, stamp{};
    Asio(kGetSamplePosition, {Word(&position), Word(&stamp)});

    ChannelInfo channel{};
    channel.channel = 7;
    channel.isInput = 0;
    EXPECT_EQ(Asio(kGetChannelInfo, {Word(&channel)}), uint32_t(kOk));
    EXPECT_EQ(channel.channel, 7);
    EXPECT_EQ(Asio(kFuture, {kCanTimeInfo, 0}), uint32_t(kSuccess));
    EXPECT_EQ(Asio(kOutputReady, {}), uint32_t(kOk));
}

TEST_F(AsioHostConventions, StreamingCallsTheHostsCdeclCallbacks)
{
    ASSERT_EQ(Asio(kInit, {0}), uint32_t(kAsioTrue));
    BufferInfo infos[2] = {{1, 0, {}}, {0, 0, {}}};
    Callbacks callbacks{BufferSwitch, SampleRateDidChange, AsioMessage, BufferSwitchTimeInfo};
    ASSERT_EQ(Asio(kCreateBuffers, {Word(infos), 2, 256, Word(&callbacks)}), uint32_t(kOk));
    EXPECT_NE(infos[0].buffers[0], nullptr);
    EXPECT_NE(infos[1].buffers[1], nullptr);
    g_switches = 0;
    g_badArguments = 0;
    g_lastIndex = -1;
    ASSERT_EQ(Asio(kStart, {}), uint32_t(kOk));
    for (int waited = 0; waited < 20000 && g_switches < 20; waited += 20) Sleep(20);
    EXPECT_EQ(Asio(kStop, {}), uint32_t(kOk));
    EXPECT_GE(g_switches.load(), 20) << "the buffer thread called the host";
    EXPECT_EQ(g_badArguments.load(), 0) << "halves alternate 0, 1 with directProcess false; no time info call";
    Samples position{}, stamp{};
    EXPECT_EQ(Asio(kGetSamplePosition, {Word(&position), Word(&stamp)}), uint32_t(kOk));
    EXPECT_EQ(position.hi, 0u);
    EXPECT_GE(position.lo, 20u * 256u);
    EXPECT_EQ(Asio(kDisposeBuffers, {}), uint32_t(kOk));
}

}  // namespace
}  // namespace rkx::abi_test
