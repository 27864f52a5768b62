// File-system redirection switched off for reading the 64-bit driver's version from a 32-bit
// process: the state before comes back on every way out, with the value the system handed out.
#include <gtest/gtest.h>

#include <stdexcept>

#include "setup/redirection_off.h"

namespace rkx::setup {
namespace {

// A stand-in for the system's per-thread redirection state.
struct Thread {
    bool redirected = true;
    PVOID handedOut = nullptr;
    PVOID revertedWith = nullptr;
    int disables = 0;
    int reverts = 0;
    bool disableFails = false;
};
Thread g_thread;

BOOL WINAPI Disable(PVOID* previous)
{
    ++g_thread.disables;
    if (g_thread.disableFails) return FALSE;
    *previous = g_thread.handedOut = reinterpret_cast<PVOID>(static_cast<uintptr_t>(0x5A5A0));
    g_thread.redirected = false;
    return TRUE;
}

BOOL WINAPI Revert(PVOID previous)
{
    ++g_thread.reverts;
    g_thread.revertedWith = previous;
    if (previous == g_thread.handedOut) g_thread.redirected = true;
    return TRUE;
}

TEST(RedirectionOff, PreviousStateReturnsOnEveryWayOut)
{
    const RedirectionFunctions both{Disable, Revert};
    const struct {
        const char* name;
        bool throws;
    } kCases[] = {{"normal end", false}, {"the work throws", true}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        g_thread = {};
        try {
            const RedirectionOff off(both);
            EXPECT_TRUE(off.active());
            EXPECT_FALSE(g_thread.redirected);
            if (c.throws) throw std::runtime_error("no memory for the version block");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(g_thread.reverts, 1);
        EXPECT_EQ(g_thread.revertedWith, g_thread.handedOut) << "revert takes the value disable handed out";
        EXPECT_TRUE(g_thread.redirected);
    }
}

TEST(RedirectionOff, NothingIsRevertedThatWasNotSwitchedOff)
{
    const struct {
        const char* name;
        RedirectionFunctions functions;
        bool disableFails;
        int disables;
    } kCases[] = {
        {"switching off fails", {Disable, Revert}, true, 1},
        {"no revert function", {Disable, nullptr}, false, 0},
        {"no disable function", {nullptr, Revert}, false, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        g_thread = {};
        g_thread.disableFails = c.disableFails;
        {
            const RedirectionOff off(c.functions);
            EXPECT_FALSE(off.active());
        }
        EXPECT_EQ(g_thread.disables, c.disables);
        EXPECT_EQ(g_thread.reverts, 0);
        EXPECT_TRUE(g_thread.redirected);
    }
}

}  // namespace
}  // namespace rkx::setup
