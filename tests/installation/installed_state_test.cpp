// What the installation stand-in leaves in the rig's prefix: the values, keys, files and
// services the deliverables read and rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/unique_service_handle.h"

namespace {

constexpr wchar_t kProductKey[] = L"Software\\Korvane\\RKX-T2";

struct RegistryKey {
    HKEY key = nullptr;
    RegistryKey(HKEY root, const wchar_t* path, REGSAM view)
    {
        if (RegOpenKeyExW(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) key = nullptr;
    }
    ~RegistryKey()
    {
        if (key != nullptr) RegCloseKey(key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
};

bool ReadDword(HKEY root, const wchar_t* path, const wchar_t* name, REGSAM view, DWORD& value)
{
    RegistryKey key(root, path, view);
    DWORD type = 0;
    DWORD size = sizeof(value);
    return key.key != nullptr &&
           RegQueryValueExW(key.key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
}

bool ReadText(HKEY root, const wchar_t* path, const wchar_t* name, REGSAM view, std::wstring& value)
{
    RegistryKey key(root, path, view);
    if (key.key == nullptr) return false;
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegQueryValueExW(key.key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return false;
    }
    value = buffer;
    return true;
}

std::wstring SystemPath(const wchar_t* tail)
{
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + tail;
}

// The product version text of a file's version block, or "" when it has none.
std::wstring ProductVersionOf(const std::wstring& file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return L"";
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return L"";
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductVersion", reinterpret_cast<void**>(&text),
                        &length) ||
        text == nullptr) {
        return L"";
    }
    return text;
}

TEST(InstalledState, MachineValuesAreInBothRegistryViews)
{
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        SCOPED_TRACE(view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view");
        DWORD language = 0;
        ASSERT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kProductKey, L"InstallLanguage", view, language));
        EXPECT_EQ(language, 1033u);

        std::wstring command;
        ASSERT_TRUE(ReadText(HKEY_LOCAL_MACHINE, kProductKey, L"AsioConfig", view, command));
        EXPECT_LE(command.size(), 259u);
        ASSERT_GE(command.size(), 5u);
        EXPECT_EQ(command.substr(command.size() - 5), L"-Auto");
        EXPECT_NE(command.find(L"RKX-T2_Config.exe"), std::wstring::npos);
    }
}

TEST(InstalledState, UninstallKeyCarriesTheDisplayVersion)
{
    std::wstring version;
    ASSERT_TRUE(ReadText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RKX-T2",
                         L"DisplayVersion", 0, version));
    EXPECT_EQ(version, L"1.110");
}

TEST(InstalledState, ServiceAppIdNamesTheLocalService)
{
    std::wstring service;
    ASSERT_TRUE(ReadText(HKEY_CLASSES_ROOT, L"AppID\\{08803D64-BB70-4C7F-8499-7962A2CB2F94}", L"LocalService", 0,
                         service));
    EXPECT_EQ(service, L"RKX-T2_AutoSetup");
}

TEST(InstalledState, KernelDriverFileHasAProductVersionAndItsServiceRuns)
{
    EXPECT_EQ(ProductVersionOf(SystemPath(L"\\System32\\Drivers\\RKX-T2Audio64.sys")), L"1.200");

    const rkx::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ASSERT_TRUE(manager);
    const rkx::UniqueServiceHandle service(OpenServiceW(manager.get(), L"RKX-T2Audio", SERVICE_QUERY_STATUS));
    SERVICE_STATUS status{};
    ASSERT_TRUE(service && QueryServiceStatus(service.get(), &status));
    EXPECT_EQ(status.dwServiceType, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
    EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
}

}  // namespace
