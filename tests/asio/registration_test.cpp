// Self-registration as the installation runs it (regsvr32 in its own process) and creation
// through COM by class id, as hosts do.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "driver_module.h"
#include "tests/support/registry.h"
#include "tests/support/text.h"

namespace rkx::asio::test {
namespace {

const std::string kClassKeyPath = std::string("CLSID\\") + rkx::test::kAsioClassIdText;
const std::string kServerKeyPath = kClassKeyPath + "\\InprocServer32";
const char* const kClassKey = kClassKeyPath.c_str();
const char* const kServerKey = kServerKeyPath.c_str();
const std::string kAsioKeyPath = std::string("SOFTWARE\\ASIO\\") + rkx::test::kAsioKeyName;
const char* const kAsioKey = kAsioKeyPath.c_str();
constexpr const char* kInstalledDriver = rkx::test::kAsioInstalledFile;

DWORD RunRegsvr32(const std::string& arguments)
{
    std::string command = "regsvr32.exe " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return DWORD(-2);
    }
    DWORD code = DWORD(-3);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

bool ReadString(HKEY root, const char* key, const char* value, std::string& text)
{
    char buffer[400] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueA(root, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return false;
    text = buffer;
    return true;
}

bool KeyExists(HKEY root, const char* key)
{
    return rkx::test::RegistryKeyExists(root, rkx::test::Wide(key));
}

void WriteMarker(HKEY root, const char* key)
{
    const char text[] = "marker";
    RegSetKeyValueA(root, key, "Marker", REG_SZ, text, sizeof(text));
}

std::string Lower(std::string text)
{
    CharLowerA(text.data());
    return text;
}

std::string BuiltDriverPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1) + kDriverFile;
}

// The title and text of the message box a process shows, which is then closed with OK; empty
// when no box was seen within the limit.
std::string DismissMessageBox(DWORD processId, DWORD limitMs)
{
    struct Search {
        DWORD processId;
        HWND box;
        std::string seen;
    } search{processId, nullptr, {}};
    const DWORD begin = GetTickCount();
    while (search.box == nullptr && GetTickCount() - begin < limitMs) {
        EnumWindows(
            [](HWND window, LPARAM context) CALLBACK -> BOOL {
                auto* s = reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char className[32] = {}, title[64] = {};
                GetClassNameA(window, className, sizeof(className));
                GetWindowTextA(window, title, sizeof(title));
                if (owner != s->processId || std::string(className) != "#32770" || title[0] == '\0') return TRUE;
                // The longest static text is the message (the other one holds the icon).
                std::string text;
                EnumChildWindows(
                    window,
                    [](HWND child, LPARAM textContext) CALLBACK -> BOOL {
                        char childClass[32] = {}, content[256] = {};
                        GetClassNameA(child, childClass, sizeof(childClass));
                        GetWindowTextA(child, content, sizeof(content));
                        auto* longest = reinterpret_cast<std::string*>(textContext);
                        if (lstrcmpiA(childClass, "Static") == 0 && std::string(content).size() > longest->size()) {
                            *longest = content;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&text));
                if (text.empty()) return TRUE;
                s->box = window;
                s->seen = std::string(title) + ": " + text;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.box == nullptr) Sleep(20);
    }
    if (search.box != nullptr) PostMessageA(search.box, WM_COMMAND, IDOK, 0);
    return search.seen;
}

class Registration : public ::testing::Test {
protected:
    // The rig's own registration (the installed copy) is put back after every test.
    void TearDown() override { RunRegsvr32(std::string("/s ") + kInstalledDriver); }
};

TEST_F(Registration, RegisteringWritesTheClassAndTheAsioListEntry)
{
    const std::string built = BuiltDriverPath();
    ASSERT_EQ(RunRegsvr32("/s \"" + built + "\""), 0u);
    std::string text;
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, kClassKey, nullptr, text));
    EXPECT_EQ(text, rkx::test::kAsioDriverName);
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, kServerKey, nullptr, text));
    EXPECT_EQ(text, Lower(built)) << "the module path is stored in lower case";
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel", text));
    EXPECT_EQ(text, "Apartment");
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kAsioKey, "CLSID", text));
    EXPECT_EQ(text, rkx::test::kAsioClassIdText);
    ASSERT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kAsioKey, "Description", text));
    EXPECT_EQ(text, rkx::test::kAsioDriverName);
}

