// Registrations from another thread while this (the loading) thread dispatches: a callback is
// never called with another registration's user value, and once unregistering returns the old
// callback is not called again.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

constexpr QVR_USER_VALUE kFirstUser = 0x1111;
constexpr QVR_USER_VALUE kSecondUser = 0x2222;

std::atomic<bool> g_unregistered{false};
std::atomic<long> g_calls{0};
std::atomic<long> g_torn{0};
std::atomic<long> g_afterUnregister{0};

void Note(QVR_USER_VALUE user, QVR_USER_VALUE expected)
{
    ++g_calls;
    if (user != expected) ++g_torn;
    if (g_unregistered.load()) ++g_afterUnregister;
}
int QVR_CALL First(int, int, QVR_USER_VALUE user)
{
    Note(user, kFirstUser);
    return 0;
}
int QVR_CALL Second(int, int, QVR_USER_VALUE user)
{
    Note(user, kSecondUser);
    return 0;
}

BOOL CALLBACK TakeNotificationWindow(HWND window, LPARAM context)
{
    wchar_t title[64] = {};
    InternalGetWindowText(window, title, 64);
    if (wcscmp(title, L"RKX-T2SetupDllWin") != 0) return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

HWND OwnNotificationWindow()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), TakeNotificationWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(NotificationRace, RegistrationsFromAnotherThreadNeverTearAndUnregisteringIsFinal)
{
    // This program linked the library, so its main thread (this one) owns the window.
    const HWND window = OwnNotificationWindow();
    ASSERT_NE(window, nullptr);
    g_calls = 0;
    g_torn = 0;
    g_afterUnregister = 0;
    std::atomic<bool> stop{false};
    std::thread registrar([&] {
        while (!stop.load()) {
            g_unregistered.store(false);
            QVR_RegisterInputAudioChangedCallback(kProduct, First, kFirstUser);
            QVR_RegisterInputAudioChangedCallback(kProduct, Second, kSecondUser);
            QVR_RegisterInputAudioChangedCallback(kProduct, First, kFirstUser);
            QVR_UnregisterInputAudioChangedCallback(kProduct);
            g_unregistered.store(true);
        }
    });
    const ULONGLONG deadline = GetTickCount64() + 3000;
    long dispatched = 0;
    while (GetTickCount64() < deadline) {
        for (int i = 0; i < 1000; ++i) SendMessageW(window, WM_USER + 100, 0, 0xB0000 + 0x0102);
        dispatched += 1000;
    }
    stop = true;
    registrar.join();
    QVR_UnregisterInputAudioChangedCallback(kProduct);
    std::printf("%ld dispatches, %ld callback calls\n", dispatched, g_calls.load());
    EXPECT_GT(g_calls.load(), 0) << "no dispatch met a registration: the race was not exercised";
    EXPECT_EQ(g_torn.load(), 0) << "a callback ran with another registration's user value";
    EXPECT_EQ(g_afterUnregister.load(), 0) << "a callback ran after unregistering had returned";
}

}  // namespace
}  // namespace rkx::setup::test
