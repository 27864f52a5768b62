#include "dialog/paint_timing.h"

#include <cstdio>

#include "common/diagnostics.h"

namespace config {
namespace {

long long Frequency()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
}

}  // namespace

long long PaintTiming::Now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    static const long long frequency = Frequency();
    return counter.QuadPart / frequency * 1000000 + counter.QuadPart % frequency * 1000000 / frequency;
}

void PaintTiming::Series::Add(long long value)
{
    ++count;
    total += value;
    if (value > max) max = value;
}

PaintTiming::PaintTiming()
{
    path_ = rkx::diagnostics::PrepareFile(rkx::diagnostics::kUtilityPaintTimingFile);
    if (path_.empty()) return;
    // The process's creation time on the system clock, moved onto the counter's clock.
    FILETIME created, exited, kernel, user, now;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        GetSystemTimePreciseAsFileTime(&now);
        const long long nowTicks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
        const long long createdTicks = (static_cast<long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
        processStartedAt_ = Now() - (nowTicks - createdTicks) / 10;
    } else {
        processStartedAt_ = Now();
    }
}

void PaintTiming::PaintDone(long long startedAt)
{
    if (!enabled()) return;
    const long long now = Now();
    if (firstPaint_ < 0) firstPaint_ = now - processStartedAt_;
    paints_.Add(now - startedAt);
}

void PaintTiming::BlinkTickDone(long long startedAt)
{
    if (!enabled()) return;
    blinkTicks_.Add(Now() - startedAt);
    // Once a second, so the figures are there even when the window never closes normally.
    if (blinkTicks_.count % 10 == 0) Write();
}

void PaintTiming::BlinkDrawDone(long long startedAt)
{
    if (enabled()) blinkDraws_.Add(Now() - startedAt);
}

void PaintTiming::Milestone(const char* name)
{
    if (enabled() && firstPaint_ < 0) milestones_.push_back({name, Now() - processStartedAt_});
}

void PaintTiming::Write() const
{
    if (!enabled()) return;
    FILE* file = _wfopen(path_.c_str(), L"w");
    if (file == nullptr) return;
    auto mean = [](const Series& s) { return s.count ? static_cast<double>(s.total) / s.count / 1000.0 : 0.0; };
    std::fprintf(file, "first_paint_ms %.1f\n", firstPaint_ / 1000.0);
    std::fprintf(file, "paints %lld mean_ms %.2f max_ms %.2f\n", paints_.count, mean(paints_), paints_.max / 1000.0);
    std::fprintf(file, "blink_ticks %lld mean_ms %.3f max_ms %.3f\n", blinkTicks_.count, mean(blinkTicks_),
                 blinkTicks_.max / 1000.0);
    std::fprintf(file, "blink_draws %lld mean_ms %.3f max_ms %.3f\n", blinkDraws_.count, mean(blinkDraws_),
                 blinkDraws_.max / 1000.0);
    for (const Moment& moment : milestones_) std::fprintf(file, "start_%s_ms %.1f\n", moment.name, moment.at / 1000.0);
    std::fclose(file);
}

}  // namespace config
