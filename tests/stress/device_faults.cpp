// Suite 4: the mixer's driver misbehaving under streaming: streaming requests failing at
// random, START completing asynchronously, completions stalled for a while. After each fault
// the driver must either recover by itself or let its host recover it (stop and start), and
// stop must always return within its limit: never a deadlock.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "common/mixer_requests.h"
#include "tests/stress/process_tools.h"
#include "tests/stress/streaming_session.h"
#include "tests/stress/suite_report.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::stress {
namespace {

constexpr DWORD kStopLimitMs = 3000;      // the thread's own limit is 1000 ms; wide for a loaded machine
constexpr DWORD kRecoverLimitMs = 10000;  // wide: only catches streaming that never comes back

const DWORD kStreamCodes[] = {IOCTL_STREAM_SET_RATE, IOCTL_STREAM_STOP,  IOCTL_STREAM_SET_FRAMES,
                              IOCTL_STREAM_WRITE,    IOCTL_STREAM_READ,  IOCTL_STREAM_START,
                              IOCTL_STREAM_SET_OUTPUT_PINS};

enum class Fault { FailRequests, StartAsync, Stall, ControlDelay, Count };
const char* const kFaultNames[] = {"failing requests", "asynchronous START", "stalled completions",
                                   "delayed control requests"};
// What pulls the fault through the driver's paths.
enum class Trigger { None, Restart, ResumeReset, Replug, Count };

void ClearFaults(vmix::VirtualMixerClient& rig)
{
    for (DWORD code : kStreamCodes) rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, code, 0);
    rig.SetFault(0, VMIX_FAULT_START_ASYNC, 0, 0);
    rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, 0, 0);
    rig.SetPlugged(0, true);
}

struct Tally {
    int rounds = 0;
    int byThemselves = 0;   // streaming went on with no help
    int byRestart = 0;      // the host's stop and start brought it back
    int lost = 0;           // not even a restart helped
    int startRefused = 0;   // start reported the failure
    int stops = 0;
    int slowStops = 0;
    int badStops = 0;
    DWORD longestStopMs = 0;
    int perFault[int(Fault::Count)] = {};
};

void TimedStop(StreamingSession& session, Tally& tally)
{
    DWORD took = 0;
    const ASIOError result = session.Stop(took);
    ++tally.stops;
    tally.longestStopMs = std::max(tally.longestStopMs, took);
    if (took >= kStopLimitMs) ++tally.slowStops;
    if (result != ASE_OK) ++tally.badStops;
}

void Round(StreamingSession& session, vmix::VirtualMixerClient& rig, Random& random, Tally& tally)
{
    const auto fault = Fault(random.Below(unsigned(Fault::Count)));
    const auto trigger = Trigger(random.Below(unsigned(Trigger::Count)));
    ++tally.rounds;
    ++tally.perFault[int(fault)];
    switch (fault) {
    case Fault::FailRequests: {
        const unsigned which = random.Below(7);
        rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, kStreamCodes[which], 1 + random.Below(8));
        break;
    }
    case Fault::StartAsync:
        rig.SetFault(0, VMIX_FAULT_START_ASYNC, 0, 1);
        break;
    case Fault::Stall:
        rig.SetFault(0, VMIX_FAULT_STALL_ONCE_MS, 0, 50 + random.Below(3000));
        break;
    default:
        rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, 0, 1 + random.Below(500));
        break;
    }
    switch (trigger) {
    case Trigger::Restart:
        TimedStop(session, tally);
        if (session.Start() != ASE_OK) ++tally.startRefused;
        break;
    case Trigger::ResumeReset:
        SendMessageW(session.window(), WM_TIMER, 1, 0);  // the resume timer's reset, at once
        break;
    case Trigger::Replug:
        rig.SetPlugged(0, false);
        session.AnnounceDevice(false);
        PumpMessagesFor(random.Below(200));
        rig.SetPlugged(0, true);
        session.AnnounceDevice(true);
        break;
    default:
        break;
    }
    PumpMessagesFor(random.Below(500));
    ClearFaults(rig);
    if (session.Progresses(20, kRecoverLimitMs)) {
        ++tally.byThemselves;
        return;
    }
    // The host's own remedy.
    TimedStop(session, tally);
    if (session.Start() == ASE_OK && session.Progresses(20, kRecoverLimitMs))
        ++tally.byRestart;
    else
        ++tally.lost;
}

int RunSuite(int argc, char** argv)
{
    const bool full = FullLength(argc, argv);
    const int rounds = int(ArgumentValue(argc, argv, "--rounds", full ? 80 : 10));
    const uint64_t seed = SeedFrom(argc, argv);
    SuiteReport report(4, "device faults under streaming");
    vmix::VirtualMixerClient rig;
    if (!report.Check(rig.IsOpen() && rig.Reset(), "the virtual mixer is loaded")) return report.Finish();

    Tally tally;
    Random random(seed);
    for (long frames : {256L, 64L}) {
        StreamingSession session;
        const std::string opened = session.Open(frames);
        if (!report.Check(opened.empty(), "a host streams %ld frames%s%s", frames, opened.empty() ? "" : ": ",
                          opened.c_str()))
            continue;
        for (int i = 0; i < rounds / 2; ++i) Round(session, rig, random, tally);
        TimedStop(session, tally);
        session.Close();
        ClearFaults(rig);
    }
    report.Tried("%d rounds (seed %llu) at 256 and 64 frames: %d %s, %d %s, %d %s, %d %s; each while streaming, "
                 "across a stop and start, a reset or a replug",
                 tally.rounds, static_cast<unsigned long long>(seed), tally.perFault[0], kFaultNames[0],
                 tally.perFault[1], kFaultNames[1], tally.perFault[2], kFaultNames[2], tally.perFault[3], kFaultNames[3]);
    report.Check(tally.lost == 0,
                 "streaming came back after every fault: %d by itself, %d after the host's stop and start, %d never",
                 tally.byThemselves, tally.byRestart, tally.lost);
    report.Check(tally.slowStops == 0 && tally.badStops == 0, "all %d stops returned ASE_OK within %lu ms (longest %lu ms)",
                 tally.stops, kStopLimitMs, tally.longestStopMs);
    report.Tried("start reported a failure %d times", tally.startRefused);
    rig.Reset();
    report.Figure("rounds=%d", tally.rounds);
    report.Figure("self-recovered=%d restarted=%d lost=%d", tally.byThemselves, tally.byRestart, tally.lost);
    report.Figure("longest stop %lu ms", tally.longestStopMs);
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
