/* The audio clock of one mixer: a thread that ticks once per block period on absolute
 * deadlines (so sleep overshoot never accumulates), plays the oldest written block, renders
 * the send channels and hands them to the oldest waiting read.
 *
 * Waiting: a wait on a dispatcher object with a timeout is timed by the host system in whole
 * milliseconds (a 64-frame period is 1.33 ms), so the clock never waits on an object. It sleeps
 * in short delays, which the host system times to the microsecond, until a margin before the
 * deadline, then spins on the performance counter for the rest, yielding the processor to
 * any other thread that is ready. The margin follows how late the delays have been ending
 * lately, so the spin stays short on a quiet machine; a delay that ended far too late was a
 * preemption, which no spin can make up for, and leaves the margin as it was. */
#include "vmix_driver.h"

/* Sleep slices end at least this often, so a stop request is seen within one. */
#define SLICE_MS               20
/* Bounds of the spin margin before a deadline, and the margin's start. */
#define MIN_SPIN_MARGIN_US     100
#define MAX_SPIN_MARGIN_US     500
#define FIRST_SPIN_MARGIN_US   300

static LONGLONG Now(void)
{
    return KeQueryPerformanceCounter(NULL).QuadPart;
}

static ULONG64 TicksToUs(LONGLONG ticks)
{
    if (ticks <= 0) return 0;
    return (ULONG64)ticks * 1000000u / (ULONG64)g_vmix.counterFrequency.QuadPart;
}

static LONGLONG UsToTicks(LONGLONG us)
{
    return us * g_vmix.counterFrequency.QuadPart / 1000000;
}

VOID VmixClearStreamCounters(VmixMixer *mixer)
{
    KIRQL irql;
    KeAcquireSpinLock(&mixer->streamLock, &irql);
    VmixStreamCounters *counters = &mixer->streamCounters;
    counters->blocksWritten = counters->blocksRead = 0;
    counters->hostUnderruns = counters->lateReads = 0;
    counters->periods = counters->clockSlips = counters->cancelled = 0;
    RkxTimingClear(&counters->period);
    RkxTimingClear(&counters->lateness);
    KeReleaseSpinLock(&mixer->streamLock, irql);
}

VOID VmixAddStreamFigures(VmixMixer *mixer, VmixStats *stats)
{
    KIRQL irql;
    KeAcquireSpinLock(&mixer->streamLock, &irql);
    const VmixStreamCounters *counters = &mixer->streamCounters;
    stats->blocksWritten = counters->blocksWritten;
    stats->blocksRead = counters->blocksRead;
    stats->hostUnderruns = counters->hostUnderruns;
    stats->lateReads = counters->lateReads;
    stats->periods = counters->periods;
    stats->clockSlips = counters->clockSlips;
    stats->cancelled += counters->cancelled;
    RkxTimingFigures period = RkxTimingSummary(&counters->period);
    RkxTimingFigures lateness = RkxTimingSummary(&counters->lateness);
    KeReleaseSpinLock(&mixer->streamLock, irql);
    stats->periodMeanUs = period.meanUs;
    stats->periodP99Us = period.p99Us;
    stats->periodMaxUs = period.maxUs;
    stats->clockLateMeanUs = lateness.meanUs;
    stats->clockLateP99Us = lateness.p99Us;
    stats->clockLateMaxUs = lateness.maxUs;
}

/* Takes the transfer off a queue only when it fits the current block size; one that was
 * queued under another size is refused. */
static PIRP TakeTransferLocked(PLIST_ENTRY queue, ULONG blockBytes, BOOLEAN isWrite, PIRP *misfit)
{
    PIRP irp = VmixDequeueIrpLocked(queue);
    if (irp == NULL) return NULL;
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG bytes = isWrite ? stack->Parameters.DeviceIoControl.InputBufferLength
                          : stack->Parameters.DeviceIoControl.OutputBufferLength;
    if (bytes != blockBytes) {
        *misfit = irp;
        return NULL;
    }
    return irp;
}

static VOID CompleteMisfit(PIRP irp)
{
    if (irp != NULL) VmixCompleteRequest(irp, STATUS_INVALID_PARAMETER, 0);
}

/* The renderer's settings, copied under g_vmix.lock only when a writer changed them. */
typedef struct ClockSettings {
    VmixMixSettings mix;
    LONG generation;
    BOOLEAN valid;
} ClockSettings;

