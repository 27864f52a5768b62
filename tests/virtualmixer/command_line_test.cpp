// Number parsing of the rig tools: a typo must be refused, never read as another value.
#include <gtest/gtest.h>

#include "virtualmixer/client/command_line.h"

namespace rkx::vmix {
namespace {

TEST(CommandLine, UnsignedNumbersAreDecimalOrHexWithinTheirLimit)
{
    const struct {
        const wchar_t* text;
        uint32_t max;
        std::optional<uint32_t> expected;
    } kCases[] = {
        {L"0", 3, 0u},           {L"3", 3, 3u},           {L"4", 3, std::nullopt},
        {L"0x0105", 0xFFFF, 0x105u}, {L"0XfF", 0xFF, 0xFFu}, {L"0x", 0xFF, std::nullopt},
        {L"", 9, std::nullopt},  {L"-1", 9, std::nullopt}, {L"+1", 9, std::nullopt},
        {L"1 ", 9, std::nullopt}, {L"1a", 99, std::nullopt}, {L"0x1g", 99, std::nullopt},
        {L"4294967295", UINT32_MAX, UINT32_MAX}, {L"4294967296", UINT32_MAX, std::nullopt},
        {L"99999999999999999999", UINT32_MAX, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE("case " + std::to_string(&c - kCases));
        EXPECT_EQ(ParseUnsigned(c.text, c.max), c.expected);
    }
}

TEST(CommandLine, SecondsArePositiveDecimalsWithinTheirLimit)
{
    const struct {
        const wchar_t* text;
        std::optional<double> expected;
    } kCases[] = {
        {L"2", 2.0}, {L"2.5", 2.5}, {L".5", 0.5}, {L"30", 30.0}, {L"30.5", std::nullopt},
        {L"0", std::nullopt}, {L"", std::nullopt}, {L".", std::nullopt}, {L"1.2.3", std::nullopt},
        {L"-1", std::nullopt}, {L"1e3", std::nullopt},
    };
    for (const auto& c : kCases) {
        const auto parsed = ParseSeconds(c.text, 30.0);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << "case " << (&c - kCases);
        if (parsed) {
            EXPECT_DOUBLE_EQ(*parsed, *c.expected);
        }
    }
}

}  // namespace
}  // namespace rkx::vmix
