// The service module without the service manager: what a stop reports after a loop that
// could not start, and the security descriptor the process's COM security is set from.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "autosetup/autosetup_window.h"
#include "autosetup/com_security.h"
#include "autosetup/service_module.h"

namespace rkx::autosetup {
namespace {

// Access rights of COM calls as the platform documents them.
constexpr DWORD kExecute = 0x1;
constexpr DWORD kExecuteLocal = 0x2;

TEST(ServiceModule, ALoopWithoutItsWindowIsReportedAsAFailedStop)
{
    const struct {
        const char* name;
        bool windowCanBeMade;
        DWORD win32ExitCode;
        DWORD serviceExitCode;
    } kCases[] = {
        {"window made, loop quits", true, 0, 0},
        {"no window", false, ERROR_SERVICE_SPECIFIC_ERROR, kServiceExitNoWindow},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        // The class already taken in this process makes the service's own registration fail,
        // as a failed creation of its window would.
        WNDCLASSEXW taken{};
        taken.cbSize = sizeof taken;
        taken.lpfnWndProc = DefWindowProcW;
        taken.hInstance = instance;
        taken.lpszClassName = kWindowClass;
        if (!c.windowCanBeMade) {
            ASSERT_NE(RegisterClassExW(&taken), 0);
        }
        CServiceModule module;
        module.InitModule(instance, 100, GUID{});
        module.SetRunAsService(false);
        PostQuitMessage(0);  // a loop that starts ends at once
        module.RunServiceLoop();
        MSG leftover;
        PeekMessageW(&leftover, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        if (!c.windowCanBeMade) UnregisterClassW(kWindowClass, instance);

        const SERVICE_STATUS stopped = module.StatusRecord(SERVICE_STOPPED);
        EXPECT_EQ(stopped.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
        EXPECT_EQ(stopped.dwWin32ExitCode, c.win32ExitCode);
        EXPECT_EQ(stopped.dwServiceSpecificExitCode, c.serviceExitCode);
        EXPECT_EQ(module.ExitCode(), c.win32ExitCode) << "a direct run ends with it too";
    }
}

std::vector<BYTE> SidOf(WELL_KNOWN_SID_TYPE type)
{
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD bytes = static_cast<DWORD>(sid.size());
    if (!CreateWellKnownSid(type, nullptr, sid.data(), &bytes)) sid.clear();
    return sid;
}

std::vector<BYTE> ProcessUserSid()
{
    HANDLE token = nullptr;
    std::vector<BYTE> sid;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return sid;
    BYTE buffer[512] = {};
    DWORD bytes = 0;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &bytes)) {
        PSID user = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
        sid.assign(static_cast<BYTE*>(user), static_cast<BYTE*>(user) + GetLengthSid(user));
    }
    CloseHandle(token);
    return sid;
}

TEST(ComSecurity, OnlyTheSystemAndTheServicesOwnAccountMayCallInAndOnlyLocally)
{
    ComSecurityDescriptor descriptor;
    ASSERT_TRUE(descriptor.valid());
    EXPECT_TRUE(IsValidSecurityDescriptor(descriptor.get()));
    PSID owner = nullptr;
    PSID group = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.get(), &owner, &defaulted));
    ASSERT_TRUE(GetSecurityDescriptorGroup(descriptor.get(), &group, &defaulted));
    EXPECT_NE(owner, nullptr);
    EXPECT_NE(group, nullptr);

    BOOL present = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present) << "without an access list everyone may call in";
    ASSERT_NE(dacl, nullptr) << "a null access list lets everyone in";

    const std::vector<BYTE> system = SidOf(WinLocalSystemSid);
    const std::vector<BYTE> self = ProcessUserSid();
    ASSERT_FALSE(system.empty());
    ASSERT_FALSE(self.empty());
    bool systemAllowed = false;
    bool selfAllowed = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, &entry));
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        ASSERT_EQ(header->AceType, ACCESS_ALLOWED_ACE_TYPE) << "ace " << i;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = &allowed->SidStart;
        EXPECT_EQ(allowed->Mask, kExecute | kExecuteLocal) << "ace " << i << ": local calls and nothing more";
        const bool isSystem = EqualSid(sid, const_cast<BYTE*>(system.data())) != FALSE;
        const bool isSelf = EqualSid(sid, const_cast<BYTE*>(self.data())) != FALSE;
        EXPECT_TRUE(isSystem || isSelf) << "ace " << i << " grants another account";
        systemAllowed = systemAllowed || isSystem;
        selfAllowed = selfAllowed || isSelf;
    }
    EXPECT_TRUE(systemAllowed);
    EXPECT_TRUE(selfAllowed);
}

}  // namespace
}  // namespace rkx::autosetup
