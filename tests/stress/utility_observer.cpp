#include "tests/stress/utility_observer.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "dialog/tab_strip.h"
#include "tests/config/frame/screen_capture.h"
#include "tests/config/frame/utility_session.h"
#include "tests/stress/service_control.h"
#include "virtualmixer/client/device_change_broadcast.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::stress {
namespace {

constexpr DWORD kStateLimitMs = 20000;
constexpr DWORD kWindowLimitMs = 15000;  // only turns a hang into a failure

// Ends a started utility without letting it save its tab and position.
void EndFromOutside(HANDLE process)
{
    TerminateProcess(process, 0);
    WaitForSingleObject(process, kStateLimitMs);
}

// The current tab from the tab strip's pixels (the current tab's edge rows differ from the
// three others, which are alike); -1 when it cannot be told.
int TabShown(HWND window)
{
    const frame_test::Capture strip =
        frame_test::CaptureClient(window, 0, config::kTabStripTop, config::kTabRightEndX, config::kTabPieceHeight);
    if (strip.width == 0) return -1;
    std::vector<uint32_t> columns[config::kTabCount];
    for (int tab = 0; tab < config::kTabCount; ++tab)
        for (int y : {0, 1, 2, 3, 21, 22, 23, 24, 25})
            for (int x = 3; x < config::kTabMiddleWidth - 3; ++x)
                columns[tab].push_back(strip.at(config::TabMiddleX(tab) + x, y));
    for (int tab = 0; tab < config::kTabCount; ++tab) {
        int different = 0;
        for (int other = 0; other < config::kTabCount; ++other)
            if (other != tab && columns[other] != columns[tab]) ++different;
        const int a = (tab + 1) % 4, b = (tab + 2) % 4, c = (tab + 3) % 4;
        if (different == 3 && columns[a] == columns[b] && columns[b] == columns[c]) return tab;
    }
    return -1;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD limitMs)
{
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

}  // namespace

std::string UtilityWindow(DWORD settleMs, int tab)
{
    const std::optional<DWORD> savedTab = frame_test::ReadUserValue(L"Tab");
    if (tab >= 0) frame_test::WriteUserValue(L"Tab", DWORD(tab));
    UniqueHandle process = frame_test::Utility::Launch(L"");
    const DWORD processId = process ? GetProcessId(process.get()) : 0;
    const std::wstring title = frame_test::ExpectedTitle();
    HWND window = nullptr;
    std::string outcome;
    if (!WaitUntil([&] { return (window = frame_test::FindWindowOfProcess(processId, title)) != nullptr ||
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
        if (stripShown) WaitUntil([&] { return (shownTab = TabShown(window)) >= 0; }, kWindowLimitMs);
        if (settleMs != 0) {
            Sleep(settleMs);
            if (stripShown) shownTab = TabShown(window);
        }
        const bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        char text[128];
        std::snprintf(text, sizeof text, "at (%ld,%ld)%s%s", placed.left, placed.top, topmost ? " topmost" : "",
                      onDesktop ? "" : " off the desktop");
        outcome = (stripShown ? "tab " + std::to_string(shownTab) : std::string("tab unseen,")) + " " + text;
    }
    if (process) EndFromOutside(process.get());
    if (tab >= 0) {
        if (savedTab) frame_test::WriteUserValue(L"Tab", *savedTab);
        else frame_test::DeleteUserValue(L"Tab");
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
        const ULONGLONG deadline = GetTickCount64() + kStateLimitMs;
        while (CountAutoSetupWindows() == 0 && GetTickCount64() < deadline) Sleep(20);
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