static VOID RefreshSettings(VmixMixer *mixer, ClockSettings *settings)
{
    LONG generation = mixer->settingsGeneration;
    if (settings->valid && generation == settings->generation) return;
    KIRQL irql;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    RtlCopyMemory(settings->mix.selector, mixer->state.selector, sizeof(settings->mix.selector));
    RtlCopyMemory(settings->mix.sendSource, mixer->state.sendSource, sizeof(settings->mix.sendSource));
    RtlCopyMemory(settings->mix.receiveRoute, mixer->state.receiveRoute, sizeof(settings->mix.receiveRoute));
    settings->mix.boostLevel = mixer->state.boostLevel;
    settings->generation = mixer->settingsGeneration;
    KeReleaseSpinLock(&g_vmix.lock, irql);
    settings->valid = TRUE;
}

/* One tick. A transfer counts as on time when it was queued by the period's deadline; one
 * that came after it but before this (late) tick is still played, as the host's lateness. */
static VOID RunPeriod(VmixMixer *mixer, ULONG frames, LONGLONG deadline, const ClockSettings *settings)
{
    ULONG blockBytes = RkxBlockBytes(frames);
    PIRP writeMisfit = NULL, readMisfit = NULL;
    ULONG64 firstSample;
    KIRQL irql;

    KeAcquireSpinLock(&mixer->streamLock, &irql);
    VmixStreamCounters *counters = &mixer->streamCounters;
    PIRP write = TakeTransferLocked(&mixer->writeQueue, blockBytes, TRUE, &writeMisfit);
    PIRP read = TakeTransferLocked(&mixer->readQueue, blockBytes, FALSE, &readMisfit);
    firstSample = mixer->sampleClock;
    mixer->sampleClock += frames;
    counters->periods++;
    if (write != NULL) counters->blocksWritten++;
    if (write == NULL || VmixQueuedTime(write) > deadline) counters->hostUnderruns++;
    if (read != NULL) counters->blocksRead++;
    if (read == NULL || VmixQueuedTime(read) > deadline) counters->lateReads++;
    KeReleaseSpinLock(&mixer->streamLock, irql);

    const LONG *played = write != NULL ? write->AssociatedIrp.SystemBuffer : mixer->silentBlock;
    ExAcquireFastMutex(&g_vmix.audioMutex);
    VmixCaptureBlock(mixer, played, frames);
    if (read != NULL) VmixRenderBlock(mixer, &settings->mix, played, read->AssociatedIrp.SystemBuffer, frames, firstSample);
    ExReleaseFastMutex(&g_vmix.audioMutex);

    if (write != NULL) VmixCompleteRequest(write, STATUS_SUCCESS, 0);
    if (read != NULL) VmixCompleteRequest(read, STATUS_SUCCESS, blockBytes);
    CompleteMisfit(writeMisfit);
    CompleteMisfit(readMisfit);
}

/* How close to a deadline the clock sleeps before it spins: twice the recent worst lateness
 * of its delays, which decays when they end on time again. */
typedef struct SpinMargin {
    LONGLONG recentOvershoot;       /* counter ticks */
    LONGLONG minimum, maximum;
} SpinMargin;

static LONGLONG MarginTicks(const SpinMargin *margin)
{
    LONGLONG ticks = 2 * margin->recentOvershoot;
    if (ticks < margin->minimum) ticks = margin->minimum;
    if (ticks > margin->maximum) ticks = margin->maximum;
    return ticks;
}

static VOID NoteOvershoot(SpinMargin *margin, LONGLONG overshoot)
{
    margin->recentOvershoot -= margin->recentOvershoot / 64;
    if (overshoot > margin->recentOvershoot && overshoot <= margin->maximum) margin->recentOvershoot = overshoot;
}

/* A zero delay only yields the processor (no timer, no wait). */
static VOID YieldToReadyThreads(void)
{
    LARGE_INTEGER none;
    none.QuadPart = 0;
    KeDelayExecutionThread(KernelMode, FALSE, &none);
}

/* Waits until the counter reaches deadline; FALSE when asked to stop meanwhile. */
static BOOLEAN WaitUntil(VmixMixer *mixer, LONGLONG deadline, SpinMargin *margin)
{
    LONGLONG sliceTicks = UsToTicks(SLICE_MS * 1000);
    for (;;) {
        if (mixer->clockStopRequested) return FALSE;
        LONGLONG now = Now();
        LONGLONG remaining = deadline - now;
        if (remaining <= 0) return TRUE;
        LONGLONG sleepTicks = remaining - MarginTicks(margin);
        if (sleepTicks <= 0) {
            YieldToReadyThreads();
            continue;
        }
        if (sleepTicks > sliceTicks) sleepTicks = sliceTicks;
        LARGE_INTEGER interval;
        interval.QuadPart = -(LONGLONG)(TicksToUs(sleepTicks) * 10);
        if (interval.QuadPart == 0) interval.QuadPart = -1;
        KeDelayExecutionThread(KernelMode, FALSE, &interval);
        NoteOvershoot(margin, Now() - (now + sleepTicks));
    }
}

