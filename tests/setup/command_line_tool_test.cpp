// rkxsetup as users and scripts run it: results, texts and exit codes, and no crash on any
// argument.
#include <gtest/gtest.h>

#include "tests/setup/moved_aside.h"
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
        L"get input 0",              // channels are numbered from 1, as the utility shows them
        L"get input 5",
        L"get output 4",
        L"get input -1",
        L"get input 99999999999999999999",
        L"get volume",
        L"set input 1",
        L"set input 1 8",
        L"set input 3 7",            // index 7 is not a choice of channel 3
        L"set input 4 0",            // FX SEND is changed only directly
        L"set output 0 aux",
        L"set output 2 \"Phono\"",
        L"set boost 4",
        L"set boost -5",
        L"set boost 1 2",
        L"set output 1 default --no-notify",
        L"direct",
        L"direct 1 0",
        L"direct 0 0 0",
        L"direct 5 0 0",
        L"direct 1 16 0",
        L"direct 1 0 25",
        L"--user",
        L"get boost --user",
        L"status --user S-1-5-21-0-0-0-1000",
        L"direct 1 0 0 --user S-1-5-21-0-0-0-1000",
        L"set output 1 default --user S-1-5-21-0-0-0-1000",
        L"watch --count 0",
        L"watch --count x",
        L"--bogus status",
        L"set boost " + std::wstring(5000, L'9'),
        L"get input " + std::wstring(40000, L'1'),
        L"set input 1 \"" + std::wstring(3000, L'\u00e9') + L"\"",
    };
    for (const auto& arguments : kArguments) {
        std::string output;
        EXPECT_EQ(RunTool(arguments, output), 2) << Narrow(arguments.substr(0, 60).c_str()) << "\n" << output;
        EXPECT_NE(output.find("rkxsetup: "), std::string::npos) << output;
    }
    EXPECT_FALSE(SettingsKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

// A key that is no user's SID, or a user without settings on this computer, is a mistake on
// the command line: it must not read defaults and store nothing while the change looks made.
TEST_F(CommandLineTool, UserKeysNamingNoUserHereAreRefused)
{
    const std::wstring kUsers[] = {
        L"S-1-5-18", L".DEFAULT", L"S-1-5-21-0-0-0-1000\\Software", L"S-1-5-21-0-0-0-1000_Classes",
        L"S-1-5-21-0-0-0-1000x", L"S-1-5-21-5-5-5-5555",  // a typo's well-formed result: no such user
    };
    for (const auto& user : kUsers) {
        for (const wchar_t* command : {L"set boost 1 --user ", L"get boost --user ", L"set input 1 MIC --user "}) {
            std::string output;
            const std::wstring arguments = command + user;
            EXPECT_EQ(RunTool(arguments, output), 2) << Narrow(arguments.c_str()) << "\n" << output;
            EXPECT_EQ(output.find("set "), std::string::npos) << output;
            EXPECT_NE(output.find("rkxsetup: "), std::string::npos) << output;
        }
    }
    EXPECT_FALSE(SettingsKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

TEST_F(CommandLineTool, ChannelsAreNumberedAsTheUtilityShowsThem)
{
    const struct {
        std::wstring set;
        const char* printed;
        const wchar_t* value;
        DWORD stored;
        std::wstring get;
        const char* got;
    } kCases[] = {
        {L"set input 1 \"post ch1 fader\"", "set input 1 to 2  Post CH1 Fader\n", L"Output1", 2, L"get input 1", "2  Post CH1 Fader\n"},
        {L"set input 3 6", "set input 3 to 6  AUX\n", L"Output3", 6, L"get input 3", "6  AUX\n"},
        {L"set output 2 aux", "set output 2 to 2  AUX\n", L"Input2", 2, L"get output 2", "2  AUX\n"},
        {L"set output 3 CH1", "set output 3 to 0  CH1\n", L"Input3", 0, L"get output 3", "0  CH1\n"},
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
    // What another program changes is reported with the same numbers.
    PeerProcess watcher(L"watch --count 2");
    ASSERT_TRUE(watcher.Started());
    ASSERT_EQ(watcher.ReadLine(), "watching for changes");
    ASSERT_EQ(QVR_SetUSBInputAudio(kProduct, 0, 5), 100);
    ASSERT_EQ(QVR_SetUSBOutputAudio(kProduct, 2, 1), 100);
    EXPECT_EQ(watcher.ReadLine(), "input audio changed: channel 1 index 5");
    EXPECT_EQ(watcher.ReadLine(), "output audio changed: channel 3 index 1");
    EXPECT_EQ(watcher.Wait(), 0);
}

TEST_F(CommandLineTool, FxSendDefaultRoutesAndDirectRoutesAreReachable)
{
    std::string output;
    PlantDword(L"Output4", 0);
    EXPECT_EQ(RunTool(L"get input 4", output), 0);
    EXPECT_EQ(output, "0  FX SEND\n");

    // A default route goes to the mixer only: the stored choice stays.
    ASSERT_EQ(RunTool(L"set output 2 aux", output), 0);
    ASSERT_EQ(StateOf(0).receiveRoute[1], 2u);
    EXPECT_EQ(RunTool(L"set output 2 default", output), 0) << output;
    EXPECT_EQ(output, "set output 2 to its default on the mixer (nothing stored)\n");
    EXPECT_EQ(StateOf(0).receiveRoute[1], 1u);
    EXPECT_EQ(StoredDword(L"Input2"), 2u);

    // The raw word reaches every send channel, FX SEND included.
    EXPECT_EQ(RunTool(L"direct 4 3 5", output), 0) << output;
    EXPECT_EQ(output, "sent input 4 source 3 mode 5 to the mixer (nothing stored)\n");
    EXPECT_EQ(StateOf(0).lastDirectWord, static_cast<uint32_t>((4u << 12) | (4u << 8) | 5u));
    EXPECT_EQ(StoredDword(L"Output4"), 0u);
}

TEST_F(CommandLineTool, ControlToneOffUsbPrintsTheWarning)
{
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, 1));
    std::string output;
    EXPECT_EQ(RunTool(L"set input 1 \"CH1 Control Tone LINE\"", output), 0);
    EXPECT_NE(output.find("set input 1 to 1  CH1 Control Tone LINE\nwarning: When Control Tone is selected"), std::string::npos)
        << output;
}

TEST_F(CommandLineTool, StatusFollowsTheMixerAndListShowsEveryChoice)
{
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_FIRMWARE, 0, 0x0105));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 1, 4));
    std::string output;
    EXPECT_EQ(RunTool(L"status", output), 0);
    EXPECT_NE(output.find("connection: connected\nfirmware: 1.05\n"), std::string::npos) << output;
    EXPECT_NE(output.find("selector 2: 4 (USB)\n"), std::string::npos) << output;
    ASSERT_TRUE(rig.SetPlugged(0, false));
    EXPECT_EQ(RunTool(L"status", output), 1);
    EXPECT_NE(output.find("connection: not connected\nfirmware: unavailable\n"), std::string::npos) << output;

    EXPECT_EQ(RunTool(L"list", output), 0);
    EXPECT_NE(output.find("input 1:\n  0  CH1 Control Tone PHONO\n"), std::string::npos) << output;
    EXPECT_NE(output.find("input 3:\n  0  REC OUT\n"), std::string::npos) << output;
    EXPECT_NE(output.find("  6  AUX\ninput 4 (read only; changed with direct):\n  0  FX SEND\noutput 1:\n  0  CH1\n"),
              std::string::npos)
        << output;
    EXPECT_EQ(output.find("PARAM ERROR"), std::string::npos) << output;
    EXPECT_NE(output.find("boost:\n  0  -5 dB\n  1  -10 dB\n  2  -15 dB\n  3  -19 dB\n"), std::string::npos) << output;

    EXPECT_EQ(RunTool(L"versions", output), 0);
    EXPECT_NE(output.find("library: 1.110\n"), std::string::npos) << output;
}

