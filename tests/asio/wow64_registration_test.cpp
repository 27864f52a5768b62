// The 32-bit driver's registration as the installer leaves it: the keys its own
// DllRegisterServer writes from a 32-bit process, in the 32-bit registry views. The installer
// stores strings with their terminating zero and the server path as Windows Installer resolves
// it; readers take either form, so neither is pinned here (tests/installer compares the rows
// with what DllRegisterServer writes).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace rkx::asio::test {
namespace {

constexpr char kClassId32[] = "{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}";

struct StoredString {
    bool found = false;
    DWORD type = 0;
    std::wstring text;
};

StoredString Read(HKEY root, const std::string& path, const wchar_t* value, REGSAM view = 0)
{
    StoredString stored;
    HKEY key = nullptr;
    const std::wstring widePath(path.begin(), path.end());
    if (RegOpenKeyExW(root, widePath.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return stored;
    wchar_t buffer[400] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (RegQueryValueExW(key, value, nullptr, &stored.type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS) {
        stored.found = true;
        stored.text.assign(buffer, size / sizeof(wchar_t));
        while (!stored.text.empty() && stored.text.back() == L'\0') stored.text.pop_back();
    }
    RegCloseKey(key);
    return stored;
}

void ExpectWrittenAsRegistration(const StoredString& stored, const wchar_t* text)
{
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.type, DWORD(REG_SZ));
    EXPECT_EQ(stored.text, std::wstring(text));
}

void ExpectServerPath(const StoredString& stored, const wchar_t* path)
{
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.type, DWORD(REG_SZ));
    EXPECT_EQ(CompareStringOrdinal(stored.text.c_str(), -1, path, -1, TRUE), CSTR_EQUAL)
        << std::string(stored.text.begin(), stored.text.end());
}

TEST(InstalledRegistration, ThirtyTwoBitDriverIsListedInTheThirtyTwoBitViews)
{
    const std::string classKey = std::string("Wow6432Node\\CLSID\\") + kClassId32;
    {
        SCOPED_TRACE("class key");
        ExpectWrittenAsRegistration(Read(HKEY_CLASSES_ROOT, classKey, nullptr), L"RKX-T2 ASIO");
    }
    {
        SCOPED_TRACE("InprocServer32");
        ExpectServerPath(Read(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", nullptr),
                         L"c:\\windows\\syswow64\\rkx-t2_asio.dll");
        ExpectWrittenAsRegistration(Read(HKEY_CLASSES_ROOT, classKey + "\\InprocServer32", L"ThreadingModel"),
                                    L"Apartment");
        EXPECT_NE(GetFileAttributesW(L"c:\\windows\\syswow64\\rkx-t2_asio.dll"), INVALID_FILE_ATTRIBUTES)
            << "the registered server is installed there";
    }
    {
        SCOPED_TRACE("ASIO list");
        const std::string asioKey = "SOFTWARE\\Wow6432Node\\ASIO\\RKX-T2 ASIO";
        ExpectWrittenAsRegistration(Read(HKEY_LOCAL_MACHINE, asioKey, L"CLSID"), L"{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}");
        ExpectWrittenAsRegistration(Read(HKEY_LOCAL_MACHINE, asioKey, L"Description"), L"RKX-T2 ASIO");
    }
    {
        SCOPED_TRACE("a 32-bit host's view of the ASIO list");
        ExpectWrittenAsRegistration(Read(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO\\RKX-T2 ASIO", L"CLSID", KEY_WOW64_32KEY),
                                    L"{2E7F4B90-C1A6-4D3E-8B25-6F09D4C8A172}");
    }
    // Neither build's entries leak into the other's view.
    EXPECT_FALSE(Read(HKEY_LOCAL_MACHINE, "SOFTWARE\\ASIO\\RKX-T2 ASIO", L"CLSID").found);
    EXPECT_FALSE(Read(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\ASIO\\RKX-T2 ASIO 64bit", L"CLSID").found);
}

}  // namespace
}  // namespace rkx::asio::test
