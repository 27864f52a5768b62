// The service's work when a console user is found or the mixer arrives, with the platform
// stood in for: whose settings are restored, whose SID is on the command line and whose
// token the utility runs with, and when a look at the console is repeated.
#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "autosetup/console_work.h"

namespace rkx::autosetup {
namespace {

constexpr int kNobody = -1;       // no user logged on in the session
constexpr int kUnreadableSid = -2;  // a token whose SID cannot be read

// A console whose user can change between any two looks at it: look n finds usersByLook[n]
// (the last entry from then on). A user's token is a handle the fake remembers as theirs.
struct FakeConsole {
    DWORD session = 1;
    std::vector<int> usersByLook;
    size_t looks = 0;
    std::map<HANDLE, int> tokenOwner;
    bool mixerSaysYes = true;
    int mixerQuestions = 0;
    std::vector<std::wstring> restoredFor;
    struct Start {
        int tokenOf;
        DWORD session;
        std::wstring commandLine;
    };
    std::vector<Start> starts;
};
FakeConsole g_console;

std::wstring SidOf(int user) { return L"S-1-5-21-1-2-3-" + std::to_wstring(user); }

bool TakeFakeUser(DWORD session, ConsoleUser& user)
{
    const size_t look = g_console.looks++;
    const auto& users = g_console.usersByLook;
    const int who = look < users.size() ? users[look] : users.back();
    if (who == kNobody) return false;
    user.session = session;
    user.token.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_console.tokenOwner[user.token.get()] = who;
    if (who == kUnreadableSid) return false;
    const std::wstring sid = SidOf(who);
    std::wmemcpy(user.sid, sid.c_str(), sid.size() + 1);
    return true;
}

ServiceWork Fakes()
{
    ServiceWork work;
    work.activeConsoleSession = [] { return g_console.session; };
    work.takeConsoleUser = TakeFakeUser;
    work.restoreSettings = [](int, const wchar_t* key) { g_console.restoredFor.emplace_back(key); };
    work.mixerAsksForLaunch = [] {
        ++g_console.mixerQuestions;
        return g_console.mixerSaysYes;
    };
    work.readAsioConfig = [](wchar_t (&text)[kCommandLineChars]) {
        std::wcscpy(text, L"C:\\u.exe -Auto");
        return true;
    };
    work.startAsUser = [](HANDLE token, DWORD session, const wchar_t* line) {
        // The token is still open here, so its handle names the user the fake gave it to.
        const auto owner = g_console.tokenOwner.find(token);
        g_console.starts.push_back({owner != g_console.tokenOwner.end() ? owner->second : 0, session, line});
        return true;
    };
    return work;
}

class ConsoleWork : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_console = {};
        state.productId = 11;
    }
    AutoSetupState state;
};

// Asking the mixer takes up to about half a second per filter: the user at the console may
// change meanwhile. Whoever is taken, the utility must start as the user whose SID it is given.
TEST_F(ConsoleWork, TheUtilityRunsAsTheUserWhoseSidItIsGiven)
{
    const struct {
        const char* name;
        void (*event)(AutoSetupState&, const ServiceWork&);
    } kEvents[] = {{"console tick", OnConsoleTick}, {"mixer arrival", OnMixerConnected}};
    for (const auto& e : kEvents) {
        SCOPED_TRACE(e.name);
        g_console = {};
        state = {};
        state.lastHandledSession = kNoSessionHandled;
        g_console.usersByLook = {1001, 1002};  // the user changes after the first look
        e.event(state, Fakes());
        ASSERT_EQ(g_console.starts.size(), 1u);
        const auto& start = g_console.starts[0];
        EXPECT_EQ(start.commandLine, L"C:\\u.exe -Auto" + SidOf(start.tokenOf));
        EXPECT_EQ(start.session, g_console.session);
        ASSERT_EQ(g_console.restoredFor.size(), 1u);
        EXPECT_EQ(g_console.restoredFor[0], SidOf(start.tokenOf)) << "restored for one user, started as another";
        EXPECT_EQ(g_console.looks, 1u) << "one look at the console per event";
    }
}

TEST_F(ConsoleWork, ALookThatCannotReadTheSidIsRepeatedOnTheNextTick)
{
    state.lastHandledSession = kNoSessionHandled;
    g_console.usersByLook = {kUnreadableSid, 1001};
    OnConsoleTick(state, Fakes());
    EXPECT_TRUE(g_console.restoredFor.empty());
    EXPECT_TRUE(g_console.starts.empty());
    EXPECT_EQ(state.lastHandledSession, kNoSessionHandled) << "the session counts as handled without a restore";

    OnConsoleTick(state, Fakes());
    ASSERT_EQ(g_console.restoredFor.size(), 1u);
    EXPECT_EQ(g_console.restoredFor[0], SidOf(1001));
    EXPECT_EQ(g_console.starts.size(), 1u);
    EXPECT_EQ(state.lastHandledSession, static_cast<int64_t>(g_console.session));

    // Handled now: later ticks leave it alone.
    OnConsoleTick(state, Fakes());
    EXPECT_EQ(g_console.restoredFor.size(), 1u);
    EXPECT_EQ(g_console.mixerQuestions, 1);
}

TEST_F(ConsoleWork, WhatEachEventDoesForWhoeverIsAtTheConsole)
{
    const struct {
        const char* name;
        void (*event)(AutoSetupState&, const ServiceWork&);
        int user;
        DWORD session;
        bool mixerSaysYes;
        size_t restores;
        int questions;
        size_t starts;
    } kCases[] = {
        {"tick, user, yes", OnConsoleTick, 1001, 1, true, 1, 1, 1},
        {"tick, user, no", OnConsoleTick, 1001, 1, false, 1, 1, 0},
        {"tick, nobody", OnConsoleTick, kNobody, 1, true, 0, 0, 0},
        {"tick, no console session", OnConsoleTick, 1001, kNoConsoleSession, true, 0, 0, 0},
        {"arrival, user, yes", OnMixerConnected, 1001, 1, true, 1, 1, 1},
        // Nobody to start it as: the mixer is still asked, nothing is started.
        {"arrival, nobody", OnMixerConnected, kNobody, 1, true, 0, 1, 0},
        {"arrival, unreadable SID", OnMixerConnected, kUnreadableSid, 1, true, 0, 1, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        g_console = {};
        g_console.usersByLook = {c.user};
        g_console.session = c.session;
        g_console.mixerSaysYes = c.mixerSaysYes;
        state = {};
        c.event(state, Fakes());
        EXPECT_EQ(g_console.restoredFor.size(), c.restores);
        EXPECT_EQ(g_console.mixerQuestions, c.questions);
        EXPECT_EQ(g_console.starts.size(), c.starts);
        if (c.restores > 0) {
            EXPECT_EQ(std::wstring(state.userKey), SidOf(c.user));
        }
    }
}

}  // namespace
}  // namespace rkx::autosetup
