// Turns the machine's diagnostics switch on for a test's lifetime and off again after it, so
// the driver and the utility write their figures (an administrator may set it; tests run as one).
#pragma once

#include <windows.h>

#include <string>

#include "common/diagnostics.h"

namespace rkx::test {

class DiagnosticsOn {
public:
    DiagnosticsOn() { Set(true); }
    ~DiagnosticsOn() { Set(false); }
    DiagnosticsOn(const DiagnosticsOn&) = delete;
    DiagnosticsOn& operator=(const DiagnosticsOn&) = delete;

    // The path of a diagnostics file, removed so only what comes next can be read.
    static std::wstring FreshFile(const wchar_t* name)
    {
        const std::wstring path = diagnostics::PrepareFile(name);
        if (!path.empty()) DeleteFileW(path.c_str());
        return path;
    }

private:
    static void Set(bool on)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, diagnostics::kSwitchKeyPath, 0, nullptr, 0,
                            KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        if (on) {
            const DWORD value = 1;
            RegSetValueExW(key, diagnostics::kSwitchValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value);
        } else {
            RegDeleteValueW(key, diagnostics::kSwitchValue);
        }
        RegCloseKey(key);
    }
};

}  // namespace rkx::test
