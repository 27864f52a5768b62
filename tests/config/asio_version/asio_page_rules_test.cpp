// The ASIO and version pages' rules without a window: accepted stored values, the latency
// arithmetic, the knob drag and the number formats.
#include "pages/asio_page_rules.h"
#include "pages/version_text.h"

#include <gtest/gtest.h>

namespace config::asio_page {
namespace {

TEST(AsioPageRules, LatencyUsesTheLabelsIntegerSteps)
{
    struct Case {
        int blocks, rate, tenths;
    };
    for (const Case& c : {Case{4, 48000, 53}, Case{1, 48000, 13}, Case{30, 44100, 435}, Case{4, 44100, 58},
                          Case{64, 96000, 426}})
        EXPECT_EQ(LatencyTenths(c.blocks, c.rate), c.tenths) << c.blocks << " blocks at " << c.rate;
    EXPECT_EQ(FormatIntegers(L"%d.%dmsec", {5, 3}), L"5.3msec");
}

TEST(AsioPageRules, StoredValuesOutsideTheDriversRangeGiveTheDefaults)
{
    struct Case {
        std::optional<DWORD> stored;
        int blocks;
    };
    for (const Case& c : {Case{std::nullopt, 4}, Case{0, 4}, Case{1, 1}, Case{40, 40}, Case{64, 64}, Case{65, 4},
                          Case{0xFFFFFFFF, 4}})
        EXPECT_EQ(AcceptedBlockCount(c.stored), c.blocks);
    EXPECT_EQ(AcceptedSampleRate(44100), 44100);
    EXPECT_EQ(AcceptedSampleRate(96000), 96000);
    EXPECT_EQ(AcceptedSampleRate(88200), 48000);
    EXPECT_EQ(AcceptedSampleRate(std::nullopt), 48000);
}

TEST(AsioPageRules, DragCountsWholeSixPixelStepsTowardZeroWithinTheSlider)
{
    struct Case {
        int start, dx, blocks;
    };
    for (const Case& c : {Case{4, 600, 30}, Case{4, -600, 1}, Case{4, 5, 4}, Case{4, -5, 4}, Case{4, 6, 5},
                          Case{4, -6, 3}, Case{4, -11, 3}, Case{40, 0, 30}, Case{30, 27, 30}})
        EXPECT_EQ(DraggedBlockCount(c.start, 500, 500 + c.dx), c.blocks) << "from " << c.start << " by " << c.dx;
}

TEST(AsioPageRules, TableTextsNeverReadArgumentsThatWereNotPassed)
{
    EXPECT_EQ(FormatIntegers(L"%d Sample", {256}), L"256 Sample");
    EXPECT_EQ(FormatIntegers(L"%s %d%%", {7}), L"%s 7%");
    EXPECT_EQ(FormatIntegers(L"%d.%d", {5}), L"5.%d");
    EXPECT_EQ(FormatIntegers(L"trailing %", {1}), L"trailing %");
}

TEST(VersionText, FirmwareKeepsBitsZeroToEleven)
{
    EXPECT_EQ(FirmwareVersionText(0x0105), L"1.05");
    EXPECT_EQ(FirmwareVersionText(0x1A0F), L"A.0F");
    EXPECT_EQ(FirmwareVersionText(0xFFFF), L"F.FF");
    EXPECT_EQ(FirmwareVersionText(0), L"0.00");
}

}  // namespace
}  // namespace config::asio_page
