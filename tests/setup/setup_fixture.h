// Fixture of the library tests: the rig is reset and the current user's settings removed
// before and after each test; helpers read and plant stored values.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "include/rkx_t2_setup.h"
#include "tests/virtualmixer/rig_fixture.h"

namespace rkx::setup::test {

constexpr int kProduct = QVR_PRODUCT_RKX_T2;
constexpr wchar_t kSettingsPath[] = L"Software\\Korvane\\RKX-T2";
// The current user's hive under HKEY_USERS on this rig.
constexpr wchar_t kRigUserSid[] = L"S-1-5-21-0-0-0-1000";

class SetupTest : public rkx::vmix::test::RigTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Removes "Software\Korvane\RKX-T2" under `root`.
void DeleteSettings(HKEY root = HKEY_CURRENT_USER);
// A stored DWORD, nothing when the value (or key) is absent or not a DWORD.
std::optional<DWORD> StoredDword(const wchar_t* name, HKEY root = HKEY_CURRENT_USER);
bool SettingsKeyExists(HKEY root, const wchar_t* subkey);
// Plants a value of any type and size.
void PlantValue(const wchar_t* name, DWORD type, const void* data, DWORD bytes, HKEY root = HKEY_CURRENT_USER);
void PlantDword(const wchar_t* name, DWORD value, HKEY root = HKEY_CURRENT_USER);

std::string Narrow(const wchar_t* text);

}  // namespace rkx::setup::test
