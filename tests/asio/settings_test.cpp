// The driver's side of the settings contract: "blockNum" chooses the buffer size when a
// driver object is created, and the control panel starts the utility only when it can.
#include <atomic>
#include <string>
#include <thread>

#include "driver_fixture.h"

namespace rkx::asio::test {
namespace {

const std::string kDriverKeyPath = std::string("SOFTWARE\\") + rkx::test::kAsioKeyName;
const char* const kDriverKey = kDriverKeyPath.c_str();
constexpr const char* kConfigKey = rkx::test::kMachineKey;
constexpr char kUserKey[] = "Software\\Korvane\\RKX-T2";

long PreferredSize(IASIO* driver)
{
    long minSize = 0, maxSize = 0, preferred = 0, granularity = 0;
    driver->getBufferSize(&minSize, &maxSize, &preferred, &granularity);
    return preferred;
}

bool ReadDword(HKEY root, const char* key, const char* value, DWORD& data)
{
    DWORD size = sizeof(data);
    return RegGetValueA(root, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size) == ERROR_SUCCESS;
}

class DriverSettings : public DriverTest {
protected:
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kDriverKey);
        DriverTest::TearDown();
    }
};

TEST_F(DriverSettings, BlockNumChoosesTheBufferSizeAndBadValuesGiveTheDefault)
{
    struct Case {
        const char* name;
        bool present;
        DWORD stored;
        long frames;
    };
    const Case cases[] = {
        {"no key: created with 4", false, 0, 256}, {"1: the 64-frame size", true, 1, 64},
        {"64: the largest size", true, 64, 4096},  {"0 is out of range", true, 0, 256},
        {"65 is out of range", true, 65, 256},     {"8", true, 8, 512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeA(HKEY_CURRENT_USER, kDriverKey);
        if (c.present) {
            ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kDriverKey, "blockNum", REG_DWORD, &c.stored, sizeof(DWORD)),
                      ERROR_SUCCESS);
        }
        DriverRef driver(module.CreateDriver());
        ASSERT_TRUE(driver);
        EXPECT_EQ(PreferredSize(driver.driver), c.frames);
        DWORD after = 0;
        ASSERT_TRUE(ReadDword(HKEY_CURRENT_USER, kDriverKey, "blockNum", after));
        EXPECT_EQ(after, c.present ? c.stored : 4u) << "a stored value is never rewritten";
    }
}

TEST_F(DriverSettings, BlockNumOfAnotherTypeGivesTheDefault)
{
    const BYTE two[4] = {2, 0, 0, 0};
    for (DWORD type : {DWORD(REG_BINARY), DWORD(REG_NONE)}) {
        SCOPED_TRACE(type);
        RegDeleteTreeA(HKEY_CURRENT_USER, kDriverKey);
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kDriverKey, "blockNum", type, two, sizeof(two)), ERROR_SUCCESS);
        DriverRef driver(module.CreateDriver());
        ASSERT_TRUE(driver);
        EXPECT_EQ(PreferredSize(driver.driver), 256);
    }
}

class ControlPanel : public DriverTest {
protected:
    void SetUp() override
    {
        DriverTest::SetUp();
        char text[300] = {};
        DWORD size = sizeof(text);
        hadConfig = RegGetValueA(HKEY_LOCAL_MACHINE, kConfigKey, "AsioConfig", RRF_RT_REG_SZ, nullptr, text, &size) ==
                    ERROR_SUCCESS;
        savedConfig = text;
        const DWORD zero = 0;
        RegSetKeyValueA(HKEY_CURRENT_USER, kUserKey, "AsioConfigLaunch", REG_DWORD, &zero, sizeof(zero));
    }
    void TearDown() override
    {
        if (hadConfig) {
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, kConfigKey, "AsioConfig", REG_SZ, savedConfig.c_str(),
                            DWORD(savedConfig.size() + 1));
        }
        DriverTest::TearDown();
    }
    static void SetConfig(const char* text)
    {
        if (text == nullptr) {
            RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kConfigKey, "AsioConfig");
        } else {
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, kConfigKey, "AsioConfig", REG_SZ, text, DWORD(strlen(text) + 1));
        }
    }
    bool hadConfig = false;
    std::string savedConfig;
};

TEST_F(ControlPanel, WithoutAUsableCommandLineStartsNothingAndReturnsAtOnce)
{
    const char* configs[] = {nullptr, "", "Auto"};
    for (const char* config : configs) {
        SCOPED_TRACE(config == nullptr ? "missing" : config);
        SetConfig(config);
        DriverRef driver(module.CreateDriver());
        EXPECT_EQ(driver->controlPanel(), ASE_OK);
        DWORD launch = 7;
        ASSERT_TRUE(ReadDword(HKEY_CURRENT_USER, kUserKey, "AsioConfigLaunch", launch));
        EXPECT_EQ(launch, 0u) << "no utility was announced";
    }
}

TEST_F(ControlPanel, WaitsUntilTheUtilityResetsTheLaunchFlag)
{
    // A program that cannot be found: the panel still waits for the flag.
    SetConfig("C:\\missing\\RKX-T2_Config.exe-Auto");
    DriverRef driver(module.CreateDriver());
    const DWORD panelThread = GetCurrentThreadId();
    std::atomic<bool> sawLaunch{false};
    std::atomic<bool> utilityClosed{false};
    std::thread utility([&] {
        for (int i = 0; i < 2000 && !sawLaunch; ++i) {
            DWORD launch = 0;
            if (ReadDword(HKEY_CURRENT_USER, kUserKey, "AsioConfigLaunch", launch) && launch == 1) sawLaunch = true;
            Sleep(5);
        }
        // The utility stays open a while; messages reach the panel's thread meanwhile.
        for (int i = 0; i < 6; ++i) {
            PostThreadMessageA(panelThread, WM_NULL, 0, 0);
            Sleep(50);
        }
        utilityClosed = true;
        const DWORD zero = 0;
        RegSetKeyValueA(HKEY_CURRENT_USER, kUserKey, "AsioConfigLaunch", REG_DWORD, &zero, sizeof(zero));
        // The panel looks again after the next message its thread receives.
        PostThreadMessageA(panelThread, WM_NULL, 0, 0);
    });
    EXPECT_EQ(driver->controlPanel(), ASE_OK);
    const bool returnedAfterClose = utilityClosed;
    utility.join();
    EXPECT_TRUE(sawLaunch) << "the panel set AsioConfigLaunch to 1 while it waited";
    EXPECT_TRUE(returnedAfterClose) << "the panel returned before the utility closed";
}

}  // namespace
}  // namespace rkx::asio::test
