// Suite 1: every export of the setup library, hundreds of thousands of times, from two
// threads in each of two processes, while the mixer comes and goes and fails requests.
// Each worker thread also owns a user hive of its own, written only with valid values; the
// hive must in the end hold exactly the last value each successful setter stored.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "common/mixer_requests.h"
#include "common/unique_registry_key.h"
#include "include/rkx_t2_setup.h"
#include "tests/stress/export_calls.h"
#include "tests/stress/process_tools.h"
#include "tests/stress/suite_report.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace rkx::stress {
namespace {

constexpr int kWorkers = 2;
constexpr int kThreads = 2;
constexpr int kProduct = QVR_PRODUCT_RKX_T2;
// Exit code bits of a worker.
constexpr int kOffContract = 1;
constexpr int kReadBackWrong = 2;

std::wstring OwnHive(int worker, int thread)
{
    return L"S-1-5-21-4242-" + std::to_wstring(worker) + L"-" + std::to_wstring(thread) + L"-1000";
}

// The settings a worker thread tracks in its own hive.
struct Tracked {
    const wchar_t* name;
    int channel;  // -1: the boost level
    bool input;   // a send channel (QVR_SetUSBInputAudio2) rather than a receive channel
    int below;
};
const Tracked kTracked[] = {
    {L"Output1", 0, true, 8}, {L"Output2", 1, true, 8}, {L"Output3", 2, true, 7}, {L"Input1", 0, false, 3},
    {L"Input2", 1, false, 3}, {L"Input3", 2, false, 3}, {L"Level", -1, false, 4},
};
constexpr size_t kTrackedCount = sizeof(kTracked) / sizeof(kTracked[0]);

int TrackedWrite(const Tracked& value, int index, const wchar_t* hive, int notify)
{
    if (value.channel < 0) return QVR_SetBoostLevelIndex2(kProduct, index, hive, notify);
    if (value.input) return QVR_SetUSBInputAudio2(kProduct, value.channel, index, hive, notify);
    return QVR_SetUSBOutputAudio2(kProduct, value.channel, index, hive, notify);
}

bool StoredValue(const wchar_t* hive, const wchar_t* name, DWORD& value)
{
    UniqueKey key;
    const std::wstring path = std::wstring(hive) + L"\\Software\\Korvane\\RKX-T2";
    if (RegOpenKeyExW(HKEY_USERS, path.c_str(), 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return false;
    DWORD type = 0, bytes = sizeof(value);
    return RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && bytes == sizeof(value);
}

struct ThreadResult {
    ExportTally tally;
    uint64_t trackedWrites = 0;
    int readBackMismatches = 0;
    std::string firstMismatch;
};

void SweepThread(int worker, int thread, long calls, uint64_t seed, const TextPool& pool, ThreadResult& result)
{
    Random random(seed + uint64_t(worker) * 1000 + uint64_t(thread));
    const std::wstring hive = OwnHive(worker, thread);
    int last[kTrackedCount];
    for (int& value : last) value = -1;
    for (long i = 0; i < calls; ++i) {
        if (random.Chance(10)) {
            const size_t which = random.Below(kTrackedCount);
            const int index = int(random.Below(uint32_t(kTracked[which].below)));
            const int code = TrackedWrite(kTracked[which], index, hive.c_str(), random.Chance(30) ? 1 : 0);
            ++result.trackedWrites;
            if (code == 100 || code == 101) last[which] = index;
            continue;
        }
        CallExport(int(random.Below(kExportCount)), random, pool, result.tally);
    }
    for (size_t i = 0; i < kTrackedCount; ++i) {
        DWORD stored = 0;
        const bool present = StoredValue(hive.c_str(), kTracked[i].name, stored);
        const bool right = last[i] < 0 ? !present : present && stored == DWORD(last[i]);
        if (!right) {
            ++result.readBackMismatches;
            if (result.firstMismatch.empty()) {
                char text[160];
                std::snprintf(text, sizeof(text), "%ls: last written %d, stored %ld", kTracked[i].name, last[i],
                              present ? long(stored) : -1L);
                result.firstMismatch = text;
            }
        }
        // The library's own getter reads the same value back.
        int read = -1;
        const int code = kTracked[i].channel < 0
                             ? QVR_GetCurrentBoostLevelIndex2(kProduct, &read, hive.c_str())
                             : kTracked[i].input
                                   ? QVR_GetCurrentUSBInputAudioIndex2(kProduct, kTracked[i].channel, &read, hive.c_str())
                                   : QVR_GetCurrentUSBOutputAudioIndex2(kProduct, kTracked[i].channel, &read, hive.c_str());
        if (last[i] >= 0 && (code != 100 || read != last[i])) {
            ++result.readBackMismatches;
            if (result.firstMismatch.empty()) result.firstMismatch = "getter disagrees with the store";
        }
    }
}

int RunWorker(int worker, long calls, uint64_t seed)
{
    const TextPool pool;
    ThreadResult results[kThreads];
    std::thread threads[kThreads];
    std::atomic<int> finished{0};
    for (int t = 0; t < kThreads; ++t)
        threads[t] = std::thread([&, t] {
            SweepThread(worker, t, calls, seed, pool, results[t]);
            ++finished;
        });
    // Setters announce to this process's window, which lives on this thread: keep it answering.
    while (finished.load() < kThreads) PumpMessagesFor(20);
    for (auto& thread : threads) thread.join();
    int code = 0;
    for (int t = 0; t < kThreads; ++t) {
        const ThreadResult& r = results[t];
        std::printf("   worker %d.%d: %llu calls, %llu tracked writes, %llu off contract%s%s, %d read-back mismatches%s%s\n",
                    worker, t, static_cast<unsigned long long>(r.tally.calls),
                    static_cast<unsigned long long>(r.trackedWrites),
                    static_cast<unsigned long long>(r.tally.offContract), r.tally.firstFault.empty() ? "" : " (first: ",
                    r.tally.firstFault.empty() ? "" : (r.tally.firstFault + ")").c_str(), r.readBackMismatches,
                    r.firstMismatch.empty() ? "" : " (first: ", r.firstMismatch.empty() ? "" : (r.firstMismatch + ")").c_str());
        if (r.tally.offContract > 0) code |= kOffContract;
        if (r.readBackMismatches > 0) code |= kReadBackWrong;
    }
    std::fflush(stdout);
    return code;
}

// Each worker thread's hive, with the "SOFTWARE" key a real profile has.
bool PrepareHives(bool create)
{
    bool fine = true;
    for (int w = 0; w < kWorkers; ++w) {
        for (int t = 0; t < kThreads; ++t) {
            const std::wstring hive = OwnHive(w, t);
            RegDeleteTreeW(HKEY_USERS, hive.c_str());
            if (!create) continue;
            UniqueKey key;
            fine &= RegCreateKeyExW(HKEY_USERS, (hive + L"\\SOFTWARE").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    key.receive(), nullptr) == ERROR_SUCCESS;
        }
    }
    return fine;
}

// The mixer's condition, changed at random while the workers call: connected (one or two
// mixers), absent, failing requests, answering late.
struct ConditionTally {
    int connected = 0, absent = 0, failing = 0, late = 0;
};

void ChangeCondition(vmix::VirtualMixerClient& rig, Random& random, ConditionTally& tally)
{
    rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, 0, 0);
    switch (random.Below(4)) {
    case 0:
        rig.SetPlugged(0, true);
        rig.SetPlugged(1, random.Chance(30));
        ++tally.connected;
        break;
    case 1:
        rig.SetPlugged(0, false);
        rig.SetPlugged(1, false);
        ++tally.absent;
        break;
    case 2: {
        rig.SetPlugged(0, true);
        const DWORD code = RKX_MIXER_REQUEST(random.Below(RKX_CONTROL_REQUEST_COUNT));
        rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, code, 1 + random.Below(20));
        ++tally.failing;
        break;
    }
    default:
        rig.SetPlugged(0, true);
        rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, 0, 1 + random.Below(15));
        ++tally.late;
        break;
    }
}

