// Suite 3: the mixer unplugged and plugged in again, at random moments, while a host streams
// through the 64-bit driver; now and then a resume from sleep. Buffer switches must resume
// after every replug without the host doing anything, and the host process's handle and
// memory counts must stay flat from cycle to cycle.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "tests/stress/process_tools.h"
#include "tests/stress/streaming_session.h"
#include "tests/stress/suite_report.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::stress {
namespace {

constexpr DWORD kResumeLimitMs = 20000;  // wide: only catches switches that never come back
constexpr DWORD kStopLimitMs = 3000;
// Flat: a few handles of the system's own come and go; leaking per cycle shows as far more.
constexpr DWORD kHandleSlack = 8;
constexpr uint64_t kMemorySlack = 4u << 20;

int RunSuite(int argc, char** argv)
{
    const bool full = FullLength(argc, argv);
    const int cycles = int(ArgumentValue(argc, argv, "--cycles", full ? 100 : 12));
    const int resumeEvery = full ? 25 : 12;
    const uint64_t seed = SeedFrom(argc, argv);
    SuiteReport report(3, "hot-plug under streaming");
    vmix::VirtualMixerClient rig;
    if (!report.Check(rig.IsOpen() && rig.Reset(), "the virtual mixer is loaded")) return report.Finish();

    StreamingSession session;
    const std::string opened = session.Open(256);
    if (!report.Check(opened.empty(), "a host streams 256 frames through the 64-bit driver%s%s",
                      opened.empty() ? "" : ": ", opened.c_str()))
        return report.Finish();

    Random random(seed);
    int resumed = 0, resumes = 0, resumesHeld = 0;
    ProcessCounts warm{}, low{}, high{};
    const int warmCycle = std::min(5, cycles / 2);
    for (int cycle = 0; cycle < cycles; ++cycle) {
        PumpMessagesFor(random.Below(300));
        rig.SetPlugged(0, false);
        // The system's announcement comes a little after the device is gone, sometimes twice.
        PumpMessagesFor(random.Below(50));
        session.AnnounceDevice(false);
        if (random.Chance(10)) session.AnnounceDevice(false);
        PumpMessagesFor(random.Below(300));
        rig.SetPlugged(0, true);
        PumpMessagesFor(random.Below(50));
        session.AnnounceDevice(true);
        if (random.Chance(10)) session.AnnounceDevice(true);
        if (session.Progresses(20, kResumeLimitMs))
            ++resumed;
        else
            std::printf("   cycle %d: no buffer switches after the replug\n", cycle);

        if ((cycle + 1) % resumeEvery == 0) {
            ++resumes;
            VmixStats before{};
            rig.GetStats(0, before);
            session.AnnounceResume();
            PumpMessagesFor(6000);  // the reset runs 5 s after the resume
            VmixStats after{};
            rig.GetStats(0, after);
            if (after.streamStarts > before.streamStarts && session.Progresses(20, kResumeLimitMs)) ++resumesHeld;
        }

        const ProcessCounts now = CountsOfThisProcess();
        if (cycle == warmCycle) warm = low = high = now;
        if (cycle > warmCycle) {
            low.handles = std::min(low.handles, now.handles);
            high.handles = std::max(high.handles, now.handles);
            low.privateBytes = std::min(low.privateBytes, now.privateBytes);
            high.privateBytes = std::max(high.privateBytes, now.privateBytes);
        }
    }
    const ProcessCounts end = CountsOfThisProcess();
    report.Tried("%d unplug/replug cycles at random moments (seed %llu), %d resumes from sleep", cycles,
                 static_cast<unsigned long long>(seed), resumes);
    report.Check(resumed == cycles, "switches resumed after %d of %d replugs", resumed, cycles);
    report.Check(resumesHeld == resumes, "pins reopened and switches went on after %d of %d resumes", resumesHeld,
                 resumes);
    report.Check(end.handles <= warm.handles + kHandleSlack,
                 "handles flat: %lu after cycle %d, %lu..%lu later, %lu at the end", warm.handles, warmCycle,
                 low.handles, high.handles, end.handles);
    report.Check(end.privateBytes <= warm.privateBytes + kMemorySlack,
                 "memory flat: %llu KiB after cycle %d, %llu..%llu KiB later, %llu KiB at the end",
                 static_cast<unsigned long long>(warm.privateBytes >> 10), warmCycle,
                 static_cast<unsigned long long>(low.privateBytes >> 10),
                 static_cast<unsigned long long>(high.privateBytes >> 10),
                 static_cast<unsigned long long>(end.privateBytes >> 10));
    // A last unplug, so stop also meets a thread held without a mixer.
    rig.SetPlugged(0, false);
    session.AnnounceDevice(false);
    PumpMessagesFor(200);
    DWORD stopMs = 0;
    const ASIOError stopped = session.Stop(stopMs);
    report.Check(stopped == ASE_OK && stopMs < kStopLimitMs, "stop with the mixer gone returned %ld after %lu ms",
                 long(stopped), stopMs);
    session.Close();
    rig.Reset();
    report.Figure("cycles=%d/%d", resumed, cycles);
    report.Figure("resumes=%d/%d", resumesHeld, resumes);
    report.Figure("handles %lu->%lu", warm.handles, end.handles);
    report.Figure("private KiB %llu->%llu", static_cast<unsigned long long>(warm.privateBytes >> 10),
                  static_cast<unsigned long long>(end.privateBytes >> 10));
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
