// Suite 6: the auto-setup service started and stopped under the service manager again and
// again, with the mixer unplugged and plugged while it runs and while it is stopped, a second
// copy started by hand now and then, and now and then a stop right after the start. Every stop
// must complete, one copy of the service at most may ever run, and each event that asks for
// the settings utility (a user found at the console, a plug-in) starts it exactly once.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/mixer_requests.h"
#include "common/unique_handle.h"
#include "tests/stress/process_tools.h"
#include "tests/stress/suite_report.h"
#include "tests/support/auto_setup_service.h"
#include "tests/support/processes.h"
#include "tests/support/utility_stand_in.h"
#include "virtualmixer/client/device_change_broadcast.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::stress {
namespace {

constexpr wchar_t kServiceProgram[] = L"RKX-T2_AutoSetup.exe";
constexpr UINT kConsoleTimer = 1;
// Wide bounds that only turn a hang into a failure.
constexpr DWORD kStateLimitMs = 20000;
constexpr DWORD kStartLimitMs = 20000;

std::wstring InstalledServiceProgram()
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\" + kServiceProgram;
}

// The program started by hand while the service runs; its exit code, or -1 when it kept running.
int StartSecondCopy()
{
    std::wstring line = L"\"" + InstalledServiceProgram() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -2;
    CloseHandle(info.hThread);
    UniqueHandle process(info.hProcess);
    if (WaitForSingleObject(process.get(), kStateLimitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), kStateLimitMs);
        return -1;
    }
    return ExitCodeOf(process.get());
}

// What went wrong, counted over all cycles; the first instance of each kind is printed.
struct Tally {
    int cycles = 0;
    int startsFailed = 0;
    int stopsIncomplete = 0;
    int exitCodesWrong = 0;
    int windowsLeft = 0;
    int extraCopies = 0;
    int secondCopies = 0;
    int secondCopiesWrong = 0;
    int events = 0;
    int eventsWrong = 0;
    int releasesFailed = 0;
    size_t expectedStarts = 0;  // over all cycles so far
    DWORD longestStopMs = 0;
    DWORD longestStartMs = 0;

    void Note(int cycle, const char* what, int& counter)
    {
        if (counter++ == 0) std::printf("   cycle %d: %s\n", cycle, what);
    }
};

class CycleRunner {
public:
    CycleRunner(vmix::VirtualMixerClient& rig, UtilityStandIn& utility, Tally& tally)
        : rig_(rig), utility_(utility), tally_(tally)
    {
    }

