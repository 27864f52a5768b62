// Summary of measured completion periods.
#pragma once

#include <vector>

namespace vmixstream {

struct PeriodSummary {
    double meanMs = 0.0;
    double p99Ms = 0.0;
    double maxMs = 0.0;
};

PeriodSummary SummarizePeriods(std::vector<double> periodsMs);

}  // namespace vmixstream
