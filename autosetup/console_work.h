// What the service does when a user is found at the console and when the mixer arrives:
// restore that user's settings, ask the mixer, start the utility as that user. Plain code on
// a table of the platform's operations, so tests can drive it with stand-ins.
#pragma once

#include <windows.h>

#include "autosetup/autosetup_state.h"
#include "autosetup/console_user.h"
#include "autosetup/utility_command_line.h"

namespace rkx::autosetup {

constexpr DWORD kNoConsoleSession = 0xFFFFFFFF;

struct ServiceWork {
    DWORD (*activeConsoleSession)() = nullptr;
    bool (*takeConsoleUser)(DWORD session, ConsoleUser& user) = nullptr;
    // The setup library's part of a restore: the user's stored settings back into the mixer.
    void (*restoreSettings)(int product, const wchar_t* userKey) = nullptr;
    // The mixer's answer to the launch question (bounded in time).
    bool (*mixerAsksForLaunch)() = nullptr;
    bool (*readAsioConfig)(wchar_t (&text)[kCommandLineChars]) = nullptr;
    // Starts the command line with a copy of the user's token on "winsta0\default" of `session`.
    bool (*startAsUser)(HANDLE userToken, DWORD session, const wchar_t* commandLine) = nullptr;
};

// The timer's look at the console: a session not handled yet gets its user's restore and the
// question to the mixer. The session counts as handled only once its user's SID was read, so
// a failed look is repeated on the next tick.
void OnConsoleTick(AutoSetupState& state, const ServiceWork& work);

// The mixer became connected: restore for whoever is at the console, then ask the mixer. With
// nobody there the mixer is still asked, but nothing is started: there is no user to start
// the utility as.
void OnMixerConnected(AutoSetupState& state, const ServiceWork& work);

}  // namespace rkx::autosetup
