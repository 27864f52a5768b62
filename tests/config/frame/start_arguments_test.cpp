// The command line's "-Auto" switch and the user SID that may follow it.
#include "app/start_arguments.h"

#include <gtest/gtest.h>

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
         {L"-Auto", L"-Auto S-1-5-21-1-2-3-4", L"-Auto..\\..\\S-1-5-18", L"-AutoS-1-5-21-1-2-3-4\\Software",
          L"-AutoS-1-5-21-1-2-3-4 -Auto", L"-AutoS-1-5-21-1-2-3-4\"", L"-Auto.DEFAULT", L"-AutoS-1-5-18",
          L"-AutoS-1-5-21-1-2-3-4_Classes"}) {
        const auto args = ParseStartArguments(line);
        EXPECT_TRUE(args.autoStart) << line;
        EXPECT_TRUE(args.userSid.empty()) << line;
    }
    // Blanks a launcher leaves after the identifier are not part of it.
    EXPECT_EQ(ParseStartArguments(L"-AutoS-1-5-21-0-0-0-1000  ").userSid, L"S-1-5-21-0-0-0-1000");
}

}  // namespace
