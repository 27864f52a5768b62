#include "autosetup/utility_launch.h"

#include <userenv.h>

#include <cwchar>

#include "common/package_names.h"
#include "common/unique_handle.h"
#include "common/unique_registry_key.h"

namespace rkx::autosetup {
namespace {

// A primary copy of the user's token, moved to `session`.
UniqueHandle PrimaryTokenFor(HANDLE userToken, DWORD session)
{
    HANDLE copy = nullptr;
    if (userToken == nullptr ||
        !DuplicateTokenEx(userToken, MAXIMUM_ALLOWED, nullptr, SecurityIdentification, TokenPrimary, &copy))
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

bool ReadAsioConfig(wchar_t (&text)[kCommandLineChars])
{
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, names::kSettingsKeyPathW, 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD bytes = sizeof(text);
    if (RegQueryValueExW(key.get(), names::kAsioConfigValueW, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
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

bool StartAsUser(HANDLE userToken, DWORD session, const wchar_t* commandLine)
{
    if (commandLine == nullptr) return false;
    UniqueHandle token = PrimaryTokenFor(userToken, session);
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

}  // namespace rkx::autosetup
