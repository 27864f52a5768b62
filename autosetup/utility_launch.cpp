#include "autosetup/utility_launch.h"

#include <userenv.h>
#include <wtsapi32.h>

#include <cwchar>

#include "autosetup/autosetup_state.h"
#include "autosetup/launch_request.h"
#include "autosetup/utility_command_line.h"
#include "common/unique_handle.h"
#include "common/unique_registry_key.h"

namespace rkx::autosetup {
namespace {

constexpr wchar_t kMachineSettingsPath[] = L"Software\\Korvane\\RKX-T2";
constexpr wchar_t kAsioConfigValue[] = L"AsioConfig";

// "AsioConfig" into `text`; false when missing, not a string or longer than 259 characters.
bool ReadAsioConfig(wchar_t (&text)[kCommandLineChars])
{
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineSettingsPath, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD bytes = sizeof(text);
    if (RegQueryValueExW(key.get(), kAsioConfigValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    // Registry strings need not carry their terminating zero.
    const size_t chars = bytes / sizeof(wchar_t);
    if (chars < kCommandLineChars) {
        text[chars] = L'\0';
        return true;
    }
    if (text[kCommandLineChars - 1] == L'\0') return true;
    return false;
}

// The token the utility runs with, moved to `session`.
UniqueHandle PrimaryTokenFor(HANDLE sourceProcess, DWORD session)
{
    HANDLE source = nullptr;
    if (sourceProcess == nullptr) {
        if (!WTSQueryUserToken(session, &source)) return {};
    } else if (!OpenProcessToken(sourceProcess, TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, &source)) {
        return {};
    }
    UniqueHandle sourceToken(source);
    HANDLE copy = nullptr;
    if (!DuplicateTokenEx(sourceToken.get(), MAXIMUM_ALLOWED, nullptr, SecurityIdentification, TokenPrimary, &copy))
        return {};
    UniqueHandle token(copy);
    // Needs the system's privilege and is a no-op for a token of that session already.
    SetTokenInformation(token.get(), TokenSessionId, &session, sizeof(session));
    return token;
}

struct EnvironmentBlock {
    void* block = nullptr;
    ~EnvironmentBlock()
    {
        if (block != nullptr) DestroyEnvironmentBlock(block);
    }
};

}  // namespace

bool StartInConsoleSession(const wchar_t* commandLine, HANDLE sourceProcess)
{
    if (commandLine == nullptr) return false;
    const DWORD session = WTSGetActiveConsoleSessionId();
    if (session == 0xFFFFFFFF) return false;
    UniqueHandle token = PrimaryTokenFor(sourceProcess, session);
    if (!token) return false;

    // The user's own variables, not the service's.
    EnvironmentBlock environment;
    DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_NEW_CONSOLE;
    if (CreateEnvironmentBlock(&environment.block, token.get(), FALSE)) flags |= CREATE_UNICODE_ENVIRONMENT;
    else environment.block = nullptr;

    wchar_t line[kCommandLineChars] = {};
    const size_t length = std::wcslen(commandLine);
    if (length >= kCommandLineChars) return false;
    std::wmemcpy(line, commandLine, length + 1);
    wchar_t desktop[] = L"winsta0\\default";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION created{};
    if (!CreateProcessAsUserW(token.get(), nullptr, line, nullptr, nullptr, FALSE, flags, environment.block, nullptr,
                              &startup, &created)) {
        return false;
    }
    CloseHandle(created.hThread);
    CloseHandle(created.hProcess);
    return true;
}

void LaunchSettingsUtility()
{
    if (!QueryLaunchRequest()) return;
    wchar_t asioConfig[kCommandLineChars] = {};
    if (!ReadAsioConfig(asioConfig)) return;
    wchar_t commandLine[kCommandLineChars] = {};
    if (!BuildUtilityCommandLine(asioConfig, State().userKey, commandLine)) return;
    StartInConsoleSession(commandLine, nullptr);
}

}  // namespace rkx::autosetup
