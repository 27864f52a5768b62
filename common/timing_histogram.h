/*
 * Timing figures that every streaming tool reports the same way: the virtual mixer's clock,
 * the raw stream probe and the ASIO check host. Values in microseconds go into a fixed table
 * of 10 us buckets, so adding one costs no allocation and no lock (the mixer's clock thread and
 * a host's buffer thread add to it). Mean and maximum are exact; p99 is the upper edge of the
 * bucket in which 99 % of the values are reached. Plain C: the kernel-mode mixer includes it.
 */
#ifndef RKX_TIMING_HISTOGRAM_H
#define RKX_TIMING_HISTOGRAM_H

#include <stdint.h>

#define RKX_TIMING_BUCKET_US 10u
#define RKX_TIMING_BUCKETS   5000u /* 50 ms; the last bucket gathers everything longer */

typedef struct RkxTimingHistogram {
    uint32_t bucket[RKX_TIMING_BUCKETS];
    uint64_t sumUs;
    uint32_t count;
    uint32_t maxUs;
} RkxTimingHistogram;

typedef struct RkxTimingFigures {
    uint32_t count;
    uint32_t meanUs;
    uint32_t p99Us;
    uint32_t maxUs;
} RkxTimingFigures;

static inline void RkxTimingClear(RkxTimingHistogram *histogram)
{
    for (uint32_t i = 0; i < RKX_TIMING_BUCKETS; i++) histogram->bucket[i] = 0;
    histogram->sumUs = 0;
    histogram->count = 0;
    histogram->maxUs = 0;
}

static inline void RkxTimingAdd(RkxTimingHistogram *histogram, uint64_t us)
{
    const uint32_t clipped = us > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)us;
    uint32_t index = clipped / RKX_TIMING_BUCKET_US;
    if (index >= RKX_TIMING_BUCKETS) index = RKX_TIMING_BUCKETS - 1;
    histogram->bucket[index]++;
    histogram->sumUs += clipped;
    histogram->count++;
    if (clipped > histogram->maxUs) histogram->maxUs = clipped;
}

static inline RkxTimingFigures RkxTimingSummary(const RkxTimingHistogram *histogram)
{
    RkxTimingFigures figures = {histogram->count, 0, 0, histogram->maxUs};
    if (histogram->count == 0) return figures;
    figures.meanUs = (uint32_t)(histogram->sumUs / histogram->count);
    /* the smallest bucket by which at least 99 % of the values were seen (ceil(0.99 n)) */
    const uint32_t wanted = histogram->count - histogram->count / 100;
    uint32_t seen = 0;
    for (uint32_t i = 0; i < RKX_TIMING_BUCKETS; i++) {
        seen += histogram->bucket[i];
        if (seen < wanted) continue;
        const uint32_t edge = (i + 1) * RKX_TIMING_BUCKET_US;
        figures.p99Us = i == RKX_TIMING_BUCKETS - 1 || edge > histogram->maxUs ? histogram->maxUs : edge;
        break;
    }
    return figures;
}

/*
 * Buffer periods a host lost when one came `periodUs` after the previous one, for a buffer of
 * `bufferUs`: none up to one and a half buffers (scheduling jitter that the second buffer in
 * flight absorbs); beyond, every whole buffer the gap held past the expected one, at least one.
 */
static inline uint32_t RkxMissedPeriods(uint64_t periodUs, uint64_t bufferUs)
{
    if (bufferUs == 0 || periodUs * 2 <= bufferUs * 3) return 0;
    const uint64_t buffers = (periodUs + bufferUs / 2) / bufferUs; /* nearest whole number */
    return buffers > 2 ? (uint32_t)(buffers - 1 > 0xFFFFFFFFu ? 0xFFFFFFFFu : buffers - 1) : 1u;
}

#endif
