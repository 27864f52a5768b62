// What a machine holds after the package was installed with msiexec, checked from inside the
// Wine prefix the scenarios install into (tests/installer/package_scenarios.sh runs this program
// there; it is not one of ctest's own tests). The interfaces are declared here from the ASIO
// standard and the setup library's documented exports, not taken from the product's headers.
//
//   installed_package_checks.exe [gtest flags] --version=1.110 --language=1033
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "common/unique_registry_key.h"
#include "common/unique_service_handle.h"

// The head of IASIO as the ASIO standard lays it out: IUnknown, then init and getDriverName.
// Outside the anonymous namespace: there the compiler would know every class deriving from it
// (none in this file) and turn calls through it into calls of the pure virtual stub.
struct AsioHead : IUnknown {
    virtual long __stdcall init(void* systemHandle) = 0;
    virtual void __stdcall getDriverName(char* name) = 0;
};

namespace {

std::wstring g_version = L"1.110";
DWORD g_language = 1033;

// {5A3C9E21-7B4D-4F08-9C62-1D8E0B7A4F35}: the 64-bit driver's class id, which hosts also ask
// for as the interface id.
constexpr CLSID kDriverClassId64 = {0x5A3C9E21, 0x7B4D, 0x4F08, {0x9C, 0x62, 0x1D, 0x8E, 0x0B, 0x7A, 0x4F, 0x35}};

constexpr wchar_t kServiceName[] = L"RKX-T2_AutoSetup";

std::wstring ReadText(HKEY root, const wchar_t* path, const wchar_t* name, REGSAM view)
{
    rkx::UniqueKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS) return L"<no key>";
    wchar_t text[512] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
        return L"<no value>";
    if (type != REG_SZ) return L"<not REG_SZ>";
    return text;
}

DWORD ReadDword(HKEY root, const wchar_t* path, const wchar_t* name, REGSAM view)
{
    rkx::UniqueKey key;
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS ||
        RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0xFFFFFFFF;
    return value;
}

std::wstring FolderPath(int folder)
{
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

std::wstring WindowsPath(const wchar_t* tail)
{
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + tail;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(InstalledPackage, FilesAreAtTheirPlaces)
{
    const std::wstring files[] = {
        WindowsPath(L"\\System32\\RKX-T2_Setup64.dll"),
        WindowsPath(L"\\System32\\RKX-T2_ASIO64.dll"),
        WindowsPath(L"\\System32\\RKX-T2_AutoSetup.exe"),
        WindowsPath(L"\\SysWOW64\\RKX-T2_Setup.dll"),
        WindowsPath(L"\\SysWOW64\\RKX-T2_ASIO.dll"),
        FolderPath(CSIDL_PROGRAM_FILES) + L"\\Korvane\\RKX-T2\\RKX-T2_Config.exe",
        FolderPath(CSIDL_PROGRAM_FILES) + L"\\Korvane\\RKX-T2\\rkxsetup.exe",
        FolderPath(CSIDL_PROGRAM_FILESX86) + L"\\Korvane\\RKX-T2\\RKX-T2_Config.exe",
    };
    for (const std::wstring& file : files) {
        EXPECT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(file);
    }
}

TEST(InstalledPackage, MachineValuesAreInBothRegistryViews)
{
    const std::wstring utility = FolderPath(CSIDL_PROGRAM_FILES) + L"\\Korvane\\RKX-T2\\RKX-T2_Config.exe";
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        SCOPED_TRACE(view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view");
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, L"Software\\Korvane\\RKX-T2", L"AsioConfig", view),
                  L"\"" + utility + L"\" -Auto");
        EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, L"Software\\Korvane\\RKX-T2", L"InstallLanguage", view), g_language);
        // The setup library reads the version in its caller's own view.
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RKX-T2",
                           L"DisplayVersion", view),
                  g_version);
    }
}

// Written but only read back here: no 32-bit code runs on these machines.
TEST(InstalledPackage, ThirtyTwoBitDriverIsRegisteredInTheThirtyTwoBitViews)
{
    struct Row {
        HKEY root;
        const wchar_t* key;
        const wchar_t* name;
        std::wstring expected;
    };
    const Row rows[] = {
        {HKEY_CLASSES_ROOT, L"CLSID\\{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}", nullptr, L"RKX-T2 ASIO"},
        {HKEY_CLASSES_ROOT, L"CLSID\\{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}\\InprocServer32", L"ThreadingModel",
         L"Apartment"},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\ASIO\\RKX-T2 ASIO", L"CLSID", L"{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}"},
        {HKEY_LOCAL_MACHINE, L"SOFTWARE\\ASIO\\RKX-T2 ASIO", L"Description", L"RKX-T2 ASIO"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ReadText(row.root, row.key, row.name, KEY_WOW64_32KEY), row.expected) << Narrow(row.key);
        EXPECT_EQ(ReadText(row.root, row.key, row.name, KEY_WOW64_64KEY), L"<no key>")
            << Narrow(row.key) << " leaked into the 64-bit view";
    }
    const std::wstring server = ReadText(HKEY_CLASSES_ROOT, L"CLSID\\{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}\\InprocServer32",
                                         nullptr, KEY_WOW64_32KEY);
    EXPECT_EQ(CompareStringOrdinal(server.c_str(), -1, WindowsPath(L"\\SysWOW64\\RKX-T2_ASIO.dll").c_str(), -1, TRUE),
              CSTR_EQUAL)
        << Narrow(server);
}

