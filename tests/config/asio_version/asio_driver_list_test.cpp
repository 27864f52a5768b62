// The installed-driver list read from a list and a class table of the test's own, with the
// real 64-bit driver (registered by the installation) as the one creatable class.
#include "asio_drivers/asio_drivers.h"
#include "tests/support/build_names.h"

#include <gtest/gtest.h>

#include <string>

namespace config {
namespace {

constexpr char kScratch[] = "Software\\RKX-T2 tests\\asio list";
constexpr char kList[] = "Software\\RKX-T2 tests\\asio list\\drivers";
constexpr char kClasses[] = "Software\\RKX-T2 tests\\asio list\\classes";
// The installed driver of this build: its class, registered system-wide by the installation.
constexpr const char* kDriverClass = rkx::test::kAsioClassIdText;
constexpr const char* kDriverFile = rkx::test::kAsioInstalledFile;
// Listed here with an existing server file, but unknown to the system: creation fails.
constexpr char kUncreatableClass[] = "{0C0FFEE0-1234-4321-8765-0123456789AB}";

void SetString(const std::string& key, const char* name, const std::string& value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

class AsioDriverListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
        AddClass(kDriverClass, kDriverFile);
        AddClass(kUncreatableClass, kDriverFile);
        AddClass("{11111111-2222-3333-4444-555555555555}", "C:\\windows\\system32\\no-such-driver.dll");
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kScratch); }

    static void AddClass(const std::string& classText, const std::string& server)
    {
        SetString(std::string(kClasses) + "\\" + classText + "\\InprocServer32", nullptr, server);
    }
    // A list entry; no description value when `description` is null.
    static void AddListed(const std::string& subkey, const std::string& classText, const char* description)
    {
        const std::string key = std::string(kList) + "\\" + subkey;
        SetString(key, "CLSID", classText);
        if (description != nullptr) SetString(key, "Description", description);
    }
    static AsioRegistryPlaces Places() { return {HKEY_CURRENT_USER, kList, HKEY_CURRENT_USER, kClasses}; }
    static std::string NameOf(const AsioDriverList& list, long number, int size = 128)
    {
        std::string buffer(static_cast<size_t>(size), '#');
        EXPECT_EQ(list.GetDriverName(number, buffer.data(), size), 0);
        return buffer.c_str();
    }
};

TEST_F(AsioDriverListTest, ListsOnlyDriversWhoseServerFileExistsInRegistryOrder)
{
    AddListed("a first", kDriverClass, "First Driver");
    AddListed("b gone", "{11111111-2222-3333-4444-555555555555}", "Deleted Driver");
    AddListed("c unregistered", "{99999999-2222-3333-4444-555555555555}", "Unknown Class");
    AddListed("d unnamed", kDriverClass, nullptr);
    const AsioDriverList list(Places());
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(NameOf(list, 0), "First Driver");
    EXPECT_EQ(NameOf(list, 1), "d unnamed") << "the subkey's name stands in for a missing description";
}

TEST_F(AsioDriverListTest, NamesMatchExactlyAndTheFirstCreatableOfTwinsIsUsed)
{
    AddListed("a lower", kDriverClass, "rkx-t2 asio64");
    AddListed("b twin", kUncreatableClass, "Twin");
    AddListed("c twin", kDriverClass, "Twin");
    AsioDrivers drivers(Places());
    ASSERT_EQ(drivers.count(), 3);
    EXPECT_EQ(drivers.FindAndCreateDriver("RKX-T2 ASIO64"), -1) << "a name in other case is another name";

    EXPECT_EQ(drivers.FindAndCreateDriver("Twin"), 2);
    EXPECT_EQ(drivers.FindAndCreateDriver("Twin"), -1) << "already loaded";
    drivers.ReleaseDriver(7);  // nothing loaded there: ignored
    EXPECT_TRUE(drivers.IsLoaded(2));
    drivers.ReleaseDriver(2);
    EXPECT_FALSE(drivers.IsLoaded(2));
    EXPECT_EQ(drivers.FindAndCreateDriver("Twin"), 2);
    drivers.ReleaseDriver(2);
}

TEST_F(AsioDriverListTest, LongNamesAreComparedInTheirShortenedForm)
{
    const std::string name70(70, 'N');
    AddListed("long", kDriverClass, name70.c_str());
    AsioDrivers drivers(Places());
    ASSERT_EQ(drivers.count(), 1);
    const std::string shortened = name70.substr(0, 60) + "...";
    EXPECT_EQ(NameOf(drivers, 0, 64), shortened);
    EXPECT_EQ(drivers.FindAndCreateDriver(name70.c_str()), -1);
    EXPECT_EQ(drivers.FindAndCreateDriver(shortened.c_str()), 0);
    drivers.ReleaseDriver(0);
}

TEST_F(AsioDriverListTest, DescriptionsTooLongForTheNameAreCutToItsSize)
{
    const std::string long200(200, 'L'), long300(300, 'M');
    AddListed("a 200", kDriverClass, long200.c_str());
    AddListed("b 300", kDriverClass, long300.c_str());
    const AsioDriverList list(Places());
    ASSERT_EQ(list.count(), 2) << "cut, not left out";
    EXPECT_EQ(NameOf(list, 0, 256), long200.substr(0, 127));
    EXPECT_EQ(NameOf(list, 1, 256), long300.substr(0, 127));
}

TEST_F(AsioDriverListTest, GetDriverNameRefusesWhatItCannotFill)
{
    AddListed("a", kDriverClass, "Driver");
    const AsioDriverList list(Places());
    EXPECT_EQ(list.GetDriverName(0, nullptr, 64), kAsioNoBuffer);
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(list.GetDriverName(1, buffer, 8), kAsioNoSuchEntry);
    EXPECT_EQ(list.GetDriverName(-1, buffer, 8), kAsioNoSuchEntry);
    EXPECT_EQ(NameOf(list, 0, 6), "Dr...");
    EXPECT_EQ(NameOf(list, 0, 3), "Dr");
}

TEST_F(AsioDriverListTest, UnreadableClassTextLeavesTheDriverUncreatable)
{
    AddClass("not a class", kDriverFile);
    AddListed("a", "not a class", "Broken");
    AsioDrivers drivers(Places());
    ASSERT_EQ(drivers.count(), 1);
    EXPECT_EQ(drivers.FindAndCreateDriver("Broken"), -1);
}

TEST_F(AsioDriverListTest, MissingListIsEmpty)
{
    AsioDrivers drivers({HKEY_CURRENT_USER, "Software\\RKX-T2 tests\\asio list\\none", HKEY_CURRENT_USER, kClasses});
    EXPECT_EQ(drivers.count(), 0);
    EXPECT_EQ(drivers.FindAndCreateDriver("RKX-T2 ASIO64"), -1);
}

TEST(InstalledAsioDriver, TheInstalledDriverOfThisBuildIsFound)
{
    EXPECT_TRUE(OwnAsioDriverInstalled());
    EXPECT_TRUE(OwnAsioDriverInstalled()) << "released after each check, so it can be made again";
}

}  // namespace
}  // namespace config
