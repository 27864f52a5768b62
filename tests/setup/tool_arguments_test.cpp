// The command-line tool's parsing: a typo is refused, never read as another value.
#include <gtest/gtest.h>

#include "tools/mixersetup/arguments.h"

namespace rkx::mixersetup {
namespace {

TEST(ToolArguments, IndexesArePlainDecimalsWithinTheirLimit)
{
    const struct {
        const wchar_t* text;
        uint32_t max;
        std::optional<uint32_t> index;
    } kCases[] = {
        {L"0", 2, 0u}, {L"2", 2, 2u}, {L"3", 2, std::nullopt}, {L"", 2, std::nullopt}, {L"-1", 2, std::nullopt},
        {L"+1", 2, std::nullopt}, {L"1 ", 2, std::nullopt}, {L"0x1", 9, std::nullopt}, {L"01", 2, 1u},
        {L"4294967295", 4294967295u, 4294967295u}, {L"4294967296", 4294967295u, std::nullopt},
        {L"99999999999999999999", 4294967295u, std::nullopt},
    };
    for (const auto& c : kCases) EXPECT_EQ(ParseIndex(c.text, c.max), c.index) << (&c - kCases);
}

TEST(ToolArguments, ChoicesMatchByIndexOrTextIgnoringCase)
{
    const std::vector<std::wstring> choices = {L"CH1", L"CH2", L"AUX"};
    const struct {
        const wchar_t* text;
        std::optional<uint32_t> index;
    } kCases[] = {{L"0", 0u}, {L"2", 2u}, {L"3", std::nullopt}, {L"aux", 2u}, {L"Ch2", 1u}, {L"CH", std::nullopt},
                  {L"AUX ", std::nullopt}, {L"", std::nullopt}};
    for (const auto& c : kCases) EXPECT_EQ(MatchChoice(c.text, choices), c.index) << (&c - kCases);
    EXPECT_EQ(MatchChoice(L"0", {}), std::nullopt);
}

TEST(ToolArguments, OptionsAreTakenOutOfTheWords)
{
    std::wstring error;
    auto options = ParseOptions({L"set", L"--user", L"S-1-5-21-1-2-3-1001", L"boost", L"--no-notify", L"-5 dB"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->words, (std::vector<std::wstring>{L"set", L"boost", L"-5 dB"}));
    EXPECT_EQ(options->user, L"S-1-5-21-1-2-3-1001");
    EXPECT_FALSE(options->notify);

    const std::vector<std::vector<std::wstring>> kBad = {
        {L"get", L"--user"}, {L"get", L"--user", L""}, {L"get", L"--user", L"S-1-2"}, {L"get", L"--user", L"S-1-5-18"},
        {L"get", L"--user", L".DEFAULT"}, {L"get", L"--user", L"S-1-5-21-1-2-3-1001\\Software"},
        {L"watch", L"--count"}, {L"watch", L"--count", L"0"},
        {L"--what"}, {L"-x"},
    };
    for (const auto& arguments : kBad) {
        error.clear();
        EXPECT_FALSE(ParseOptions(arguments, error)) << arguments.size();
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace rkx::mixersetup
