// Stands in for the settings utility when the service starts it: appends one line to
// "launches.log" beside itself with what it was started with, then stays alive (like the real
// utility) until the tests release it.
//   <pid> TAB <user SID> TAB <session> TAB <station>\<desktop> TAB <command line> LF
#include <windows.h>
#include <sddl.h>

#include <memory>
#include <new>
#include <string>

#include "common/unique_handle.h"
#include "tests/support/files.h"
#include "tests/support/text.h"
#include "tests/support/utility_probe_names.h"

namespace {

using rkx::UniqueHandle;

std::wstring TokenUserSid()
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return L"?";
    UniqueHandle token(raw);
    DWORD bytes = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &bytes);
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes ? bytes : 1]());
    wchar_t* text = nullptr;
    if (!buffer || !GetTokenInformation(token.get(), TokenUser, buffer.get(), bytes, &bytes) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &text)) {
        return L"?";
    }
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

std::wstring ObjectName(HANDLE object)
{
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (object == nullptr || !GetUserObjectInformationW(object, UOI_NAME, name, sizeof(name) - sizeof(wchar_t), &needed))
        return L"?";
    return name;
}

std::wstring LogPath() { return rkx::test::OwnFolder() + rkx::test::kProbeLogName; }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    const std::wstring line = std::to_wstring(GetCurrentProcessId()) + L"\t" + TokenUserSid() + L"\t" +
                              std::to_wstring(session) + L"\t" + ObjectName(GetProcessWindowStation()) + L"\\" +
                              ObjectName(GetThreadDesktop(GetCurrentThreadId())) + L"\t" + GetCommandLineW() + L"\n";
    const std::string bytes = rkx::test::Utf8(line);
    {
        UniqueHandle log(CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (log) WriteFile(log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, rkx::test::kProbeReleaseEvent));
    WaitForSingleObject(release.get(), rkx::test::kProbeLifetimeMs);
    return 0;
}
