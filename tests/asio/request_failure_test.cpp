// Requests to the pin that could not even be sent: with no event to wait on, the driver must
// not take a request that never reached the mixer for one that succeeded.
#include <atomic>

#include "driver_fixture.h"
#include "import_override.h"

namespace rkx::asio::test {
namespace {

constexpr unsigned kHangLimitMs = 30000;

std::atomic<bool> eventsFail{false};
using CreateEventAFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR);
CreateEventAFn realCreateEventA = nullptr;

HANDLE WINAPI CreateEventAUnlessFailing(LPSECURITY_ATTRIBUTES attributes, BOOL manual, BOOL initial, LPCSTR name)
{
    if (eventsFail) {
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
        return nullptr;
    }
    return realCreateEventA(attributes, manual, initial, name);
}

uint32_t StartRequests(const VmixStats& stats) { return stats.streamStarts; }
uint32_t WriteRequests(const VmixStats& stats)
{
    return stats.streamRequests[RkxStreamRequestIndex(IOCTL_STREAM_WRITE)];
}

TEST_F(DriverTest, StartWithoutEventsForItsRequestsFailsAndLaterStartsWork)
{
    ImportOverride events(GetModuleHandleA(kDriverFile), "kernel32.dll", "CreateEventA",
                          reinterpret_cast<void*>(&CreateEventAUnlessFailing));
    ASSERT_TRUE(events.active()) << "the driver does not import CreateEventA from kernel32";
    realCreateEventA = reinterpret_cast<CreateEventAFn>(events.original());

    DriverRef driver(module.CreateDriver());
    ASSERT_TRUE(driver);
    TestHost host;
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASSERT_EQ(host.Create(driver.driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
    // A first run prepares the transfer slots, whose events are kept: from then on only the
    // requests of start need new events.
    ASSERT_EQ(driver->start(), ASE_OK);
    ASSERT_TRUE(host.WaitForSwitches(10, kHangLimitMs));
    ASSERT_EQ(driver->stop(), ASE_OK);
    const uint32_t startsBefore = StartRequests(StatsOf(0));

    eventsFail = true;
    const ASIOError refused = driver->start();
    const size_t switchesWhileFailing = host.switches();
    const bool mutexWhileFailing = StreamingMutexExists();
    driver->stop();
    eventsFail = false;
    EXPECT_NE(refused, ASE_OK) << "start reported success for requests that were never sent";
    EXPECT_FALSE(mutexWhileFailing) << "a refused start does not claim the streaming mutex";
    EXPECT_EQ(StartRequests(StatsOf(0)), startsBefore) << "nothing reached the mixer";
    Sleep(200);
    EXPECT_EQ(host.switches(), switchesWhileFailing) << "no buffer switch without a started pin";

    ASSERT_EQ(driver->start(), ASE_OK) << "events can be created again";
    EXPECT_TRUE(host.WaitForSwitches(host.switches() + 10, kHangLimitMs));
    EXPECT_EQ(driver->stop(), ASE_OK);
}

TEST_F(DriverTest, ResetWithoutEventsForItsRequestsHoldsTheThreadUntilAResetSucceeds)
{
    ImportOverride events(GetModuleHandleA(kDriverFile), "kernel32.dll", "CreateEventA",
                          reinterpret_cast<void*>(&CreateEventAUnlessFailing));
    ASSERT_TRUE(events.active());
    realCreateEventA = reinterpret_cast<CreateEventAFn>(events.original());

    DriverRef driver(module.CreateDriver());
    ASSERT_TRUE(driver);
    TestHost host;
    ASSERT_EQ(driver->init(nullptr), ASIOTrue);
    ASSERT_EQ(host.Create(driver.driver, {{false, 0}, {true, 0}}, 256), ASE_OK);
    ASSERT_EQ(driver->start(), ASE_OK);
    ASSERT_TRUE(host.WaitForSwitches(10, kHangLimitMs));
    const HWND window = DriverWindow();
    ASSERT_NE(window, nullptr);

    // The resume timer's reset reopens the pins; none of its start requests can be sent.
    eventsFail = true;
    SendMessageW(window, WM_TIMER, 1, 0);
    eventsFail = false;
    Sleep(300);
    const size_t held = host.switches();
    const uint32_t writes = WriteRequests(StatsOf(0));
    Sleep(500);
    EXPECT_EQ(host.switches(), held);
    EXPECT_EQ(WriteRequests(StatsOf(0)), writes) << "the thread was let loose on pins that were never started";

    SendMessageW(window, WM_TIMER, 1, 0);
    EXPECT_TRUE(host.WaitForSwitches(held + 20, kHangLimitMs)) << "a later reset resumes the switches";
    EXPECT_EQ(driver->stop(), ASE_OK);
}

}  // namespace
}  // namespace rkx::asio::test
