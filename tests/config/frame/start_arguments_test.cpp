// The command line's "-Auto" switch and the user SID that may follow it.
#include "app/start_arguments.h"

#include <gtest/gtest.h>

using config::IsWellFormedSid;
using config::ParseStartArguments;

namespace {

TEST(StartArguments, SidDirectlyAfterAutoIsTaken)
{
    const auto args = ParseStartArguments(L"-AutoS-1-5-21-1004336348-1177238915-682003330-512");
    EXPECT_TRUE(args.autoStart);
    EXPECT_EQ(args.userSid, L"S-1-5-21-1004336348-1177238915-682003330-512");
    const auto wine = ParseStartArguments(L"-AutoS-1-5-21-0-0-0-1000");
    EXPECT_EQ(wine.userSid, L"S-1-5-21-0-0-0-1000");
}

TEST(StartArguments, OtherCaseIsNotTheSwitch)
{
    for (const wchar_t* line : {L"-auto", L"-AUTOS-1-5-18", L"/Auto", L""}) {
        const auto args = ParseStartArguments(line);
        EXPECT_FALSE(args.autoStart) << line;
        EXPECT_TRUE(args.userSid.empty());
    }
    EXPECT_FALSE(ParseStartArguments(nullptr).autoStart);
}

TEST(StartArguments, AutoWithoutUsableSidRunsOnTheCurrentUser)
{
    for (const wchar_t* line :
         {L"-Auto", L"-Auto S-1-5-21-1-2-3", L"-Auto..\\..\\S-1-5-18", L"-AutoS-1-5-21-1\\Software",
          L"-AutoS-1-5-21-1-2-3 -Auto", L"-AutoS-1-5-21-1-2-3\"", L"-Auto.DEFAULT"}) {
        const auto args = ParseStartArguments(line);
        EXPECT_TRUE(args.autoStart) << line;
        EXPECT_TRUE(args.userSid.empty()) << line;
    }
    // Blanks a launcher leaves after the identifier are not part of it.
    EXPECT_EQ(ParseStartArguments(L"-AutoS-1-5-18  ").userSid, L"S-1-5-18");
}

TEST(SidCheck, AcceptsOnlyWellFormedIdentifiers)
{
    for (const wchar_t* good : {L"S-1-5-18", L"S-1-5-21-0-0-0-1000", L"S-1-0x1F-4294967295",
                                L"S-1-281474976710655-1", L"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15"})
        EXPECT_TRUE(IsWellFormedSid(good)) << good;
    for (const wchar_t* bad :
         {L"", L"S-1", L"S-1-5", L"S-1-5-", L"S-1-5--1", L"S-2-5-18", L"s-1-5-18", L"S-1-5-18-", L"S-1-5-4294967296",
          L"S-1-281474976710656-1", L"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16", L"S-1-5-18\\Software",
          L"S-1-5-18 ", L"S-1-5-+18", L"S-1-0x-1", L"S-1-5-00000000000000000000000018"})
        EXPECT_FALSE(IsWellFormedSid(bad)) << bad;
}

}  // namespace
