// Sample positions and the time code past 2^32 frames (about 25 hours at 48 kHz), as a host of
// either build reads them from the standard's pair of 32-bit words, high word first: the full
// count in getSamplePosition, in the time info and, 600 seconds ahead, in the time code. One
// buffer switch of the driver object (over the scripted device), driven directly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "asio/mmp_asio.h"
#include "scripted_device.h"

namespace {

// Offsets of the standard's ASIOTime record as a host reads it.
constexpr size_t kTimeInfoSamplePosition = 16 + 16;
constexpr size_t kTimeCodeSamples = 64 + 8;
constexpr uint64_t kTimeCodeLead = 48000ull * 600;
constexpr uint64_t kTwoTo32 = 1ull << 32;

// A (hi, lo) pair of 32-bit words at an offset of a record, as one 64-bit number.
uint64_t PairAt(const void* record, size_t offset)
{
    uint32_t words[2];
    std::memcpy(words, static_cast<const char*>(record) + offset, sizeof words);
    return (uint64_t(words[0]) << 32) | words[1];
}

unsigned char g_record[152];
int g_calls = 0;

long SupportsTimeInfo(long selector, long, void*, double*) { return selector == kAsioSupportsTimeInfo ? 1 : 0; }

ASIOTime* OnBufferSwitchTimeInfo(ASIOTime* params, long, ASIOBool)
{
    std::memcpy(g_record, params, sizeof g_record);
    ++g_calls;
    return params;
}

TEST(DriverTimeInfo, PositionsAndTimeCodePastTwoTo32FramesKeepTheirHighWord)
{
    static_assert(sizeof(ASIOTime) == sizeof g_record);
    struct Case {
        const char* what;
        uint64_t before;
        long frames;
    };
    const Case cases[] = {
        {"position reaches 2^32", kTwoTo32 - 256, 256},
        {"only the time code passes 2^32", kTwoTo32 - kTimeCodeLead - 64, 64},
        {"far past 2^32", 7 * kTwoTo32 + 100, 1024},
        {"just below 2^32", kTwoTo32 - kTimeCodeLead - 4096, 2048},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        rkx::asio::test::ScriptedDevice device;
        rkx::asio::MMPAsio driver(nullptr, &device, &device);
        ASIOCallbacks callbacks{nullptr, nullptr, SupportsTimeInfo, OnBufferSwitchTimeInfo};
        ASIOBufferInfo info{ASIOFalse, 0, {nullptr, nullptr}};
        ASSERT_EQ(driver.createBuffers(&info, 1, c.frames, &callbacks), ASE_OK);
        ASSERT_EQ(driver.future(kAsioEnableTimeCodeRead, nullptr), ASE_SUCCESS);
        g_calls = 0;

        // The switch the engine makes after `before` frames, handed to the host.
        const uint64_t after = c.before + uint64_t(c.frames);
        driver.SwitchHost(1, after, 0);
        ASSERT_EQ(g_calls, 1);
        EXPECT_EQ(PairAt(g_record, kTimeInfoSamplePosition), after);
        EXPECT_EQ(PairAt(g_record, kTimeCodeSamples), after + kTimeCodeLead);

        ASIOSamples position{};
        ASIOTimeStamp stamp{};
        ASSERT_EQ(driver.getSamplePosition(&position, &stamp), ASE_OK);
        EXPECT_EQ(PairAt(&position, 0), after);
    }
}

}  // namespace
