// What the ASIO and version page tests share: waits that keep this thread's windows
// answering, the utility's label log, pointer gestures, the utility's texts and the driver
// keys of the registry.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/diagnostics_switch.h"
#include "tests/support/wait.h"

namespace page_test {

// A driver's window made by this thread must answer the utility's messages: waits pump.
using rkx::test::PumpUntil;
// vmixctl with `arguments`, pumping messages while it runs (its device-change broadcast
// reaches this thread's windows too); its exit code.
int RunVmixctlPumping(const std::wstring& arguments);

// The labels the utility renders, read from its labels file in the diagnostics folder. Making
// one turns the machine's diagnostics switch on, for the utilities this test starts; it is
// turned off again at the end.
class LabelLog {
public:
    struct Label {
        int width = 0;
        int height = 0;
        std::wstring colour;  // "RRGGBB"
        std::wstring text;    // line feeds as "\n"
    };

    LabelLog();
    ~LabelLog();
    LabelLog(const LabelLog&) = delete;
    LabelLog& operator=(const LabelLog&) = delete;

    std::vector<Label> Labels() const;
    // The latest label of that size whose text has the form of `pattern` ("%d" any number).
    std::optional<Label> Last(int width, int height, const std::wstring& pattern) const;
    bool Contains(int width, int height, const std::wstring& text) const;

private:
    rkx::test::DiagnosticsOn diagnostics_;  // first: the file is named once the switch is on
    std::wstring path_;
};

// Text `id` of the utility's tables in the installed language; "%s" filled with `argument`.
std::wstring UiString(UINT id, const wchar_t* argument = nullptr);
// Line feeds written as the label log writes them.
std::wstring AsLogged(const std::wstring& text);

// Real pointer input at client points of `window`.
class Pointer {
public:
    explicit Pointer(HWND window) : window_(window) {}
    void MoveTo(int x, int y) const;
    void Press(int x, int y) const;
    void Release() const;
    // Press at (x, y), move by `dx` in `steps` steps, release.
    void Drag(int x, int y, int dx, int steps = 3) const;

private:
    void Send(DWORD flags, POINT screen) const;
    HWND window_;
};

// HKEY_CURRENT_USER\SOFTWARE\<driverKey>, e.g. "RKX-T2 ASIO" and "RKX-T2 ASIO 64bit".
std::optional<DWORD> ReadDriverValue(const wchar_t* driverKey, const wchar_t* name);
void WriteDriverValue(const wchar_t* driverKey, const wchar_t* name, DWORD value);
void DeleteDriverValue(const wchar_t* driverKey, const wchar_t* name);

// Puts a registry value back as it was when the guard was made (deleting it if it was absent).
class RegistryValueGuard {
public:
    RegistryValueGuard(HKEY root, std::wstring key, std::wstring name);
    ~RegistryValueGuard();
    RegistryValueGuard(const RegistryValueGuard&) = delete;
    RegistryValueGuard& operator=(const RegistryValueGuard&) = delete;

private:
    HKEY root_;
    std::wstring key_;
    std::wstring name_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

}  // namespace page_test