    void Run(int cycle, Random& random)
    {
        cycle_ = cycle;
        ++tally_.cycles;
        // Between cycles the mixer comes and goes with nobody listening for it.
        const bool pluggedAtStart = cycle == 0 || random.Chance(75);
        Plug(!pluggedAtStart);
        Plug(pluggedAtStart);
        rig_.SetValue(0, VMIX_VALUE_LAUNCH_ANSWER, 0, RKX_LAUNCH_YES);
        rig_.SetValue(0, VMIX_VALUE_LAUNCH_ASK_AGAIN, 0, 0);
        expected_ = tally_.expectedStarts;

        const ULONGLONG startedAt = GetTickCount64();
        if (!StartAutoSetup() || !WaitForAutoSetupState(SERVICE_RUNNING, kStateLimitMs)) {
            tally_.Note(cycle, "the service did not reach the running state", tally_.startsFailed);
            EnsureAutoSetupStopped();
            return;
        }
        tally_.longestStartMs = std::max(tally_.longestStartMs, DWORD(GetTickCount64() - startedAt));
        CheckOneCopy();

        if (random.Chance(10)) {
            // Stopped before the first console check: that check may have run or not.
            Stop();
            Release();
            const size_t now = utility_.Launches().size();
            ++tally_.events;
            if (now < expected_ || now > expected_ + 1)
                tally_.Note(cycle, "a start with a quick stop left other than 0 or 1 utility starts", tally_.eventsWrong);
            tally_.expectedStarts = now;
            return;
        }

        if (pluggedAtStart) {
            // The first console check finds the user and the mixer: one start.
            ExpectOneMore("the user found at the console");
        } else {
            // The console check, made now rather than waited for, finds no mixer to ask...
            WaitForWindow();
            SendToAutoSetupWindows(WM_TIMER, kConsoleTimer, 0);
            ExpectNoMore("the user found at the console with no mixer");
            // ...and the plug-in that follows starts the utility once.
            Plug(true);
            ExpectOneMore("a plug-in after a start without the mixer");
        }

        const int replugs = 1 + int(random.Below(3));
        for (int i = 0; i < replugs; ++i) {
            if (random.Chance(30)) {
                Plug(true);  // an arrival while connected changes nothing
                ExpectNoMore("a second arrival while connected");
            }
            Plug(false);
            ExpectNoMore("an unplug");
            Plug(true);
            ExpectOneMore("a replug");
        }
        if (random.Chance(30)) {
            ++tally_.secondCopies;
            const int exitCode = StartSecondCopy();
            if (exitCode != 0 || AutoSetupState() != SERVICE_RUNNING)
                tally_.Note(cycle, "a second copy started by hand did not end at once with 0", tally_.secondCopiesWrong);
            CheckOneCopy();
        }
        // Half the time the stop comes right after a plug-in was announced.
        const bool plugBeforeStop = random.Chance(50);
        if (plugBeforeStop) {
            Plug(false);
            Plug(true);
            ++expected_;
        }
        Stop();
        // Every stand-in has recorded itself once it ended: now a late second start shows too.
        Release();
        CountEvent(expected_, plugBeforeStop ? "a replug right before the stop" : "the stop");
        tally_.expectedStarts = expected_;
    }

private:
    void Plug(bool plugged)
    {
        rig_.SetPlugged(0, plugged);
        vmix::BroadcastMixerDeviceChange(plugged, 0);
    }

    void Release()
    {
        if (!utility_.ReleaseAll()) tally_.Note(cycle_, "a utility stand-in could not be let go", tally_.releasesFailed);
    }

    void WaitForWindow()
    {
        WaitUntil([] { return CountAutoSetupWindows() != 0; }, kStateLimitMs);
    }

    void CheckOneCopy()
    {
        if (CountProcessesNamed(kServiceProgram) != 1)
            tally_.Note(cycle_, "more than one copy of the service ran", tally_.extraCopies);
    }

    // The launch happens inside the handled message, yet the stand-in records itself a moment
    // later: wait for the one start, and the next check sees any second one.
    void ExpectOneMore(const char* event)
    {
        ++expected_;
        utility_.WaitForLaunches(expected_, kStartLimitMs);
        CountEvent(expected_, event);
    }

    void ExpectNoMore(const char* event) { CountEvent(expected_, event); }

    void CountEvent(size_t expected, const char* event)
    {
        ++tally_.events;
        const size_t now = utility_.Launches().size();
        if (now != expected) {
            char what[200];
            std::snprintf(what, sizeof what, "after %s the utility had been started %d times, not %d", event, int(now),
                          int(expected));
            tally_.Note(cycle_, what, tally_.eventsWrong);
            expected_ = now;  // one fault is counted once
        }
    }

    void Stop()
    {
        const DWORD processId = AutoSetupProcessId();
        UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        const ULONGLONG stoppedAt = GetTickCount64();
        const DWORD answered = StopAutoSetup();
        const bool stopped = (answered == SERVICE_STOP_PENDING || answered == SERVICE_STOPPED) &&
                             WaitForAutoSetupState(SERVICE_STOPPED, kStateLimitMs) && process &&
                             WaitForSingleObject(process.get(), kStateLimitMs) == WAIT_OBJECT_0;
        tally_.longestStopMs = std::max(tally_.longestStopMs, DWORD(GetTickCount64() - stoppedAt));
        if (!stopped) {
            tally_.Note(cycle_, "a stop did not complete", tally_.stopsIncomplete);
            EnsureAutoSetupStopped();
            return;
        }
        if (ExitCodeOf(process.get()) != 0) tally_.Note(cycle_, "the service's process ended with an error", tally_.exitCodesWrong);
        if (CountAutoSetupWindows() != 0 || CountProcessesNamed(kServiceProgram) != 0)
            tally_.Note(cycle_, "a window or process outlived the stop", tally_.windowsLeft);
    }

