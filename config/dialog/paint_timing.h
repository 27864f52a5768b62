// Drawing costs for the bench: active only while the machine's diagnostics switch is on
// (common/diagnostics.h); the figures go to the utility's paint timing file there, once a
// second and when the window closes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace config {

class PaintTiming {
public:
    PaintTiming();
    bool enabled() const { return !path_.empty(); }

    // A monotonic time stamp in microseconds.
    static long long Now();
    void PaintDone(long long startedAt);
    // The whole 100 ms tick (with its setup-library polls) and its drawing alone.
    void BlinkTickDone(long long startedAt);
    void BlinkDrawDone(long long startedAt);
    // A named moment of the start-up, in milliseconds since the process started.
    void Milestone(const char* name);
    void Write() const;

private:
    struct Series {
        long long count = 0;
        long long total = 0;
        long long max = 0;
        void Add(long long value);
    };
    std::wstring path_;
    long long processStartedAt_ = 0;  // same clock as Now()
    long long firstPaint_ = -1;
    Series paints_;
    Series blinkTicks_;
    Series blinkDraws_;
    struct Moment {
        const char* name;
        long long at;
    };
    std::vector<Moment> milestones_;
};

}  // namespace config
