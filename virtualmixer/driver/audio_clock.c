/* The audio clock of one mixer: a thread that wakes once per block period on absolute
 * deadlines (so sleep overshoot never accumulates), plays the oldest written block, renders
 * the send channels and hands them to the oldest waiting read. */
#include "vmix_driver.h"

/* Further behind than this (a debugger, a stopped machine) the clock starts afresh instead
 * of racing through the missed periods. */
#define MAX_CATCH_UP_SECONDS 1

static LONGLONG Now(void)
{
    return KeQueryPerformanceCounter(NULL).QuadPart;
}

static VOID RecordPeriodLocked(VmixMixer *mixer, LONGLONG ticks)
{
    ULONG64 us = (ULONG64)ticks * 1000000u / (ULONG64)g_vmix.counterFrequency.QuadPart;
    ULONG bucket = (ULONG)(us / VMIX_PERIOD_BUCKET_US);
    if (bucket >= VMIX_PERIOD_BUCKETS) bucket = VMIX_PERIOD_BUCKETS - 1;
    mixer->periodHistogram[bucket]++;
    mixer->periodSumUs += us;
    mixer->periodSamples++;
    if (us > mixer->stats.periodMaxUs) mixer->stats.periodMaxUs = us > 0xFFFFFFFFu ? 0xFFFFFFFFu : (ULONG)us;
}

VOID VmixClearPeriodFiguresLocked(VmixMixer *mixer)
{
    RtlZeroMemory(mixer->periodHistogram, sizeof(mixer->periodHistogram));
    mixer->periodSumUs = 0;
    mixer->periodSamples = 0;
    mixer->stats.periodMaxUs = 0;
}

