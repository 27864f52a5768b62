#include "period_stats.h"

#include <algorithm>
#include <numeric>

namespace vmixstream {

PeriodSummary SummarizePeriods(std::vector<double> periodsMs)
{
    PeriodSummary summary;
    if (periodsMs.empty()) return summary;
    std::sort(periodsMs.begin(), periodsMs.end());
    summary.meanMs = std::accumulate(periodsMs.begin(), periodsMs.end(), 0.0) / static_cast<double>(periodsMs.size());
    summary.p99Ms = periodsMs[(periodsMs.size() - 1) * 99 / 100];
    summary.maxMs = periodsMs.back();
    return summary;
}

}  // namespace vmixstream
