// A host built on the standard's own declaration (standard_iasio.h) calls every IASIO slot
// and checks the answer that only that operation gives.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "../virtualmixer/rig_fixture.h"
#include "standard_iasio.h"
#include "tests/support/build_names.h"

namespace {

using namespace standard_asio;

// The build's class, also the interface hosts ask for.
constexpr const CLSID& kDriverClass = rkx::test::kAsioClassId;
constexpr char kUserKey[] = "Software\\Korvane\\RKX-T2";

std::atomic<long> switches{0};
void BufferSwitch(long, ASIOBool) { ++switches; }
void SampleRateDidChange(ASIOSampleRate) {}
long AsioMessage(long, long, void*, double*) { return 0; }  // no time info: bufferSwitch only
ASIOTime* BufferSwitchTimeInfo(ASIOTime*, long, ASIOBool) { return nullptr; }

IASIO* CreateAsAHostDoes()
{
    HMODULE module = LoadLibraryA(rkx::test::kAsioFile);
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (get == nullptr || FAILED(get(kDriverClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
    void* driver = nullptr;
    const HRESULT created = factory->CreateInstance(nullptr, kDriverClass, &driver);
    factory->Release();
    return SUCCEEDED(created) ? static_cast<IASIO*>(driver) : nullptr;
}

bool AwaitSwitches(long count)
{
    for (int i = 0; i < 6000 && switches < count; ++i) Sleep(5);
    return switches >= count;
}

class StandardHost : public rkx::vmix::test::RigTest {};

TEST_F(StandardHost, EverySlotGivesItsOwnAnswer)
{
    IASIO* driver = CreateAsAHostDoes();
    ASSERT_NE(driver, nullptr);
    // 0-2: IUnknown.
    void* same = nullptr;
    EXPECT_EQ(driver->QueryInterface(kDriverClass, &same), S_OK);
    EXPECT_EQ(same, driver);
    EXPECT_EQ(driver->AddRef(), 3u);
    EXPECT_EQ(driver->Release(), 2u);
    driver->Release();
    // 3-6
    EXPECT_EQ(driver->init(nullptr), ASIOTrue);
    char text[128] = {};
    driver->getDriverName(text);
    EXPECT_STREQ(text, rkx::test::kAsioDriverName);
    EXPECT_EQ(driver->getDriverVersion(), 1);
    driver->getErrorMessage(text);
    EXPECT_STREQ(text, rkx::test::kAsioOpenFailure);
    // 9-16
    long a = 0, b = 0, c = 0, d = -1;
    EXPECT_EQ(driver->getChannels(&a, &b), ASE_OK);
    EXPECT_EQ(a * 100 + b, 808);
    EXPECT_EQ(driver->getLatencies(&a, &b), ASE_OK);
    EXPECT_EQ(a + b, 512);
    EXPECT_EQ(driver->getBufferSize(&a, &b, &c, &d), ASE_OK);
    EXPECT_EQ(a + b + c, 768);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(driver->canSampleRate(44100.0), ASE_NoClock);
    EXPECT_EQ(driver->canSampleRate(48000.0), ASE_OK);
    ASIOSampleRate rate = 0;
    EXPECT_EQ(driver->getSampleRate(&rate), ASE_OK);
    EXPECT_EQ(rate, 48000.0);
    EXPECT_EQ(driver->setSampleRate(96000.0), ASE_NoClock);
    ASIOClockSource clock{};
    long clocks = 1;
    EXPECT_EQ(driver->getClockSources(&clock, &clocks), ASE_OK);
    EXPECT_STREQ(clock.name, "Internal");
    EXPECT_EQ(driver->setClockSource(1), ASE_NotPresent);
    // 18-19, 7, 17, 8, 20
    ASIOChannelInfo info{};
    info.channel = 3;
    info.isInput = ASIOTrue;
    EXPECT_EQ(driver->getChannelInfo(&info), ASE_OK);
    EXPECT_STREQ(info.name, "RKX-T2 IN 4");
    EXPECT_EQ(info.type, ASIOSTInt32LSB);
    EXPECT_EQ(info.isActive, ASIOFalse);
    ASIOBufferInfo buffers[2] = {{ASIOTrue, 3, {nullptr, nullptr}}, {ASIOFalse, 0, {nullptr, nullptr}}};
    ASIOCallbacks callbacks{BufferSwitch, SampleRateDidChange, AsioMessage, BufferSwitchTimeInfo};
    EXPECT_EQ(driver->createBuffers(buffers, 2, 256, &callbacks), ASE_OK);
    EXPECT_NE(buffers[0].buffers[1], nullptr);
    EXPECT_EQ(driver->getChannelInfo(&info), ASE_OK);
    EXPECT_EQ(info.isActive, ASIOTrue);
    EXPECT_EQ(driver->start(), ASE_OK);
    EXPECT_TRUE(AwaitSwitches(8));
    ASIOSamples position{};
    ASIOTimeStamp stamp{};
    EXPECT_EQ(driver->getSamplePosition(&position, &stamp), ASE_OK);
    EXPECT_GE(position.lo, 8u * 256u);
    EXPECT_EQ(driver->stop(), ASE_OK);
    const long stopped = switches;
    Sleep(100);
    EXPECT_EQ(switches, stopped);
    EXPECT_EQ(driver->disposeBuffers(), ASE_OK);
    EXPECT_EQ(driver->getChannelInfo(&info), ASE_OK);
    EXPECT_EQ(info.isActive, ASIOFalse);
    // 22-23
    EXPECT_EQ(driver->future(kAsioCanTimeInfo, nullptr), ASE_SUCCESS);
    EXPECT_EQ(driver->future(kAsioCanTransport, nullptr), ASE_NotPresent);
    EXPECT_EQ(driver->outputReady(), ASE_OK);

    // 21: the control panel announces the utility and waits until it closes. A utility that
    // cannot be found keeps it waiting until the flag is reset.
    char saved[300] = {};
    DWORD size = sizeof(saved);
    const char* machineKey = rkx::test::kMachineKey;
    const bool hadConfig =
        RegGetValueA(HKEY_LOCAL_MACHINE, machineKey, "AsioConfig", RRF_RT_REG_SZ, nullptr, saved, &size) == ERROR_SUCCESS;
    const char config[] = "C:\\missing\\RKX-T2_Config.exe-Auto";
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, machineKey, "AsioConfig", REG_SZ, config, sizeof(config));
    const DWORD panelThread = GetCurrentThreadId();
    std::atomic<bool> announced{false};
    std::thread utility([&] {
        for (int i = 0; i < 2000 && !announced; ++i) {
            DWORD launch = 0, bytes = sizeof(launch);
            announced = RegGetValueA(HKEY_CURRENT_USER, kUserKey, "AsioConfigLaunch", RRF_RT_REG_DWORD, nullptr,
                                     &launch, &bytes) == ERROR_SUCCESS && launch == 1;
            Sleep(5);
        }
        const DWORD zero = 0;
        RegSetKeyValueA(HKEY_CURRENT_USER, kUserKey, "AsioConfigLaunch", REG_DWORD, &zero, sizeof(zero));
        PostThreadMessageA(panelThread, WM_NULL, 0, 0);
    });
    EXPECT_EQ(driver->controlPanel(), ASE_OK);
    utility.join();
    EXPECT_TRUE(announced);
    if (hadConfig) RegSetKeyValueA(HKEY_LOCAL_MACHINE, machineKey, "AsioConfig", REG_SZ, saved, DWORD(std::strlen(saved) + 1));
    EXPECT_EQ(driver->Release(), 0u);
}

}  // namespace
