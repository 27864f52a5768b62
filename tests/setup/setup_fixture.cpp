#include "tests/setup/setup_fixture.h"
#include "tests/support/registry.h"
#include "tests/support/text.h"

#include <gtest/gtest.h>

namespace rkx::setup::test {

void SetupTest::SetUp()
{
    RigTest::SetUp();
    DeleteSettings();
}

void SetupTest::TearDown()
{
    DeleteSettings();
    RigTest::TearDown();
}

void DeleteSettings(HKEY root) { RegDeleteTreeW(root, kSettingsPath); }

std::optional<DWORD> StoredDword(const wchar_t* name, HKEY root)
{
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    DWORD type = 0;
    if (RegGetValueW(root, kSettingsPath, name, RRF_RT_ANY, &type, &value, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_DWORD) return std::nullopt;
    return value;
}

bool SettingsKeyExists(HKEY root, const wchar_t* subkey)
{
    return rkx::test::RegistryKeyExists(root, subkey);
}

void PlantValue(const wchar_t* name, DWORD type, const void* data, DWORD bytes, HKEY root)
{
    ASSERT_EQ(RegSetKeyValueW(root, kSettingsPath, name, type, data, bytes), ERROR_SUCCESS);
}

void PlantDword(const wchar_t* name, DWORD value, HKEY root) { PlantValue(name, REG_DWORD, &value, sizeof(value), root); }

std::string Narrow(const wchar_t* text) { return text == nullptr ? "(null)" : rkx::test::Utf8(text); }

}  // namespace rkx::setup::test
