#include "tests/stress/utility_observer.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "dialog/tab_strip.h"
#include "tests/support/auto_setup_service.h"
#include "tests/support/screen_capture.h"
#include "tests/support/utility_session.h"
#include "tests/support/wait.h"
#include "virtualmixer/client/device_change_broadcast.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::stress {
namespace {

using namespace ::rkx::test;

constexpr DWORD kStateLimitMs = 20000;
constexpr DWORD kWindowLimitMs = 15000;  // only turns a hang into a failure

// Ends a started utility without letting it save its tab and position.
void EndFromOutside(HANDLE process)
{
    TerminateProcess(process, 0);
    WaitForSingleObject(process, kStateLimitMs);
}

}  // namespace

std::string UtilityWindow(DWORD settleMs, int tab)
{
    const std::optional<DWORD> savedTab = rkx::test::ReadUserValue(L"Tab");
    if (tab >= 0) rkx::test::WriteUserValue(L"Tab", DWORD(tab));
    UniqueHandle process = rkx::test::Utility::Launch(L"");
    const DWORD processId = process ? GetProcessId(process.get()) : 0;
    const std::wstring title = rkx::test::ExpectedTitle();
    HWND window = nullptr;
    std::string outcome;
    if (!rkx::test::WaitUntil([&] { return (window = rkx::test::FindWindowOfProcess(processId, title)) != nullptr ||
                                WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT; },
                   kWindowLimitMs) ||
        window == nullptr) {
        DWORD code = STILL_ACTIVE;
        if (process) GetExitCodeProcess(process.get(), &code);
        char text[64];
        std::snprintf(text, sizeof text, code == STILL_ACTIVE ? "no window" : "ended with 0x%lx", code);
        outcome = text;
    } else {
        RECT placed{}, desktop{}, both{};
        GetWindowRect(window, &placed);
        GetClientRect(GetDesktopWindow(), &desktop);
        const bool onDesktop = IntersectRect(&both, &placed, &desktop) != FALSE;
        // The tab can be told once the window painted, when its tab strip is on the screen.
        const bool stripShown = EqualRect(&both, &placed) != FALSE;
        int shownTab = -1;
        if (stripShown) rkx::test::WaitUntil([&] { return (shownTab = rkx::test::TabShownIn(window)) >= 0; }, kWindowLimitMs);
        if (settleMs != 0) {
            Sleep(settleMs);
            if (stripShown) shownTab = rkx::test::TabShownIn(window);
        }
        const bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        char text[128];
        std::snprintf(text, sizeof text, "at (%ld,%ld)%s%s", placed.left, placed.top, topmost ? " topmost" : "",
                      onDesktop ? "" : " off the desktop");
        outcome = (stripShown ? "tab " + std::to_string(shownTab) : std::string("tab unseen,")) + " " + text;
    }
    if (process) EndFromOutside(process.get());
    if (tab >= 0) {
        if (savedTab) rkx::test::WriteUserValue(L"Tab", *savedTab);
        else rkx::test::DeleteUserValue(L"Tab");
    }
    return outcome;
}

bool UtilityWindowOnDesktop(const std::string& outcome)
{
    return outcome.rfind("tab ", 0) == 0 && outcome.find("tab -1") == std::string::npos &&
           outcome.find("off the desktop") == std::string::npos;
}

std::string ServiceAfterPlugIn()
{
    if (AutoSetupState() != SERVICE_RUNNING) {
        EnsureAutoSetupStopped();
        if (!StartAutoSetup() || !WaitForAutoSetupState(SERVICE_RUNNING, kStateLimitMs)) return "would not start";
        rkx::test::WaitUntil([] { return CountAutoSetupWindows() != 0; }, kStateLimitMs);
    }
    vmix::VirtualMixerClient rig;
    rig.SetValue(0, VMIX_VALUE_LAUNCH_ANSWER, 0, RKX_LAUNCH_YES);
    rig.SetPlugged(0, false);
    const int tookRemoval = vmix::BroadcastMixerDeviceChange(false, 0);
    rig.SetPlugged(0, true);
    const int tookArrival = vmix::BroadcastMixerDeviceChange(true, 0);
    if (AutoSetupState() != SERVICE_RUNNING) return "ended";
    if (CountAutoSetupWindows() != 1 || tookRemoval < 1 || tookArrival < 1) return "window gone";
    return "running";
}

void StopServiceAfterObservation() { EnsureAutoSetupStopped(); }

}  // namespace rkx::stress
