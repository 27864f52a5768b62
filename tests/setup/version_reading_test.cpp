// Version numbers from product version strings and from real files' version blocks.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "setup/version_info.h"
#include "tests/support/files.h"

namespace rkx::setup {
namespace {

std::wstring BesideTheTest(const wchar_t* file)
{
    return rkx::test::OwnFolder() + file;
}

TEST(VersionParsing, FirstDotIsDroppedAndTheSecondEndsTheNumber)
{
    const struct {
        const wchar_t* text;
        std::optional<int> number;
    } kCases[] = {
        {L"1.110", 1110},  {L"1.10", 110},     {L"1", 1},           {L"1.002.0000", 1002}, {L"2.0.1", 20},
        {L"", 0},          {L"v1.1", 0},       {L"1.1a0", 11},      {L".5", 5},           {L"1..2", 1},
        // Only 19 characters are looked at; a number that does not fit an int is no version.
        {L"1234567890123456789012", std::nullopt}, {L"2147483647", 2147483647}, {L"2147483648", std::nullopt},
        {nullptr, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text ? std::string(c.text, c.text + wcslen(c.text)) : "null");
        EXPECT_EQ(ParseProductVersion(c.text), c.number);
    }
}

TEST(VersionParsing, TextShowsThousandsAsMajorAndThreeDigitMinor)
{
    const struct {
        int number;
        const wchar_t* text;
    } kCases[] = {{1110, L"1.110"}, {110, L"0.110"}, {1, L"0.001"}, {1002, L"1.002"}, {0, L"0.000"},
                  {2147483647, L"2147483.647"}};
    for (const auto& c : kCases) EXPECT_EQ(FormatVersionNumber(c.number), c.text) << c.number;
}

TEST(VersionReading, ProductVersionOfRealVersionBlocks)
{
    const struct {
        const wchar_t* file;
        std::optional<int> number;
    } kCases[] = {
        {L"version_probe_1_110.dll", 1110},
        {L"version_probe_1_10.dll", 110},
        {L"version_probe_1.dll", 1},
        {L"version_probe_none.dll", std::nullopt},
        {L"no_such_file.dll", std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.file, c.file + wcslen(c.file)));
        EXPECT_EQ(ReadFileVersionNumber(BesideTheTest(c.file)), c.number);
    }
}

TEST(VersionReading, OverlongPathIsUnavailableNotAFault)
{
    EXPECT_EQ(ReadFileVersionNumber(std::wstring(40000, L'a')), std::nullopt);
    EXPECT_EQ(ReadFileVersionNumber(L""), std::nullopt);
}

}  // namespace
}  // namespace rkx::setup
