// Running RKX-T2_Config.exe from a test: start it, find its window, drive it with real input,
// read what it saved, and steer the virtual mixer with vmixctl.
#pragma once

#include "common/unique_handle.h"
#include "tests/support/files.h"
#include "tests/support/wait.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace rkx::test {

// Runs vmixctl with `arguments`; its exit code.
int RunVmixctl(const std::wstring& arguments);

class Utility {
public:
    Utility() = default;
    ~Utility();
    Utility(const Utility&) = delete;
    Utility& operator=(const Utility&) = delete;

    // Starts the utility (arguments after the program name) and waits for its window.
    bool Start(const std::wstring& arguments = L"");
    // Starts a copy without waiting for a window; for the second-instance test.
    static rkx::UniqueHandle Launch(const std::wstring& arguments);
    // Closes through the close box's message and waits for the process to end.
    bool Close();

    HWND window() const { return window_; }
    DWORD processId() const { return processId_; }
    // Client point -> screen point.
    POINT Screen(int x, int y) const;
    void Click(int x, int y) const;
    void PressKey(WORD virtualKey) const;
    // Current tab read from the pixels of the tab strip, -1 when it cannot be told.
    int CurrentTab() const;

private:
    rkx::UniqueHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// A pointer event at a screen point, the position carried in the event itself (absolute
// coordinates): `flags` 0 only moves, MOUSEEVENTF_LEFTDOWN / LEFTUP press and let go there.
void SendMouseAt(POINT screen, DWORD flags);

// The current tab of a utility window read from the pixels of its tab strip, -1 when it cannot
// be told.
int TabShownIn(HWND window);

// The window title the utility uses for the installed language.
std::wstring ExpectedTitle();
// Top-level windows of any process with exactly that title.
int CountWindowsTitled(const std::wstring& title);
HWND FindWindowOfProcess(DWORD processId, const std::wstring& title);

// HKEY_CURRENT_USER\Software\Korvane\RKX-T2.
std::optional<DWORD> ReadUserValue(const wchar_t* name);
void WriteUserValue(const wchar_t* name, DWORD value);
void DeleteUserValue(const wchar_t* name);
// HKEY_LOCAL_MACHINE\Software\Korvane\RKX-T2 "InstallLanguage".
std::optional<DWORD> ReadInstallLanguage();
void WriteInstallLanguage(DWORD language);

}  // namespace rkx::test
