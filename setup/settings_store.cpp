#include "setup/settings_store.h"

#include "common/package_names.h"
#include "common/unique_registry_key.h"
#include "common/user_sid.h"

namespace rkx::setup {
namespace {

// The root, or nothing when the user key names no user or that user's hive cannot be opened
// with `access`.
UniqueKey OpenSettingsRoot(const wchar_t* userKey, REGSAM access)
{
    if (userKey == nullptr) return UniqueKey(HKEY_CURRENT_USER);
    UniqueKey root;
    if (!IsUsableUserKey(userKey) || RegOpenKeyExW(HKEY_USERS, userKey, 0, access, root.receive()) != ERROR_SUCCESS)
        root.reset();
    return root;
}

// Only a REG_DWORD of exactly four bytes is a stored setting; anything else reads as absent.
bool QueryDword(HKEY key, const wchar_t* name, uint32_t& value)
{
    DWORD type = 0;
    DWORD data = 0;
    DWORD bytes = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || bytes != sizeof(data)) return false;
    value = data;
    return true;
}

}  // namespace

bool IsUsableUserKey(const wchar_t* userKey) { return userKey == nullptr || IsUserSid(userKey); }

uint32_t ReadSetting(const wchar_t* userKey, const wchar_t* name, uint32_t limit, uint32_t fallback)
{
    // Reading needs no more than read rights: a caller allowed only to read still sees the values.
    UniqueKey root = OpenSettingsRoot(userKey, KEY_READ);
    if (!root) return fallback;
    UniqueKey settings;
    if (RegOpenKeyExW(root.get(), names::kSettingsKeyPathW, 0, KEY_READ, settings.receive()) != ERROR_SUCCESS)
        return fallback;
    uint32_t value = 0;
    if (!QueryDword(settings.get(), name, value) || value >= limit) return fallback;
    return value;
}

void WriteSetting(const wchar_t* userKey, const wchar_t* name, uint32_t value)
{
    UniqueKey root = OpenSettingsRoot(userKey, KEY_ALL_ACCESS);
    if (!root) return;
    UniqueKey software;
    if (RegOpenKeyExW(root.get(), names::kSoftwareKeyW, 0, KEY_ALL_ACCESS, software.receive()) != ERROR_SUCCESS) return;
    UniqueKey maker;
    if (RegCreateKeyExW(software.get(), names::kMakerKeyW, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        maker.receive(), nullptr) != ERROR_SUCCESS)
        return;
    UniqueKey model;
    if (RegCreateKeyExW(maker.get(), names::kModelKeyW, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        model.receive(), nullptr) != ERROR_SUCCESS)
        return;
    const DWORD data = value;
    RegSetValueExW(model.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
}

uint32_t ReadMachineSetting(const wchar_t* name, uint32_t fallback)
{
    UniqueKey settings;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, names::kSettingsKeyPathW, 0, KEY_READ, settings.receive()) != ERROR_SUCCESS)
        return fallback;
    uint32_t value = 0;
    return QueryDword(settings.get(), name, value) ? value : fallback;
}

}  // namespace rkx::setup
