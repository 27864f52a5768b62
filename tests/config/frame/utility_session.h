// Running RKX-T2_Config.exe from a test: start it, find its window, drive it with real input,
// read what it saved, and steer the virtual mixer with vmixctl.
#pragma once

#include "common/unique_handle.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace frame_test {

// Polls `condition` every 20 ms; false when it stayed false for `limitMs` (a hang guard, not
// a timing goal).
bool WaitFor(const std::function<bool()>& condition, DWORD limitMs = 15000);

// The program's directory (the utility, the setup library and vmixctl are built there).
std::wstring ProgramDirectory();

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

}  // namespace frame_test
