// Suite 5: ten processes with the setup library loaded, one of which never answers its
// messages. The others change settings with the notify flag as fast as they can: each setter
// must return within the library's limit for a receiver that does not answer, and every live
// process must hear every change made by every live process, its own included.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "include/rkx_t2_setup.h"
#include "tests/stress/process_tools.h"
#include "tests/stress/suite_report.h"

namespace rkx::stress {
namespace {

constexpr int kProcesses = 10;  // one of them hung
constexpr int kLive = kProcesses - 1;
constexpr int kProduct = QVR_PRODUCT_RKX_T2;
// The library gives up on a receiver that does not answer after 5 s; the slack only keeps a
// loaded machine from failing the run, a setter waiting for the hung receiver shows as far more.
constexpr DWORD kSetterLimitMs = 5000;
constexpr DWORD kSlackMs = 5000;
// No such hive: setters store nothing but still announce.
constexpr wchar_t kAbsentUser[] = L"S-1-5-21-4242-0-0-404";
constexpr char kShared[] = "Local\\RkxStressNotificationLoad";
constexpr char kGo[] = "Local\\RkxStressNotificationGo";
constexpr char kAllSent[] = "Local\\RkxStressNotificationAllSent";

struct ListenerSlot {
    std::atomic<long> ready;
    std::atomic<long> sent;
    std::atomic<long> heard;
    std::atomic<long> longestSetterMs;
    std::atomic<long> finished;
};
struct SharedState {
    ListenerSlot slot[kProcesses];
};

std::atomic<long> g_heard{0};
int QVR_CALL HeardAudio(int, int, QVR_USER_VALUE) { return g_heard.fetch_add(1), 0; }
int QVR_CALL HeardValue(int, QVR_USER_VALUE) { return g_heard.fetch_add(1), 0; }

class SharedView {
public:
    explicit SharedView(bool create)
    {
        mapping_.reset(create ? CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                   sizeof(SharedState), kShared)
                              : OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kShared));
        if (mapping_) state_ = static_cast<SharedState*>(MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    ~SharedView()
    {
        if (state_ != nullptr) UnmapViewOfFile(state_);
    }
    SharedState* operator->() const { return state_; }
    explicit operator bool() const { return state_ != nullptr; }

private:
    UniqueHandle mapping_;
    SharedState* state_ = nullptr;
};

// One setter with the notify flag, chosen at random.
int AnnounceSomething(Random& random)
{
    switch (random.Below(3)) {
    case 0: return QVR_SetUSBInputAudio2(kProduct, int(random.Below(3)), int(random.Below(7)), kAbsentUser, 1);
    case 1: return QVR_SetUSBOutputAudio2(kProduct, int(random.Below(3)), int(random.Below(3)), kAbsentUser, 1);
    default: return QVR_SetBoostLevelIndex2(kProduct, int(random.Below(4)), kAbsentUser, 1);
    }
}

int RunListener(int index, long sets, bool hung, bool idle)
{
    SharedView shared(false);
    UniqueHandle go(OpenEventA(SYNCHRONIZE, FALSE, kGo));
    UniqueHandle allSent(OpenEventA(SYNCHRONIZE, FALSE, kAllSent));
    if (!shared || !go || !allSent) return 2;
    ListenerSlot& slot = shared->slot[index];
    QVR_RegisterInputAudioChangedCallback(kProduct, HeardAudio, index);
    QVR_RegisterOutputAudioChangedCallback(kProduct, HeardAudio, index);
    QVR_RegisterBoostLevelChangedCallback(kProduct, HeardValue, index);
    slot.ready = 1;
    if (hung) {
        Sleep(INFINITE);  // the library's window on this thread never answers again
        return 0;
    }
    if (!WaitPumping(go.get(), 120000)) return 2;
    if (idle) sets = 0;
    Random random(uint64_t(index) * 7919 + 1);
    long longest = 0;
    for (long i = 0; i < sets; ++i) {
        const ULONGLONG before = GetTickCount64();
        const int code = AnnounceSomething(random);
        const long took = long(GetTickCount64() - before);
        longest = std::max(longest, took);
        if (code != 100 && code != 101) return 3;
        slot.sent = i + 1;
        slot.longestSetterMs = longest;
        slot.heard = g_heard.load();
        PumpMessagesFor(random.Below(3));
    }
    // Keep answering until every live process is done sending; setters are synchronous, so by
    // then every notification was delivered or given up.
    WaitPumping(allSent.get(), 3600000);
    PumpMessagesFor(200);
    slot.heard = g_heard.load();
    slot.finished = 1;
    return 0;
}

int RunSuite(int argc, char** argv)
{
    const bool full = FullLength(argc, argv);
    const long sets = ArgumentValue(argc, argv, "--sets", full ? 60 : 6);
    SuiteReport report(5, "notification load");
    SharedView shared(true);
    UniqueHandle go(CreateEventA(nullptr, TRUE, FALSE, kGo));
    UniqueHandle allSent(CreateEventA(nullptr, TRUE, FALSE, kAllSent));
    if (!report.Check(bool(shared) && go.valid() && allSent.valid(), "shared state for the processes"))
        return report.Finish();
    UniqueHandle processes[kProcesses];
    const int hungIndex = kProcesses - 1;
    // "--all-live": the last process answers but sends nothing; shows what the hung one costs.
    const bool allLive = HasArgument(argc, argv, "--all-live");
    for (int i = 0; i < kProcesses; ++i) {
        char arguments[64];
        std::snprintf(arguments, sizeof(arguments), "--listener %d --sets %ld%s", i, sets,
                      i == hungIndex && !allLive ? " --hung" : i == hungIndex ? " --idle" : "");
        processes[i] = StartSelf(arguments);
    }
    // Everybody registered before anybody announces.
    const ULONGLONG readyBy = GetTickCount64() + 120000;
    int ready = 0;
    while (GetTickCount64() < readyBy) {
        ready = 0;
        for (int i = 0; i < kProcesses; ++i) ready += shared->slot[i].ready.load() != 0;
        if (ready == kProcesses) break;
        PumpMessagesFor(20);
    }
    if (!report.Check(ready == kProcesses, "%d of %d processes loaded the library and registered", ready, kProcesses))
        return report.Finish();
    const ULONGLONG started = GetTickCount64();
    SetEvent(go.get());
    const ULONGLONG sendBy = started + DWORD(sets) * (kSetterLimitMs + kSlackMs) + 60000;
    bool allDone = false;
    while (!allDone && GetTickCount64() < sendBy) {
        allDone = true;
        for (int i = 0; i < kLive; ++i) {
            const bool ended = WaitForSingleObject(processes[i].get(), 0) == WAIT_OBJECT_0;
            if (shared->slot[i].sent.load() < sets && !ended) allDone = false;
        }
        PumpMessagesFor(50);
    }
    const ULONGLONG sendingMs = GetTickCount64() - started;
    SetEvent(allSent.get());
    int finished = 0;
    long longest = 0, totalSent = 0;
    for (int i = 0; i < kLive; ++i) {
        if (WaitPumping(processes[i].get(), 60000) && ExitCodeOf(processes[i].get()) == 0) ++finished;
        longest = std::max(longest, shared->slot[i].longestSetterMs.load());
        totalSent += shared->slot[i].sent.load();
    }
    TerminateProcess(processes[hungIndex].get(), 0);
    WaitForSingleObject(processes[hungIndex].get(), 10000);

    report.Tried("%d processes with the library loaded, 1 never answering; %d others each made %ld changes with the "
                 "notify flag (%ld in all, %llu ms)",
                 kProcesses, kLive, sets, totalSent, static_cast<unsigned long long>(sendingMs));
    report.Check(finished == kLive, "%d of %d live processes made all their changes and ended cleanly", finished, kLive);
    report.Check(longest <= long(kSetterLimitMs + kSlackMs), "longest setter wait %ld ms (limit for a hung receiver %lu ms)",
                 longest, kSetterLimitMs);
    int complete = 0;
    long fewest = totalSent, most = 0;
    for (int i = 0; i < kLive; ++i) {
        const long heard = shared->slot[i].heard.load();
        fewest = std::min(fewest, heard);
        most = std::max(most, heard);
        if (heard == totalSent) ++complete;
    }
    report.Check(complete == kLive, "%d of %d live processes heard all %ld changes (fewest %ld, most %ld)", complete,
                 kLive, totalSent, fewest, most);
    report.Figure("changes=%ld", totalSent);
    report.Figure("heard by all=%d/%d", complete, kLive);
    report.Figure("longest setter %ld ms", longest);
    return report.Finish();
}

}  // namespace
}  // namespace rkx::stress

int main(int argc, char** argv)
{
    try {
        using namespace rkx::stress;
        const long listener = ArgumentValue(argc, argv, "--listener", -1);
        if (listener >= 0 && listener < kProcesses)
            return RunListener(int(listener), ArgumentValue(argc, argv, "--sets", 1), HasArgument(argc, argv, "--hung"),
                               HasArgument(argc, argv, "--idle"));
        return RunSuite(argc, argv);
    } catch (...) {
        std::puts("stress: unexpected exception");
        return 3;
    }
}