// Every value of the current user's store is still a DWORD within its range.
bool CurrentUserStoreSane(std::string& why)
{
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Korvane\\RKX-T2", 0, KEY_READ, key.receive()) != ERROR_SUCCESS)
        return true;
    for (const Tracked& value : kTracked) {
        DWORD data = 0, type = 0, bytes = sizeof(data);
        const LONG status = RegQueryValueExW(key.get(), value.name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes);
        if (status == ERROR_FILE_NOT_FOUND) continue;
        // Channel 2's setter accepts index 7, which its getter reads as the default.
        const DWORD limit = value.input ? 8 : DWORD(value.below);
        if (status != ERROR_SUCCESS || type != REG_DWORD || bytes != 4 || data >= limit) {
            char text[120];
            std::snprintf(text, sizeof(text), "%ls: status %ld type %lu bytes %lu value %lu", value.name, status, type,
                          bytes, data);
            why = text;
            return false;
        }
    }
    return true;
}

int RunSuite(int argc, char** argv)
{
    const bool full = FullLength(argc, argv);
    const long calls = ArgumentValue(argc, argv, "--calls", full ? 75000 : 2500);
    const uint64_t seed = SeedFrom(argc, argv);
    SuiteReport report(1, "library API sweep and fuzz");
    vmix::VirtualMixerClient rig;
    if (!report.Check(rig.IsOpen() && rig.Reset(), "the virtual mixer is loaded")) return report.Finish();
    report.Check(PrepareHives(true), "a hive of its own for each of the %d worker threads", kWorkers * kThreads);

    report.Tried("54 exports, %ld calls in each of %d threads of %d processes (seed %llu): products around 11, "
                 "integers at their edges and at random, null outputs, texts of 0 to 100000 characters with odd "
                 "code units, user keys that are no SIDs",
                 calls, kThreads, kWorkers, static_cast<unsigned long long>(seed));
    UniqueHandle workers[kWorkers];
    for (int w = 0; w < kWorkers; ++w) {
        char arguments[96];
        std::snprintf(arguments, sizeof(arguments), "--worker %d --calls %ld --seed %llu", w, calls,
                      static_cast<unsigned long long>(seed));
        workers[w] = StartSelf(arguments);
        report.Check(workers[w].valid(), "worker process %d started", w);
    }

    Random random(seed ^ 0x5eed);
    ConditionTally conditions;
    const ULONGLONG limit = GetTickCount64() + (full ? 3600000 : 600000);
    for (;;) {
        bool running = false;
        for (auto& worker : workers)
            if (worker.valid() && WaitForSingleObject(worker.get(), 0) == WAIT_TIMEOUT) running = true;
        if (!running || GetTickCount64() > limit) break;
        ChangeCondition(rig, random, conditions);
        PumpMessagesFor(50 + random.Below(400));
    }
    rig.Reset();
    report.Tried("mixer conditions while they ran: %d connected, %d absent, %d failing requests, %d answering late",
                 conditions.connected, conditions.absent, conditions.failing, conditions.late);

    for (int w = 0; w < kWorkers; ++w) {
        if (!workers[w].valid()) continue;
        const bool ended = WaitPumping(workers[w].get(), 1000);
        if (!report.Check(ended, "worker %d ended (no hang)", w)) {
            TerminateProcess(workers[w].get(), 99);
            continue;
        }
        const int code = ExitCodeOf(workers[w].get());
        if (!report.Check(code >= 0 && code <= 3, "worker %d did not crash (exit code 0x%x)", w, unsigned(code)))
            continue;
        report.Check((code & kOffContract) == 0, "worker %d: every result code one the interface allows", w);
        report.Check((code & kReadBackWrong) == 0, "worker %d: its hives hold the last successful writes", w);
    }
    std::string why;
    report.Check(CurrentUserStoreSane(why), "the current user's settings store holds only valid DWORDs%s%s",
                 why.empty() ? "" : ": ", why.c_str());
    PrepareHives(false);
    report.Figure("calls=%ld", calls * kThreads * kWorkers);
    report.Figure("conditions=%d", conditions.connected + conditions.absent + conditions.failing + conditions.late);
    return report.Finish();
}

}  // namespace
}  // namespace rkx::stress

int main(int argc, char** argv)
{
    try {
        using namespace rkx::stress;
        const long worker = ArgumentValue(argc, argv, "--worker", -1);
        if (worker >= 0)
            return RunWorker(int(worker), ArgumentValue(argc, argv, "--calls", 1000), SeedFrom(argc, argv));
        return RunSuite(argc, argv);
    } catch (...) {
        std::puts("stress: unexpected exception");
        return 3;
    }
}