TEST_F(Registration, SecondRegistrationFromTheSamePathKeepsClassKeysAndRewritesTheAsioKey)
{
    const std::string built = BuiltDriverPath();
    ASSERT_EQ(RunRegsvr32("/s \"" + built + "\""), 0u);
    WriteMarker(HKEY_CLASSES_ROOT, kClassKey);
    WriteMarker(HKEY_LOCAL_MACHINE, kAsioKey);
    ASSERT_EQ(RunRegsvr32("/s \"" + built + "\""), 0u);
    std::string text;
    EXPECT_TRUE(ReadString(HKEY_CLASSES_ROOT, kClassKey, "Marker", text)) << "class keys left as they are";
    EXPECT_FALSE(ReadString(HKEY_LOCAL_MACHINE, kAsioKey, "Marker", text)) << "ASIO key written anew";
    EXPECT_TRUE(ReadString(HKEY_LOCAL_MACHINE, kAsioKey, "CLSID", text));
}

TEST_F(Registration, RegistrationFromAnotherPathReplacesTheClassKeys)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "asio-other-path";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\" + kDriverFile;
    ASSERT_TRUE(CopyFileA(BuiltDriverPath().c_str(), copy.c_str(), FALSE));

    ASSERT_EQ(RunRegsvr32("/s \"" + BuiltDriverPath() + "\""), 0u);
    WriteMarker(HKEY_CLASSES_ROOT, kClassKey);
    ASSERT_EQ(RunRegsvr32("/s \"" + copy + "\""), 0u);
    std::string text;
    EXPECT_FALSE(ReadString(HKEY_CLASSES_ROOT, kClassKey, "Marker", text)) << "old class keys deleted";
    ASSERT_TRUE(ReadString(HKEY_CLASSES_ROOT, kServerKey, nullptr, text));
    EXPECT_EQ(text, Lower(copy));
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(Registration, UnregisteringRemovesBothKeysAndSucceedsWhenNothingIsRegistered)
{
    const std::string built = "\"" + BuiltDriverPath() + "\"";
    ASSERT_EQ(RunRegsvr32("/s " + built), 0u);
    ASSERT_EQ(RunRegsvr32("/s /u " + built), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAsioKey));
    EXPECT_EQ(RunRegsvr32("/s /u " + built), 0u) << "nothing registered is not a failure";
}

// When the driver's entry cannot be created in the ASIO list a host would never find the
// driver: the registration must say it failed, with its message box, not report success.
// A volatile list key refuses the lasting subkey the registration creates.
TEST_F(Registration, RegistrationThatCannotWriteTheAsioListReportsFailure)
{
    const std::string built = BuiltDriverPath();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO");
    HKEY volatileList = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &volatileList, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileList);

    std::string command = "regsvr32.exe /s \"" + built + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    const std::string box = DismissMessageBox(process.dwProcessId, 30000);
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(box, std::string(rkx::test::kAsioKeyName) + ": Register Server failed ! (-105)");
    EXPECT_NE(code, 0u) << "regsvr32 was told the registration succeeded";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAsioKey));

    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO");
    EXPECT_EQ(RunRegsvr32("/s \"" + built + "\""), 0u) << "registers again once the list can take it";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAsioKey));
}

TEST_F(Registration, HostsCreateTheInstalledDriverByClassId)
{
    ASSERT_EQ(RunRegsvr32(std::string("/s ") + kInstalledDriver), 0u);
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    void* out = nullptr;
    const HRESULT created = CoCreateInstance(kDriverClassId, nullptr, CLSCTX_INPROC_SERVER, kDriverClassId, &out);
    ASSERT_EQ(created, S_OK);
    auto* driver = static_cast<IASIO*>(out);
    char name[32] = {};
    driver->getDriverName(name);
    EXPECT_STREQ(name, rkx::test::kAsioDriverName);
    driver->Release();
    CoUninitialize();
}

}  // namespace
}  // namespace rkx::asio::test
