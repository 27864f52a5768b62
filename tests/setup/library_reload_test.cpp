// Loading the library at run time, unloading it and loading it again, as DJ software may do:
// each load must announce and receive through a window of its own, and no unload may leave a
// window or class behind that calls into the unloaded code.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "include/rkx_t2_setup.h"
#include "tests/support/build_names.h"
#include "tests/support/wait.h"

namespace {

constexpr wchar_t kWindowName[] = L"RKX-T2SetupDllWin";

int g_heard = -1;

int QVR_CALL OnBoost(int value, QVR_USER_VALUE) { return g_heard = value; }

template <class Fn>
Fn Bind(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Loads the library, registers for boost changes, announces `level` (storing nothing: the
// user key names no hive) and checks this thread heard it. Returns the module.
HMODULE LoadAndAnnounce(int level)
{
    HMODULE library = LoadLibraryW(rkx::test::kSetupLibrary);
    EXPECT_NE(library, nullptr) << GetLastError();
    if (library == nullptr) return nullptr;
    auto registerBoost = Bind<decltype(&QVR_RegisterBoostLevelChangedCallback)>(library, "QVR_RegisterBoostLevelChangedCallback");
    auto setBoost = Bind<decltype(&QVR_SetBoostLevelIndex2)>(library, "QVR_SetBoostLevelIndex2");
    EXPECT_NE(registerBoost, nullptr);
    EXPECT_NE(setBoost, nullptr);
    if (registerBoost == nullptr || setBoost == nullptr) return library;
    EXPECT_EQ(registerBoost(QVR_PRODUCT_RKX_T2, OnBoost, 0), 100);
    g_heard = -1;
    EXPECT_EQ(setBoost(QVR_PRODUCT_RKX_T2, level, L"S-1-5-21-3-3-3-3333", 1), 100);
    EXPECT_EQ(g_heard, level);
    return library;
}

TEST(LibraryReload, NotificationsWorkAfterUnloadAndReload)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        HMODULE library = LoadAndAnnounce(round);
        ASSERT_NE(library, nullptr);
        ASSERT_TRUE(FreeLibrary(library));
        EXPECT_EQ(GetModuleHandleW(rkx::test::kSetupLibrary), nullptr);
    }
}

BOOL CALLBACK NoteNotificationWindow(HWND window, LPARAM context)
{
    wchar_t title[64] = {};
    InternalGetWindowText(window, title, 64);
    if (wcscmp(title, kWindowName) == 0) reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

std::vector<HWND> NotificationWindowsOfThisThread()
{
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), NoteNotificationWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void PumpMessages() { rkx::test::PumpMessagesFor(100); }

// DJ software may load the library on its main thread and free it on a worker. Only the
// loading thread can destroy the window, so the window must at least stop calling into the
// code that is gone: the next announcement or broadcast would otherwise jump into freed memory.
TEST(LibraryReload, UnloadOnAnotherThreadLeavesNothingThatCallsTheUnloadedCode)
{
    HMODULE library = LoadAndAnnounce(2);
    ASSERT_NE(library, nullptr);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(library);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(library) + dos->e_lfanew);
    const uintptr_t first = reinterpret_cast<uintptr_t>(library);
    const uintptr_t end = first + nt->OptionalHeader.SizeOfImage;
    auto inUnloadedImage = [&](uintptr_t address) { return address >= first && address < end; };
    ASSERT_EQ(NotificationWindowsOfThisThread().size(), 1u);

    std::thread([library] { FreeLibrary(library); }).join();
    ASSERT_EQ(GetModuleHandleW(rkx::test::kSetupLibrary), nullptr);

    bool safe = true;
    for (HWND window : NotificationWindowsOfThisThread()) {
        const auto procedure = static_cast<uintptr_t>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        EXPECT_FALSE(inUnloadedImage(procedure)) << "the window's procedure lies in the unloaded library";
        safe = safe && !inUnloadedImage(procedure);
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(library, kWindowName, &windowClass)) {
        const auto procedure = reinterpret_cast<uintptr_t>(windowClass.lpfnWndProc);
        EXPECT_FALSE(inUnloadedImage(procedure)) << "the class's procedure lies in the unloaded library";
        safe = safe && !inUnloadedImage(procedure);
    }
    // Only messages that cannot crash the test: the procedures were checked above.
    if (safe) {
        for (HWND window : NotificationWindowsOfThisThread()) {
            DWORD_PTR answer = 0;
            EXPECT_NE(SendMessageTimeoutW(window, WM_USER + 102, 0, 0xB0001, SMTO_NORMAL, 5000, &answer), 0);
        }
        PumpMessages();
        EXPECT_TRUE(NotificationWindowsOfThisThread().empty()) << "the window outlived its thread's next messages";
    }

    // A later load works as before.
    HMODULE again = LoadAndAnnounce(1);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(NotificationWindowsOfThisThread().size(), 1u);
    ASSERT_TRUE(FreeLibrary(again));
    EXPECT_TRUE(NotificationWindowsOfThisThread().empty());
}

}  // namespace
