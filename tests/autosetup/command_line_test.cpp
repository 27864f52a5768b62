// The utility's command line: "AsioConfig" and the user key joined with nothing between, and
// never more than 259 characters.
#include <gtest/gtest.h>

#include <string>

#include "autosetup/utility_command_line.h"

namespace rkx::autosetup {
namespace {

TEST(AutoSetupCommandLine, UserKeyFollowsAutoSwitchDirectly)
{
    wchar_t line[kCommandLineChars];
    ASSERT_TRUE(BuildUtilityCommandLine(L"C:\\Program Files\\Korvane\\RKX-T2\\RKX-T2_Config.exe -Auto",
                                        L"S-1-5-21-1-2-3-1001", line));
    EXPECT_STREQ(line, L"C:\\Program Files\\Korvane\\RKX-T2\\RKX-T2_Config.exe -AutoS-1-5-21-1-2-3-1001");
}

TEST(AutoSetupCommandLine, EmptyUserKeyLeavesAsioConfigAlone)
{
    wchar_t line[kCommandLineChars];
    ASSERT_TRUE(BuildUtilityCommandLine(L"\"C:\\x\\RKX-T2_Config.exe\" -Auto", L"", line));
    EXPECT_STREQ(line, L"\"C:\\x\\RKX-T2_Config.exe\" -Auto");
    ASSERT_TRUE(BuildUtilityCommandLine(L"C:\\y.exe -Auto", nullptr, line));
    EXPECT_STREQ(line, L"C:\\y.exe -Auto");
}

TEST(AutoSetupCommandLine, LengthLimitIs259Characters)
{
    const std::wstring key = L"S-1-5-21-1-2-3-1001";
    struct Case {
        size_t total;
        bool fits;
    };
    for (const Case c : {Case{258, true}, Case{259, true}, Case{260, false}, Case{400, false}}) {
        const std::wstring config = std::wstring(c.total - key.size() - 5, L'p') + L"-Auto";
        // Canaries around the buffer catch a write past its end.
        struct {
            wchar_t before[4];
            wchar_t line[kCommandLineChars];
            wchar_t after[4];
        } guarded{{L'#', L'#', L'#', L'#'}, {}, {L'#', L'#', L'#', L'#'}};
        const bool built = BuildUtilityCommandLine(config.c_str(), key.c_str(), guarded.line);
        EXPECT_EQ(built, c.fits) << c.total << " characters";
        if (c.fits) EXPECT_EQ(std::wstring(guarded.line), config + key);
        else EXPECT_STREQ(guarded.line, L"") << "a cut command line must not be left behind";
        EXPECT_EQ(std::wstring(guarded.after, 4), L"####");
        EXPECT_EQ(std::wstring(guarded.before, 4), L"####");
    }
}

TEST(AutoSetupCommandLine, MissingAsioConfigBuildsNothing)
{
    wchar_t line[kCommandLineChars] = L"old";
    EXPECT_FALSE(BuildUtilityCommandLine(nullptr, L"S-1-5-21-1-2-3-1001", line));
    EXPECT_STREQ(line, L"");
}

}  // namespace
}  // namespace rkx::autosetup
