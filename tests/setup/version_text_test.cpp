// Version texts of the installed files and the installation's display version.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/setup/moved_aside.h"
#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RKX-T2";

// Restores "DisplayVersion" as the installation left it.
class InstallerVersion : public SetupTest {
protected:
    void SetUp() override
    {
        SetupTest::SetUp();
        wchar_t text[512] = {};
        DWORD bytes = sizeof(text);
        saved_ = RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", RRF_RT_REG_SZ, nullptr, text, &bytes) ==
                 ERROR_SUCCESS;
        if (saved_) original_ = text;
    }
    void TearDown() override
    {
        if (saved_) Plant(REG_SZ, original_.c_str(), static_cast<DWORD>((original_.size() + 1) * sizeof(wchar_t)));
        SetupTest::TearDown();
    }
    void Plant(DWORD type, const void* data, DWORD bytes)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", type, data, bytes), ERROR_SUCCESS);
    }
    bool saved_ = false;
    std::wstring original_;
};

TEST_F(InstallerVersion, InstalledLibraryAndDriverReportTheirProductVersion)
{
    const wchar_t* text = nullptr;
    ASSERT_EQ(QVR_GetLibraryVersionText(kProduct, &text), 100);
    EXPECT_STREQ(text, L"1.110");
    // The kernel driver in System32\Drivers: RKX-T2Audio64.sys on 64-bit Windows, RKX-T2Audio.sys
    // on 32-bit Windows (the rig's stand-in carries product version 1.200).
    ASSERT_EQ(QVR_GetDriverVersionText(kProduct, &text), 100);
    EXPECT_STREQ(text, L"1.200");
}

// File version of an installed file as "major.minor.build.private".
std::string InstalledFileVersion(const wchar_t* relative)
{
    wchar_t path[MAX_PATH] = {};
    ExpandEnvironmentStringsW((std::wstring(L"%SystemRoot%\\") + relative).c_str(), path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return "missing";
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT bytes = 0;
    if (!GetFileVersionInfoW(path, 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytes) || fixed == nullptr)
        return "unreadable";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

TEST_F(InstallerVersion, TheLibrariesAreInstalledWhereTheirReadersLook)
{
    if (sizeof(void*) == 8) {
        EXPECT_EQ(InstalledFileVersion(L"System32\\RKX-T2_Setup64.dll"), "1.100.0.0");
        EXPECT_EQ(InstalledFileVersion(L"SysWOW64\\RKX-T2_Setup.dll"), "1.0.0.0");
    } else {
        // A 32-bit Windows has the 32-bit library alone, in its one System32.
        EXPECT_EQ(InstalledFileVersion(L"System32\\RKX-T2_Setup.dll"), "1.0.0.0");
        EXPECT_EQ(InstalledFileVersion(L"System32\\RKX-T2_Setup64.dll"), "missing");
    }
}

TEST_F(InstallerVersion, MissingUtilityGivesNullText)
{
    const wchar_t* text = nullptr;
    ASSERT_EQ(QVR_GetUtilityVersionText(kProduct, &text), 100) << "the package's utility is not where the library looks";
    // The package always installs the utility: it is taken away for this test and put back.
    FileMovedAside utility(ExpandedPath(L"%ProgramFiles%\\Korvane\\RKX-T2\\RKX-T2_Config.exe"));
    ASSERT_TRUE(utility.moved()) << "error " << GetLastError();
    text = L"left";
    EXPECT_EQ(QVR_GetUtilityVersionText(kProduct, &text), 102);
    EXPECT_EQ(text, nullptr);
}

TEST_F(InstallerVersion, DisplayVersionIsReturnedUnchanged)
{
    const std::wstring kTexts[] = {L"2.0.1", L"1.110", L"", L"beta 3 (test)", std::wstring(127, L'9')};
    for (const auto& version : kTexts) {
        Plant(REG_SZ, version.c_str(), static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
        const wchar_t* text = nullptr;
        ASSERT_EQ(QVR_GetInstallerVersionText(kProduct, &text), 100) << Narrow(version.c_str());
        EXPECT_EQ(std::wstring(text), version);
    }
}

TEST_F(InstallerVersion, OverlongUnterminatedOrForeignValuesAreSafe)
{
    const std::wstring tooLong(128, L'7');  // 258 bytes with the terminator
    Plant(REG_SZ, tooLong.c_str(), static_cast<DWORD>((tooLong.size() + 1) * sizeof(wchar_t)));
    const wchar_t* text = L"before";
    EXPECT_EQ(QVR_GetInstallerVersionText(kProduct, &text), 102);
    EXPECT_STREQ(text, L"before");

    const std::wstring huge(100000, L'x');
    Plant(REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(QVR_GetInstallerVersionText(kProduct, &text), 102);

    // A string stored without its terminator.
    const std::wstring full(127, L'5');
    Plant(REG_SZ, full.c_str(), static_cast<DWORD>(full.size() * sizeof(wchar_t)));
    ASSERT_EQ(QVR_GetInstallerVersionText(kProduct, &text), 100);
    EXPECT_EQ(std::wstring(text), full);

    const DWORD number = 2;
    Plant(REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(QVR_GetInstallerVersionText(kProduct, &text), 102);

    ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), ERROR_SUCCESS);
    EXPECT_EQ(QVR_GetInstallerVersionText(kProduct, &text), 102);
}

}  // namespace
}  // namespace rkx::setup::test