TEST(InstalledPackage, HostsCreateTheSixtyFourBitDriverByClassId)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    void* out = nullptr;
    ASSERT_EQ(CoCreateInstance(kDriverClassId64, nullptr, CLSCTX_INPROC_SERVER, kDriverClassId64, &out), S_OK);
    auto* driver = static_cast<AsioHead*>(out);
    char name[32] = {};
    driver->getDriverName(name);
    EXPECT_STREQ(name, "RKX-T2 ASIO64");
    driver->Release();
    CoUninitialize();
}

DWORD WaitForState(SC_HANDLE service, DWORD wanted)
{
    SERVICE_STATUS status{};
    for (int i = 0; i < 300; ++i) {  // a wide bound that only turns a hang into a failure
        if (!QueryServiceStatus(service, &status)) return 0;
        if (status.dwCurrentState == wanted) break;
        Sleep(100);
    }
    return status.dwCurrentState;
}

TEST(InstalledPackage, ServiceStartsAndStopsThroughTheServiceManager)
{
    const rkx::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    ASSERT_TRUE(manager);
    const rkx::UniqueServiceHandle service(
        OpenServiceW(manager.get(), kServiceName, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP));
    ASSERT_TRUE(service);

    alignas(QUERY_SERVICE_CONFIGW) BYTE buffer[8192] = {};
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer);
    DWORD needed = 0;
    ASSERT_TRUE(QueryServiceConfigW(service.get(), config, sizeof(buffer), &needed));
    EXPECT_EQ(config->dwServiceType, DWORD(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(config->dwStartType, DWORD(SERVICE_DEMAND_START));
    EXPECT_EQ(CompareStringOrdinal(config->lpBinaryPathName, -1,
                                   WindowsPath(L"\\System32\\RKX-T2_AutoSetup.exe").c_str(), -1, TRUE),
              CSTR_EQUAL)
        << Narrow(config->lpBinaryPathName);
    EXPECT_EQ(std::wstring(config->lpServiceStartName ? config->lpServiceStartName : L""), L"LocalSystem");

    ASSERT_TRUE(StartServiceW(service.get(), 0, nullptr)) << GetLastError();
    EXPECT_EQ(WaitForState(service.get(), SERVICE_RUNNING), DWORD(SERVICE_RUNNING));
    SERVICE_STATUS status{};
    ASSERT_TRUE(ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) << GetLastError();
    EXPECT_EQ(WaitForState(service.get(), SERVICE_STOPPED), DWORD(SERVICE_STOPPED));
}

// As DJ software calls it: the 64-bit library found by name, its exports looked up by name.
TEST(InstalledPackage, SetupLibraryReportsTheInstallerVersion)
{
    using GetProductId = int(__stdcall*)(const wchar_t* model, int* product);
    using GetVersionText = int(__stdcall*)(int product, const wchar_t** text);
    HMODULE library = LoadLibraryW(L"RKX-T2_Setup64.dll");
    ASSERT_NE(library, nullptr);
    auto getProductId =
        reinterpret_cast<GetProductId>(reinterpret_cast<void*>(GetProcAddress(library, "QVR_GetProductId")));
    auto getInstallerVersion = reinterpret_cast<GetVersionText>(
        reinterpret_cast<void*>(GetProcAddress(library, "QVR_GetInstallerVersionText")));
    ASSERT_NE(getProductId, nullptr);
    ASSERT_NE(getInstallerVersion, nullptr);
    int product = 0;
    ASSERT_EQ(getProductId(L"RKX-T2", &product), 100);
    const wchar_t* text = nullptr;
    ASSERT_EQ(getInstallerVersion(product, &text), 100);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::wstring(text), g_version);
    FreeLibrary(library);
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--version=", 0) == 0) {
            const std::string text = argument.substr(10);
            g_version.assign(text.begin(), text.end());
        } else if (argument.rfind("--language=", 0) == 0) {
            g_language = std::stoul(argument.substr(11));
        }
    }
    return RUN_ALL_TESTS();
}
