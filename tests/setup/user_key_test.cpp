// The user key of the setters and getters whose names end in 2: only a user's SID names a
// settings root, and reading needs no more than read rights.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/setup/setup_fixture.h"
#include "tests/support/registry.h"

namespace rkx::setup::test {
namespace {

using UserKey = SetupTest;


std::optional<DWORD> DwordAt(HKEY root, const std::wstring& path, const wchar_t* name)
{
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// "Level" 1 and "Input2" 0 stored under "<root>\Software\Korvane\RKX-T2" of HKEY_USERS, and
// the outermost key that did not exist before removed again afterwards.
class PlantedProfile {
public:
    explicit PlantedProfile(std::wstring root) : root_(std::move(root))
    {
        const std::wstring parts[] = {root_, root_ + L"\\Software", root_ + L"\\Software\\Korvane", settings()};
        for (const auto& part : parts) {
            if (!rkx::test::RegistryKeyExists(HKEY_USERS, part)) {
                created_ = part;
                break;
            }
        }
        const DWORD level = 1, input2 = 0;
        planted_ = RegSetKeyValueW(HKEY_USERS, settings().c_str(), L"Level", REG_DWORD, &level, sizeof level) ==
                       ERROR_SUCCESS &&
                   RegSetKeyValueW(HKEY_USERS, settings().c_str(), L"Input2", REG_DWORD, &input2, sizeof input2) ==
                       ERROR_SUCCESS;
    }
    ~PlantedProfile()
    {
        if (!created_.empty()) RegDeleteTreeW(HKEY_USERS, created_.c_str());
        else RegDeleteTreeW(HKEY_USERS, settings().c_str());
    }
    PlantedProfile(const PlantedProfile&) = delete;
    PlantedProfile& operator=(const PlantedProfile&) = delete;

    bool planted() const { return planted_; }
    std::wstring settings() const { return root_ + L"\\Software\\Korvane\\RKX-T2"; }

private:
    std::wstring root_;
    std::wstring created_;
    bool planted_ = false;
};

int g_boostAnnouncements = 0;
int QVR_CALL CountBoost(int, QVR_USER_VALUE)
{
    ++g_boostAnnouncements;
    return 0;
}

TEST_F(UserKey, KeysNamingNoUserReadNoProfileAndSettersRefuseThem)
{
    // Settings where the keys below would lead: the default profile, the system's profile and
    // the current user's own hive (reached through a relative path).
    PlantedProfile defaultProfile(L".DEFAULT");
    PlantedProfile systemProfile(L"S-1-5-18");
    PlantedProfile below(std::wstring(kRigUserSid) + L"\\Software");
    ASSERT_TRUE(defaultProfile.planted() && systemProfile.planted() && below.planted());
    PlantDword(L"Level", 1);
    ASSERT_TRUE(rig.ClearStats());
    g_boostAnnouncements = 0;
    ASSERT_EQ(QVR_RegisterBoostLevelChangedCallback(kProduct, CountBoost, 0), 100);

    const std::wstring kKeys[] = {
        L".DEFAULT", L"S-1-5-18", L"S-1-5-19", std::wstring(kRigUserSid) + L"\\Software",
        std::wstring(kRigUserSid) + L"_Classes", std::wstring(L"..\\") + kRigUserSid, L"",
        std::wstring(L"s") + (kRigUserSid + 1), std::wstring(300, L'S'), std::wstring(70000, L'x'),
    };
    for (const auto& key : kKeys) {
        SCOPED_TRACE(Narrow(key.substr(0, 40).c_str()));
        int value = -1;
        ASSERT_EQ(QVR_GetCurrentBoostLevelIndex2(kProduct, &value, key.c_str()), 100);
        EXPECT_EQ(value, 3) << "read another profile";
        ASSERT_EQ(QVR_GetCurrentUSBOutputAudioIndex2(kProduct, 1, &value, key.c_str()), 100);
        EXPECT_EQ(value, 1) << "read another profile";
        ASSERT_EQ(QVR_GetCurrentUSBInputAudioIndex2(kProduct, 0, &value, key.c_str()), 100);
        EXPECT_EQ(value, 0);
        EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 2, key.c_str(), 1), 102);
        EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, 0, 3, key.c_str(), 1), 102);
        EXPECT_EQ(QVR_SetUSBOutputAudio2(kProduct, 0, 2, key.c_str(), 1), 102);
    }
    QVR_UnregisterBoostLevelChangedCallback(kProduct);

    for (const PlantedProfile* profile : {&defaultProfile, &systemProfile, &below}) {
        EXPECT_EQ(DwordAt(HKEY_USERS, profile->settings(), L"Level"), 1u);
        EXPECT_EQ(DwordAt(HKEY_USERS, profile->settings(), L"Output1"), std::nullopt);
        EXPECT_EQ(DwordAt(HKEY_USERS, profile->settings(), L"Input1"), std::nullopt);
    }
    EXPECT_EQ(StoredDword(L"Level"), 1u);
    EXPECT_EQ(g_boostAnnouncements, 0) << "a refused change was announced";
    auto journal = std::make_unique<VmixJournal>();
    ASSERT_TRUE(rig.GetJournal(*journal));
    EXPECT_EQ(journal->count, 0u) << "a refused change reached the mixer";
}

