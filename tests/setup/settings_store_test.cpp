// The per-user settings store: defaults, read limits, odd values, other users' hives.
#include <gtest/gtest.h>

#include <functional>

#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

using SettingsStore = SetupTest;

struct Getter {
    const char* name;
    const wchar_t* value;
    uint32_t limit;
    int fallback;
    std::function<int(int*, const wchar_t*)> read;
};

std::vector<Getter> Getters()
{
    auto input = [](int channel) {
        return [channel](int* out, const wchar_t* key) { return QVR_GetCurrentUSBInputAudioIndex2(kProduct, channel, out, key); };
    };
    auto output = [](int channel) {
        return [channel](int* out, const wchar_t* key) { return QVR_GetCurrentUSBOutputAudioIndex2(kProduct, channel, out, key); };
    };
    return {
        {"input 0", L"Output1", 8, 0, input(0)},
        {"input 1", L"Output2", 8, 0, input(1)},
        {"input 2", L"Output3", 7, 0, input(2)},
        {"input 3", L"Output4", 7, 0, input(3)},
        {"output 0", L"Input1", 3, 0, output(0)},
        {"output 1", L"Input2", 3, 1, output(1)},
        {"output 2", L"Input3", 3, 2, output(2)},
        {"boost", L"Level", 4, 3, [](int* out, const wchar_t* key) { return QVR_GetCurrentBoostLevelIndex2(kProduct, out, key); }},
    };
}

int Read(const Getter& getter, const wchar_t* key = nullptr)
{
    int value = -99;
    EXPECT_EQ(getter.read(&value, key), 100) << getter.name;
    return value;
}

TEST_F(SettingsStore, NothingStoredGivesEachDefault)
{
    for (const auto& getter : Getters()) EXPECT_EQ(Read(getter), getter.fallback) << getter.name;
    int value = -1;
    ASSERT_EQ(QVR_GetCurrentUSBOutputAudioIndex(kProduct, 3, &value), 100);
    EXPECT_EQ(value, 3);
}

TEST_F(SettingsStore, StoredValueCountsOnlyBelowItsChannelsLimit)
{
    for (const auto& getter : Getters()) {
        PlantDword(getter.value, getter.limit - 1);
        EXPECT_EQ(Read(getter), static_cast<int>(getter.limit - 1)) << getter.name;
        for (DWORD tooLarge : {getter.limit, getter.limit + 1, 0xFFFFFFFFu}) {
            PlantDword(getter.value, tooLarge);
            EXPECT_EQ(Read(getter), getter.fallback) << getter.name << " " << tooLarge;
        }
    }
}

TEST_F(SettingsStore, ValuesOfTheWrongTypeOrSizeReadAsDefaults)
{
    const uint8_t oneByte[1] = {1};
    const uint8_t eightBytes[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    const wchar_t text[] = L"1";  // 4 bytes with its terminator, the size of a DWORD
    const DWORD one = 1;
    const struct {
        const char* name;
        DWORD type;
        const void* data;
        DWORD bytes;
    } kCases[] = {
        {"one byte", REG_DWORD, oneByte, 1},
        {"eight bytes", REG_BINARY, eightBytes, 8},
        {"qword", REG_QWORD, eightBytes, 8},
        {"string of four bytes", REG_SZ, text, sizeof(text)},
        {"binary of four bytes", REG_BINARY, &one, 4},
        {"empty", REG_DWORD, nullptr, 0},
        {"long string", REG_SZ, L"a much longer text than any DWORD could hold", 90},
    };
    for (const auto& getter : Getters()) {
        for (const auto& c : kCases) {
            PlantValue(getter.value, c.type, c.data, c.bytes);
            EXPECT_EQ(Read(getter), getter.fallback) << getter.name << ": " << c.name;
        }
    }
}

TEST_F(SettingsStore, SettersStoreDwordsUnderTheCurrentUser)
{
    ASSERT_TRUE(rig.SetPlugged(0, false));
    EXPECT_EQ(QVR_SetBoostLevelIndex(kProduct, 2), 100);
    EXPECT_EQ(StoredDword(L"Level"), 2u);
    EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, 1, 6, nullptr, 0), 100);
    EXPECT_EQ(StoredDword(L"Output2"), 6u);
    EXPECT_EQ(QVR_SetUSBOutputAudio2(kProduct, 2, 0, nullptr, 0), 100);
    EXPECT_EQ(StoredDword(L"Input3"), 0u);
    EXPECT_EQ(QVR_SetBoostLevelIndex(kProduct, 4), 102);
    EXPECT_EQ(StoredDword(L"Level"), 2u);
    EXPECT_EQ(StoredDword(L"Output4"), std::nullopt);
}

