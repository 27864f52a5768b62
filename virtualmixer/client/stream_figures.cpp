#include "stream_figures.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "common/mixer_requests.h"

namespace rkx::vmix {

StreamFigures::StreamFigures(uint32_t bufferFrames)
    : bufferUs_(uint64_t(bufferFrames) * 1000000u / RKX_SAMPLE_RATE),
      bufferFrames_(bufferFrames),
      periods_(std::make_unique<RkxTimingHistogram>())
{
    RkxTimingClear(periods_.get());
}

void StreamFigures::AddSwitch(uint64_t periodUs, uint64_t positionStep)
{
    ++switches_;
    RkxTimingAdd(periods_.get(), periodUs);
    const uint64_t byTimeline = RkxMissedPeriods(periodUs, bufferUs_);
    const uint64_t byPosition =
        bufferFrames_ != 0 && positionStep > bufferFrames_ ? positionStep / bufferFrames_ - 1 : 0;
    missed_ += std::max(byTimeline, byPosition);
    if (byTimeline != 0) ++late_;
}

double StreamFigures::MissedPercent() const
{
    const uint64_t expected = switches_ + missed_;
    return expected != 0 ? 100.0 * double(missed_) / double(expected) : 0.0;
}

double StreamFigures::LatePercent() const
{
    return switches_ != 0 ? 100.0 * double(late_) / double(switches_) : 0.0;
}

void StreamFigures::PrintLine(double cpuUsPerSwitch) const
{
    const RkxTimingFigures periods = Periods();
    std::printf("figures switches %llu missed %llu late %llu period_mean_us %u period_p99_us %u period_max_us %u "
                "cpu_us_per_switch %.1f\n",
                static_cast<unsigned long long>(switches_), static_cast<unsigned long long>(missed_),
                static_cast<unsigned long long>(late_), periods.meanUs, periods.p99Us, periods.maxUs, cpuUsPerSwitch);
}

bool StreamFigures::WriteDistribution(const std::wstring& path, std::string& error) const
{
    FILE* file = _wfopen(path.c_str(), L"w");
    if (file == nullptr) {
        error = "cannot write the period distribution";
        return false;
    }
    for (uint32_t i = 0; i < RKX_TIMING_BUCKETS; ++i) {
        if (periods_->bucket[i] != 0)
            std::fprintf(file, "%u %u\n", i * RKX_TIMING_BUCKET_US + RKX_TIMING_BUCKET_US / 2, periods_->bucket[i]);
    }
    const bool written = std::fclose(file) == 0;
    if (!written) error = "cannot write the period distribution";
    return written;
}

}  // namespace rkx::vmix