// A security descriptor whose DACL grants everyone `access` and nothing more.
class OnlyAccessFor {
public:
    explicit OnlyAccessFor(DWORD access)
    {
        EXPLICIT_ACCESS_W grant{};
        grant.grfAccessPermissions = access;
        grant.grfAccessMode = SET_ACCESS;
        grant.grfInheritance = NO_INHERITANCE;
        grant.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        grant.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        grant.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
        ok_ = SetEntriesInAclW(1, &grant, nullptr, &acl_) == ERROR_SUCCESS &&
              InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
              SetSecurityDescriptorDacl(&descriptor_, TRUE, acl_, FALSE);
    }
    ~OnlyAccessFor() { LocalFree(acl_); }
    OnlyAccessFor(const OnlyAccessFor&) = delete;
    OnlyAccessFor& operator=(const OnlyAccessFor&) = delete;
    bool ok() const { return ok_; }
    // Applies the descriptor to HKEY_USERS\path; `open` is what the current DACL allows.
    bool ApplyTo(const std::wstring& path, REGSAM open)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_USERS, path.c_str(), 0, open, &key) != ERROR_SUCCESS) return false;
        const bool set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor_) == ERROR_SUCCESS;
        RegCloseKey(key);
        return set;
    }

private:
    PACL acl_ = nullptr;
    SECURITY_DESCRIPTOR descriptor_{};
    bool ok_ = false;
};

TEST_F(UserKey, GettersReadSettingsTheCallerMayOnlyRead)
{
    constexpr wchar_t kUser[] = L"S-1-5-21-7-7-7-7003";
    RegDeleteTreeW(HKEY_USERS, kUser);
    PlantedProfile profile(kUser);
    ASSERT_TRUE(profile.planted());
    const DWORD output1 = 4;
    ASSERT_EQ(RegSetKeyValueW(HKEY_USERS, profile.settings().c_str(), L"Output1", REG_DWORD, &output1, sizeof output1),
              ERROR_SUCCESS);
    // Read rights on the settings and on the hive itself; keeping the right to change the
    // rights and to delete lets the test clean up.
    constexpr DWORD kKeep = WRITE_DAC | DELETE;
    OnlyAccessFor readOnly(KEY_READ | kKeep);
    ASSERT_TRUE(readOnly.ok());
    ASSERT_TRUE(readOnly.ApplyTo(profile.settings(), WRITE_DAC));
    ASSERT_TRUE(readOnly.ApplyTo(kUser, WRITE_DAC));
    HKEY probe = nullptr;
    ASSERT_NE(RegOpenKeyExW(HKEY_USERS, profile.settings().c_str(), 0, KEY_ALL_ACCESS, &probe), ERROR_SUCCESS)
        << "the rights do not hold on this system";

    int value = -1;
    EXPECT_EQ(QVR_GetCurrentBoostLevelIndex2(kProduct, &value, kUser), 100);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(QVR_GetCurrentUSBOutputAudioIndex2(kProduct, 1, &value, kUser), 100);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(QVR_GetCurrentUSBInputAudioIndex2(kProduct, 0, &value, kUser), 100);
    EXPECT_EQ(value, 4);

    OnlyAccessFor full(KEY_ALL_ACCESS);
    EXPECT_TRUE(full.ApplyTo(kUser, WRITE_DAC));
    EXPECT_TRUE(full.ApplyTo(profile.settings(), WRITE_DAC));
}

}  // namespace
}  // namespace rkx::setup::test