TEST_F(CommandLineTool, VersionsWithNothingReadableExitOne)
{
    // The files this build of the library reads: the 64-bit ones on 64-bit Windows, the 32-bit
    // ones on 32-bit Windows.
#ifdef _WIN64
    FileMovedAside driver(ExpandedPath(L"%SystemRoot%\\System32\\Drivers\\RKX-T2Audio64.sys"));
    FileMovedAside library(ExpandedPath(L"%SystemRoot%\\System32\\RKX-T2_Setup64.dll"));
#else
    FileMovedAside driver(ExpandedPath(L"%SystemRoot%\\System32\\Drivers\\RKX-T2Audio.sys"));
    FileMovedAside library(ExpandedPath(L"%SystemRoot%\\System32\\RKX-T2_Setup.dll"));
#endif
    FileMovedAside utility(ExpandedPath(L"%ProgramFiles%\\Korvane\\RKX-T2\\RKX-T2_Config.exe"));
    ValueRemoved display(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RKX-T2",
                         L"DisplayVersion");
    ASSERT_TRUE(driver.moved() && utility.moved() && library.moved() && display.removed())
        << "the installation lacks what the versions are read from";
    std::string output;
    EXPECT_EQ(RunTool(L"versions", output), 1) << output;
    EXPECT_EQ(output, "driver: unavailable\nutility: unavailable\nlibrary: unavailable\ninstaller: unavailable\n");
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