    vmix::VirtualMixerClient& rig_;
    UtilityStandIn& utility_;
    Tally& tally_;
    int cycle_ = 0;
    size_t expected_ = 0;
};

int RunSuite(int argc, char** argv)
{
    const bool full = FullLength(argc, argv);
    const int cycles = int(ArgumentValue(argc, argv, "--cycles", full ? 50 : 6));
    const uint64_t seed = SeedFrom(argc, argv);
    SuiteReport report(6, "service cycles");
    vmix::VirtualMixerClient rig;
    if (!report.Check(rig.IsOpen() && rig.Reset(), "the virtual mixer is loaded")) return report.Finish();
    EnsureAutoSetupStopped();
    if (!report.Check(AutoSetupState() == SERVICE_STOPPED, "the service is installed and stopped"))
        return report.Finish();
    UtilityStandIn utility{L"rkx_stress_utility"};
    if (!report.Check(utility.ready(), "the settings utility's stand-in is installed")) return report.Finish();

    Random random(seed);
    Tally tally;
    for (int cycle = 0; cycle < cycles; ++cycle) CycleRunner(rig, utility, tally).Run(cycle, random);
    EnsureAutoSetupStopped();
    utility.ReleaseAll();
    const std::vector<Launch> starts = utility.Launches();
    // Process identifiers come back across cycles: the count is what tells a double start.
    int wrongLines = 0;
    for (const Launch& start : starts)
        if (start.commandLine != utility.AsioConfig() + start.userSid) ++wrongLines;

    report.Tried("%d start/stop cycles under the service manager (seed %llu), %d events, %d second copies by hand",
                 cycles, static_cast<unsigned long long>(seed), tally.events, tally.secondCopies);
    report.Check(tally.startsFailed == 0, "the service reached the running state in %d of %d starts",
                 tally.cycles - tally.startsFailed, tally.cycles);
    report.Check(tally.stopsIncomplete == 0 && tally.exitCodesWrong == 0 && tally.windowsLeft == 0,
                 "every stop completed: %d incomplete, %d exit codes not 0, %d windows or processes left", tally.stopsIncomplete,
                 tally.exitCodesWrong, tally.windowsLeft);
    report.Check(tally.extraCopies == 0 && tally.secondCopiesWrong == 0,
                 "one copy at most ran; %d of %d second copies ended at once with 0", tally.secondCopies - tally.secondCopiesWrong,
                 tally.secondCopies);
    report.Check(tally.eventsWrong == 0, "each event started the utility as often as it asks for: %d of %d events",
                 tally.events - tally.eventsWrong, tally.events);
    report.Check(starts.size() == tally.expectedStarts && wrongLines == 0,
                 "%d utility starts (%d expected), %d with a wrong command line",
                 int(starts.size()), int(tally.expectedStarts), wrongLines);
    report.Check(tally.releasesFailed == 0, "every started utility could be let go");
    report.Figure("cycles=%d", tally.cycles - tally.startsFailed - tally.stopsIncomplete);
    report.Figure("utility starts=%d", int(starts.size()));
    report.Figure("longest start %lu ms, stop %lu ms", tally.longestStartMs, tally.longestStopMs);
    rig.Reset();
    return report.Finish();
}

}  // namespace
}  // namespace rkx::stress

int main(int argc, char** argv)
{
    try {
        return rkx::stress::RunSuite(argc, argv);
    } catch (...) {
        std::puts("stress: unexpected exception");
        return 3;
    }
}
