#include "app/user_registry.h"

#include "common/package_names.h"

namespace config {

rkx::UniqueKey UserRoot::Open() const
{
    if (userSid.empty()) return rkx::UniqueKey(HKEY_CURRENT_USER);
    rkx::UniqueKey key;
    if (RegOpenKeyExW(HKEY_USERS, userSid.c_str(), 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

std::optional<DWORD> ReadSettingsDword(HKEY root, const wchar_t* name)
{
    if (root == nullptr) return std::nullopt;
    DWORD value = 0;
    DWORD size = sizeof value;
    // A value of the right type but not four bytes long is garbage, not a number.
    if (RegGetValueW(root, rkx::names::kSettingsKeyPathW, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
            ERROR_SUCCESS ||
        size != sizeof value)
        return std::nullopt;
    if (value == kMissingValue) return std::nullopt;
    return value;
}

rkx::UniqueKey CreateSettingsKey(HKEY root)
{
    rkx::UniqueKey software;
    if (root == nullptr ||
        RegOpenKeyExW(root, rkx::names::kSoftwareKeyW, 0, KEY_ALL_ACCESS, software.receive()) != ERROR_SUCCESS)
        return {};
    rkx::UniqueKey maker;
    if (RegCreateKeyExW(software.get(), rkx::names::kMakerKeyW, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, maker.receive(),
                        nullptr) != ERROR_SUCCESS)
        return {};
    rkx::UniqueKey model;
    if (RegCreateKeyExW(maker.get(), rkx::names::kModelKeyW, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, model.receive(),
                        nullptr) != ERROR_SUCCESS)
        return {};
    return model;
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value)
{
    return key != nullptr &&
           RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

}  // namespace config
