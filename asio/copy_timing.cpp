#include "asio/copy_timing.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "asio/build_identity.h"
#include "common/diagnostics.h"
#include "common/unique_handle.h"

namespace rkx::asio {

CopyTiming BeginCopyTiming()
{
    CopyTiming timing;
    timing.enabled = diagnostics::Enabled();
    if (timing.enabled) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        timing.sessionCounter = now.QuadPart;
        timing.sessionCycles = __rdtsc();
    }
    return timing;
}

void WriteCopyTiming(const CopyTiming& timing)
{
    if (!timing.enabled || timing.switches == 0) return;
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const uint64_t sessionCycles = __rdtsc() - timing.sessionCycles;
    const double sessionUs = double(now.QuadPart - timing.sessionCounter) * 1e6 / double(frequency.QuadPart);
    if (sessionUs <= 0 || sessionCycles == 0) return;
    const double usPerCycle = sessionUs / double(sessionCycles);
    const size_t kept = size_t(std::min<int64_t>(timing.switches, int64_t(CopyTiming::kSampleCapacity)));
    std::vector<uint32_t> sorted(timing.samples, timing.samples + kept);
    std::sort(sorted.begin(), sorted.end());
    const double median = double(sorted[kept / 2]) * usPerCycle;
    const double mean = double(timing.cycles) * usPerCycle / double(timing.switches);
    char text[160];
    const int bytes = std::snprintf(text, sizeof text, "copy_us_per_switch %.3f\r\ncopy_us_mean %.3f\r\nswitches %lld\r\n",
                                    median, mean, static_cast<long long>(timing.switches));
    if (bytes <= 0 || bytes >= int(sizeof text)) return;
    const std::wstring path = diagnostics::PrepareFile(Build().copyTimingFile);
    if (path.empty()) return;
    rkx::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.get(), text, DWORD(bytes), &written, nullptr);
}

}  // namespace rkx::asio