/* The clock must win against ordinary threads. The header's KeGetCurrentThread reads the
 * processor block, which Wine does not have, so the priority is set by thread handle. */
static VOID RaiseToTimeCritical(void)
{
    LONG basePriority = 15; /* THREAD_PRIORITY_TIME_CRITICAL: saturates to the top of the class */
    ZwSetInformationThread(ZwCurrentThread(), ThreadBasePriority, &basePriority, sizeof(basePriority));
}

/* Deadlines one period apart: frames / 48000 s in counter ticks, kept exact by carrying the
 * remainder. */
typedef struct Timeline {
    LONGLONG deadline;
    LONGLONG periodTicks;
    LONGLONG periodRemainder;       /* of frames * frequency / 48000 */
    LONGLONG carried;
} Timeline;

static VOID AdvanceTimeline(Timeline *timeline, LONGLONG periods)
{
    timeline->deadline += periods * timeline->periodTicks;
    timeline->carried += periods * timeline->periodRemainder;
    timeline->deadline += timeline->carried / RKX_SAMPLE_RATE;
    timeline->carried %= RKX_SAMPLE_RATE;
}

static VOID NTAPI ClockThread(PVOID context)
{
    VmixMixer *mixer = context;
    LONGLONG frequency = g_vmix.counterFrequency.QuadPart;
    ClockSettings settings = {0};
    SpinMargin margin = {UsToTicks(FIRST_SPIN_MARGIN_US) / 2, UsToTicks(MIN_SPIN_MARGIN_US),
                         UsToTicks(MAX_SPIN_MARGIN_US)};
    KIRQL irql;

    RaiseToTimeCritical();
    KeAcquireSpinLock(&mixer->streamLock, &irql);
    ULONG frames = mixer->state.frames; /* fixed while streaming */
    KeReleaseSpinLock(&mixer->streamLock, irql);

    Timeline timeline = {0, (LONGLONG)frames * frequency / RKX_SAMPLE_RATE,
                         (LONGLONG)frames * frequency % RKX_SAMPLE_RATE, 0};
    timeline.deadline = Now() + timeline.periodTicks;
    LONGLONG previousTick = 0;

    while (!mixer->clockStopRequested) {
        /* A hiccup happens mid-stream, once the clock has ticked. The periods it swallows are
         * the clock's own slips, like any other oversleep. */
        if (previousTick != 0) {
            LONG stallMs = InterlockedExchange(&mixer->stallOnceMs, 0);
            if (stallMs > 0 && !WaitUntil(mixer, Now() + (LONGLONG)stallMs * frequency / 1000, &margin)) break;
        }
        if (!WaitUntil(mixer, timeline.deadline, &margin)) break;

        LONGLONG tick = Now();
        LONGLONG late = tick - timeline.deadline;
        /* Periods the clock slept through are skipped, not run back to back: a catch-up burst
         * would drain the host's queue and read as its underruns. Less than a period late,
         * the tick runs now and the next deadline stays where it was. */
        LONGLONG slipped = late >= timeline.periodTicks ? late / timeline.periodTicks : 0;
        if (slipped > 0) AdvanceTimeline(&timeline, slipped);
        KeAcquireSpinLock(&mixer->streamLock, &irql);
        RkxTimingAdd(&mixer->streamCounters.lateness, TicksToUs(late));
        if (previousTick != 0) RkxTimingAdd(&mixer->streamCounters.period, TicksToUs(tick - previousTick));
        mixer->streamCounters.clockSlips += (ULONG)(slipped > 0xFFFFFFFFLL ? 0xFFFFFFFFLL : slipped);
        KeReleaseSpinLock(&mixer->streamLock, irql);
        previousTick = tick;

        RefreshSettings(mixer, &settings);
        RunPeriod(mixer, frames, timeline.deadline, &settings);
        AdvanceTimeline(&timeline, 1);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

/* Called with clockMutex held. */
NTSTATUS VmixStartClock(VmixMixer *mixer)
{
    if (mixer->clockThread != NULL) return STATUS_SUCCESS;
    InterlockedExchange(&mixer->clockStopRequested, 0);
    return VmixStartSystemThread(ClockThread, mixer, &mixer->clockThread);
}

/* Called with clockMutex held; returns once the thread is gone (within one sleep slice). */
VOID VmixStopClock(VmixMixer *mixer)
{
    if (mixer->clockThread == NULL) return;
    InterlockedExchange(&mixer->clockStopRequested, 1);
    VmixJoinSystemThread(&mixer->clockThread);
}
