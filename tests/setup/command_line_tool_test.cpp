// rkxsetup as users and scripts run it: results, texts and exit codes, and no crash on any
// argument.
#include <gtest/gtest.h>

#include "tests/setup/peer_process.h"
#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

using CommandLineTool = SetupTest;

TEST_F(CommandLineTool, BadArgumentsAreRefusedWithUsageExitCode)
{
    const std::wstring kArguments[] = {
        L"",
        L"frobnicate",
        L"status extra",
        L"get",
        L"get input",
        L"get input 3",
        L"get input -1",
        L"get input 99999999999999999999",
        L"get volume",
        L"set input 0",
        L"set input 0 8",
        L"set input 2 7",            // index 7 is not a choice of channel 2
        L"set output 1 \"Phono\"",
        L"set boost 4",
        L"set boost -5",
        L"set boost 1 2",
        L"--user",
        L"get boost --user",
        L"status --user S-1-5-21-0-0-0-1000",
        L"watch --count 0",
        L"watch --count x",
        L"--bogus status",
        L"set boost " + std::wstring(5000, L'9'),
        L"get input " + std::wstring(40000, L'1'),
        L"set input 0 \"" + std::wstring(3000, L'\u00e9') + L"\"",
    };
    for (const auto& arguments : kArguments) {
        std::string output;
        EXPECT_EQ(RunTool(arguments, output), 2) << Narrow(arguments.substr(0, 60).c_str()) << "\n" << output;
        EXPECT_NE(output.find("rkxsetup: "), std::string::npos) << output;
    }
    EXPECT_FALSE(SettingsKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

TEST_F(CommandLineTool, SetAndGetByIndexOrTextCaseInsensitively)
{
    const struct {
        std::wstring set;
        const char* printed;
        const wchar_t* value;
        DWORD stored;
        std::wstring get;
        const char* got;
    } kCases[] = {
        {L"set input 0 \"post ch1 fader\"", "set input 0 to 2  Post CH1 Fader\n", L"Output1", 2, L"get input 0", "2  Post CH1 Fader\n"},
        {L"set input 2 6", "set input 2 to 6  AUX\n", L"Output3", 6, L"get input 2", "6  AUX\n"},
        {L"set output 1 aux", "set output 1 to 2  AUX\n", L"Input2", 2, L"get output 1", "2  AUX\n"},
        {L"set boost \"-19 DB\"", "set boost to 3  -19 dB\n", L"Level", 3, L"get boost", "3  -19 dB\n"},
        {L"set boost 0 --user S-1-5-21-0-0-0-1000", "set boost to 0  -5 dB\n", L"Level", 0,
         L"get boost --user S-1-5-21-0-0-0-1000", "0  -5 dB\n"},
    };
    for (const auto& c : kCases) {
        std::string output;
        EXPECT_EQ(RunTool(c.set, output), 0) << Narrow(c.set.c_str());
        EXPECT_EQ(output, c.printed);
        EXPECT_EQ(StoredDword(c.value), c.stored);
        EXPECT_EQ(RunTool(c.get, output), 0) << Narrow(c.get.c_str());
        EXPECT_EQ(output, c.got);
    }
}

TEST_F(CommandLineTool, ControlToneOffUsbPrintsTheWarning)
{
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, 1));
    std::string output;
    EXPECT_EQ(RunTool(L"set input 0 \"CH1 Control Tone LINE\"", output), 0);
    EXPECT_NE(output.find("set input 0 to 1  CH1 Control Tone LINE\nwarning: When Control Tone is selected"), std::string::npos)
        << output;
}

TEST_F(CommandLineTool, UnknownUserWritesNothingButSucceeds)
{
    std::string output;
    EXPECT_EQ(RunTool(L"set boost 1 --user S-1-5-21-5-5-5-5555", output), 0);
    EXPECT_EQ(StoredDword(L"Level"), std::nullopt);
    EXPECT_EQ(RunTool(L"get boost --user S-1-5-21-5-5-5-5555", output), 0);
    EXPECT_EQ(output, "3  -19 dB\n");
}

TEST_F(CommandLineTool, StatusFollowsTheMixerAndListShowsEveryChoice)
{
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_FIRMWARE, 0, 0x0105));
    std::string output;
    EXPECT_EQ(RunTool(L"status", output), 0);
    EXPECT_NE(output.find("connection: connected\nfirmware: 1.05\n"), std::string::npos) << output;
    ASSERT_TRUE(rig.SetPlugged(0, false));
    EXPECT_EQ(RunTool(L"status", output), 1);
    EXPECT_NE(output.find("connection: not connected\nfirmware: unavailable\n"), std::string::npos) << output;

    EXPECT_EQ(RunTool(L"list", output), 0);
    EXPECT_NE(output.find("input 2:\n  0  REC OUT\n"), std::string::npos) << output;
    EXPECT_NE(output.find("  6  AUX\noutput 0:"), std::string::npos) << output;
    EXPECT_NE(output.find("boost:\n  0  -5 dB\n  1  -10 dB\n  2  -15 dB\n  3  -19 dB\n"), std::string::npos) << output;

    EXPECT_EQ(RunTool(L"versions", output), 0);
    EXPECT_NE(output.find("library: 1.110\n"), std::string::npos) << output;
}

TEST_F(CommandLineTool, WatchWithCountEndsAfterThatManyChanges)
{
    PeerProcess watcher(L"watch --count 2");
    ASSERT_TRUE(watcher.Started());
    ASSERT_EQ(watcher.ReadLine(), "watching for changes");
    ASSERT_EQ(QVR_SetBoostLevelIndex(kProduct, 1), 100);
    ASSERT_EQ(QVR_SetBoostLevelIndex(kProduct, 2), 100);
    EXPECT_EQ(watcher.ReadLine(), "boost level changed: index 1");
    EXPECT_EQ(watcher.ReadLine(), "boost level changed: index 2");
    EXPECT_EQ(watcher.Wait(), 0);
}

}  // namespace
}  // namespace rkx::setup::test