TEST_F(SettingsStore, InputChannel2AcceptsIndex7ButReadsItBackAsDefault)
{
    EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, 2, 7, nullptr, 0), 100);
    EXPECT_EQ(StoredDword(L"Output3"), 7u);
    int value = -1;
    ASSERT_EQ(QVR_GetCurrentUSBInputAudioIndex(kProduct, 2, &value), 100);
    EXPECT_EQ(value, 0);
}

TEST_F(SettingsStore, UserKeyNamesTheHiveUnderHkeyUsers)
{
    EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 1, kRigUserSid, 0), 100);
    // On the rig that hive is the current user's.
    EXPECT_EQ(StoredDword(L"Level"), 1u);
    int value = -1;
    ASSERT_EQ(QVR_GetCurrentBoostLevelIndex2(kProduct, &value, kRigUserSid), 100);
    EXPECT_EQ(value, 1);
}

// A user who is not logged on: a well-formed key whose hive is absent.
TEST_F(SettingsStore, AbsentUserHiveReadsDefaultsAndWritesNothing)
{
    PlantDword(L"Level", 1);
    PlantDword(L"Input2", 0);
    const std::wstring kKeys[] = {L"S-1-5-21-9-9-9-4242", L"S-1-12-1-1-2-3-4"};
    for (const auto& key : kKeys) {
        SCOPED_TRACE(Narrow(key.c_str()));
        int value = -1;
        ASSERT_EQ(QVR_GetCurrentBoostLevelIndex2(kProduct, &value, key.c_str()), 100);
        EXPECT_EQ(value, 3);
        ASSERT_EQ(QVR_GetCurrentUSBOutputAudioIndex2(kProduct, 1, &value, key.c_str()), 100);
        EXPECT_EQ(value, 1);
        EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 0, key.c_str(), 0), 100);
        EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, 0, 3, key.c_str(), 0), 100);
        EXPECT_EQ(StoredDword(L"Level"), 1u);
        EXPECT_EQ(StoredDword(L"Output1"), std::nullopt);
    }
}

// A hive of our own under HKEY_USERS, removed afterwards.
class ForeignHive {
public:
    explicit ForeignHive(const wchar_t* name) : name_(name)
    {
        RegDeleteTreeW(HKEY_USERS, name_);
        HKEY key = nullptr;
        created_ = RegCreateKeyExW(HKEY_USERS, name_, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS;
        if (created_) RegCloseKey(key);
    }
    ~ForeignHive() { RegDeleteTreeW(HKEY_USERS, name_); }
    bool created() const { return created_; }
    std::wstring Path(const wchar_t* below) const { return std::wstring(name_) + L"\\" + below; }

private:
    const wchar_t* name_;
    bool created_ = false;
};

TEST_F(SettingsStore, WithoutSoftwareUnderTheRootSettersWriteNothing)
{
    ForeignHive hive(L"S-1-5-21-7-7-7-7001");
    ASSERT_TRUE(hive.created());
    EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 1, L"S-1-5-21-7-7-7-7001", 0), 100);
    EXPECT_EQ(QVR_SetUSBOutputAudio2(kProduct, 0, 2, L"S-1-5-21-7-7-7-7001", 0), 100);
    EXPECT_FALSE(SettingsKeyExists(HKEY_USERS, hive.Path(L"SOFTWARE").c_str()));
    EXPECT_FALSE(SettingsKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

TEST_F(SettingsStore, WithSoftwareTheMakerAndModelKeysAreCreated)
{
    ForeignHive hive(L"S-1-5-21-7-7-7-7002");
    ASSERT_TRUE(hive.created());
    HKEY software = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_USERS, hive.Path(L"SOFTWARE").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &software, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(software);
    EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 1, L"S-1-5-21-7-7-7-7002", 0), 100);
    HKEY users = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, L"S-1-5-21-7-7-7-7002", 0, KEY_READ, &users), ERROR_SUCCESS);
    EXPECT_EQ(StoredDword(L"Level", users), 1u);
    int value = -1;
    ASSERT_EQ(QVR_GetCurrentBoostLevelIndex2(kProduct, &value, L"S-1-5-21-7-7-7-7002"), 100);
    EXPECT_EQ(value, 1);
    RegCloseKey(users);
    EXPECT_FALSE(SettingsKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

}  // namespace
}  // namespace rkx::setup::test
