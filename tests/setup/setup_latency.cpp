// make bench: per-call latency of the setup library's busiest calls against the virtual mixer,
// median and 99th percentile over 1000 calls each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "include/rkx_t2_setup.h"

namespace {

constexpr int kCalls = 1000;
constexpr int kProduct = QVR_PRODUCT_RKX_T2;

struct Measured {
    const char* name;
    int (*call)();
};

double Microseconds(LONGLONG ticks, LONGLONG frequency) { return 1e6 * static_cast<double>(ticks) / static_cast<double>(frequency); }

void Measure(const Measured& measured, LONGLONG frequency)
{
    std::vector<double> samples;
    samples.reserve(kCalls);
    int lastResult = 0;
    for (int i = 0; i < kCalls; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        lastResult = measured.call();
        QueryPerformanceCounter(&end);
        samples.push_back(Microseconds(end.QuadPart - start.QuadPart, frequency));
    }
    std::sort(samples.begin(), samples.end());
    const double median = samples[kCalls / 2];
    const double p99 = samples[(kCalls * 99) / 100];
    std::printf("%-32s median %9.1f us  p99 %9.1f us  max %9.1f us  (result %d)\n", measured.name, median, p99,
                samples.back(), lastResult);
}

}  // namespace

int main()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const Measured kMeasured[] = {
        {"QVR_IsUSBConnection", [] { return QVR_IsUSBConnection(kProduct); }},
        {"QVR_GetFirmwareVersion", [] {
             int version = 0;
             return QVR_GetFirmwareVersion(kProduct, 0, &version);
         }},
        {"QVR_SetUSBInputAudio", [] { return QVR_SetUSBInputAudio(kProduct, 0, 2); }},
        {"QVR_GetCurrentBoostLevelIndex", [] {
             int index = 0;
             return QVR_GetCurrentBoostLevelIndex(kProduct, &index);
         }},
    };
    std::printf("setup library, %d calls each\n", kCalls);
    for (const auto& measured : kMeasured) Measure(measured, frequency.QuadPart);
    return 0;
}