VOID VmixPeriodFigures(VmixMixer *mixer, ULONG *meanUs, ULONG *maxUs, ULONG *p99Us)
{
    KIRQL irql;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    ULONG samples = mixer->periodSamples;
    *maxUs = mixer->stats.periodMaxUs;
    *meanUs = samples ? (ULONG)(mixer->periodSumUs / samples) : 0;
    *p99Us = 0;
    if (samples != 0) {
        ULONG wanted = samples - samples / 100; /* at least 99 % of the periods */
        ULONG seen = 0;
        for (ULONG bucket = 0; bucket < VMIX_PERIOD_BUCKETS; bucket++) {
            seen += mixer->periodHistogram[bucket];
            if (seen >= wanted) {
                *p99Us = bucket == VMIX_PERIOD_BUCKETS - 1 ? *maxUs
                                                           : bucket * VMIX_PERIOD_BUCKET_US + VMIX_PERIOD_BUCKET_US / 2;
                break;
            }
        }
    }
    KeReleaseSpinLock(&g_vmix.lock, irql);
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

static VOID RunPeriod(VmixMixer *mixer, ULONG frames)
{
    ULONG blockBytes = RkxBlockBytes(frames);
    PIRP writeMisfit = NULL, readMisfit = NULL;
    VmixMixSettings settings;
    ULONG64 firstSample;
    KIRQL irql;

    KeAcquireSpinLock(&g_vmix.lock, &irql);
    PIRP write = TakeTransferLocked(&mixer->writeQueue, blockBytes, TRUE, &writeMisfit);
    PIRP read = TakeTransferLocked(&mixer->readQueue, blockBytes, FALSE, &readMisfit);
    RtlCopyMemory(settings.selector, mixer->state.selector, sizeof(settings.selector));
    RtlCopyMemory(settings.sendSource, mixer->state.sendSource, sizeof(settings.sendSource));
    RtlCopyMemory(settings.receiveRoute, mixer->state.receiveRoute, sizeof(settings.receiveRoute));
    settings.boostLevel = mixer->state.boostLevel;
    firstSample = mixer->sampleClock;
    mixer->sampleClock += frames;
    mixer->stats.periods++;
    if (write != NULL) mixer->stats.blocksWritten++;
    else mixer->stats.underruns++;
    if (read != NULL) mixer->stats.blocksRead++;
    else mixer->stats.lateReads++;
    KeReleaseSpinLock(&g_vmix.lock, irql);

    const LONG *played = write != NULL ? write->AssociatedIrp.SystemBuffer : mixer->silentBlock;
    ExAcquireFastMutex(&g_vmix.audioMutex);
    VmixCaptureBlock(mixer, played, frames);
    if (read != NULL) VmixRenderBlock(mixer, &settings, played, read->AssociatedIrp.SystemBuffer, frames, firstSample);
    ExReleaseFastMutex(&g_vmix.audioMutex);

    if (write != NULL) VmixCompleteRequest(write, STATUS_SUCCESS, 0);
    if (read != NULL) VmixCompleteRequest(read, STATUS_SUCCESS, blockBytes);
    CompleteMisfit(writeMisfit);
    CompleteMisfit(readMisfit);
}

/* Sleeps until the counter reaches deadline; FALSE when asked to stop meanwhile. */
static BOOLEAN SleepUntil(VmixMixer *mixer, LONGLONG deadline)
{
    LONGLONG remaining = deadline - Now();
    if (remaining <= 0) return !mixer->clockStopRequested;
    LARGE_INTEGER timeout;
    timeout.QuadPart = -(remaining * 10000000 / g_vmix.counterFrequency.QuadPart);
    if (timeout.QuadPart == 0) timeout.QuadPart = -1;
    KeWaitForSingleObject(&mixer->clockStopEvent, Executive, KernelMode, FALSE, &timeout);
    return !mixer->clockStopRequested;
}

/* The clock must win against ordinary threads. The header's KeGetCurrentThread reads the
 * processor block, which Wine does not have, so the priority is set by thread handle. */
static VOID RaiseToTimeCritical(void)
{
    LONG basePriority = 15; /* THREAD_PRIORITY_TIME_CRITICAL: saturates to the top of the class */
    ZwSetInformationThread(ZwCurrentThread(), ThreadBasePriority, &basePriority, sizeof(basePriority));
}

static VOID NTAPI ClockThread(PVOID context)
{
    VmixMixer *mixer = context;
    LONGLONG frequency = g_vmix.counterFrequency.QuadPart;
    KIRQL irql;

    RaiseToTimeCritical();
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    ULONG frames = mixer->state.frames; /* fixed while streaming */
    KeReleaseSpinLock(&g_vmix.lock, irql);

    /* period = frames / 48000 s in counter ticks, kept exact by carrying the remainder */
    LONGLONG periodTicks = (LONGLONG)frames * frequency / RKX_SAMPLE_RATE;
    LONGLONG periodRemainder = (LONGLONG)frames * frequency % RKX_SAMPLE_RATE;
    LONGLONG carried = 0;
    LONGLONG deadline = Now() + periodTicks;
    LONGLONG previousTick = 0;

    while (!mixer->clockStopRequested) {
        /* A hiccup happens mid-stream, once the clock has ticked; the missed periods are then
         * run back to back, so the host sees them as underruns and lost reads. */
        if (previousTick != 0) {
            LONG stallMs = InterlockedExchange(&mixer->stallOnceMs, 0);
            if (stallMs > 0 && !SleepUntil(mixer, Now() + (LONGLONG)stallMs * frequency / 1000)) break;
        }
        if (!SleepUntil(mixer, deadline)) break;

        LONGLONG tick = Now();
        if (tick - deadline > MAX_CATCH_UP_SECONDS * frequency) deadline = tick;
        if (previousTick != 0) {
            KeAcquireSpinLock(&g_vmix.lock, &irql);
            RecordPeriodLocked(mixer, tick - previousTick);
            KeReleaseSpinLock(&g_vmix.lock, irql);
        }
        previousTick = tick;
        RunPeriod(mixer, frames);

        deadline += periodTicks;
        carried += periodRemainder;
        if (carried >= RKX_SAMPLE_RATE) {
            carried -= RKX_SAMPLE_RATE;
            deadline++;
        }
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

/* Called with clockMutex held. */
NTSTATUS VmixStartClock(VmixMixer *mixer)
{
    if (mixer->clockThread != NULL) return STATUS_SUCCESS;
    InterlockedExchange(&mixer->clockStopRequested, 0);
    KeClearEvent(&mixer->clockStopEvent);
    return VmixStartSystemThread(ClockThread, mixer, &mixer->clockThread);
}

/* Called with clockMutex held; returns once the thread is gone. */
VOID VmixStopClock(VmixMixer *mixer)
{
    if (mixer->clockThread == NULL) return;
    InterlockedExchange(&mixer->clockStopRequested, 1);
    KeSetEvent(&mixer->clockStopEvent, IO_NO_INCREMENT, FALSE);
    VmixJoinSystemThread(&mixer->clockThread);
}
