/* Streaming requests on a pin: format, start and stop, and the transfer queues the audio
 * clock serves. */
#include "vmix_driver.h"

#define MAX_QUEUED_TRANSFERS 8u
#define MAX_OUTPUT_PINS      128
#define START_ASYNC_DELAY_MS 5u

VOID VmixResetStreamStateLocked(VmixMixer *mixer)
{
    KIRQL irql;
    mixer->state.streaming = 0;
    mixer->state.rate = 0;
    KeAcquireSpinLock(&mixer->streamLock, &irql);
    mixer->state.frames = 0;
    KeReleaseSpinLock(&mixer->streamLock, irql);
    mixer->state.outputPins = 0;
    mixer->streamOwner = NULL;
    mixer->sampleClock = 0;
}

static BOOLEAN ReadInt32(PIRP irp, ULONG inputBytes, LONG *value)
{
    if (inputBytes < sizeof(LONG)) return FALSE;
    *value = *(const LONG *)irp->AssociatedIrp.SystemBuffer;
    return TRUE;
}

static NTSTATUS QueueTransfer(VmixMixer *mixer, PIRP irp, PLIST_ENTRY queue, ULONG blockBytes)
{
    NTSTATUS status;
    KIRQL irql;
    LONGLONG queuedAt = KeQueryPerformanceCounter(NULL).QuadPart;
    KeAcquireSpinLock(&mixer->streamLock, &irql);
    if (mixer->state.frames == 0) {
        status = STATUS_DEVICE_NOT_READY;
    } else if (blockBytes != RkxBlockBytes(mixer->state.frames)) {
        status = STATUS_INVALID_PARAMETER;
    } else if (VmixQueueLengthLocked(queue) >= MAX_QUEUED_TRANSFERS) {
        status = STATUS_INSUFFICIENT_RESOURCES;
    } else {
        VmixSetQueuedTime(irp, queuedAt);
        status = VmixQueueIrpLocked(queue, irp, VMIX_QUEUED_TRANSFER, (LONG)mixer->index);
    }
    KeReleaseSpinLock(&mixer->streamLock, irql);
    return status;
}

static NTSTATUS SetFrames(VmixMixer *mixer, LONG frames)
{
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql, streamIrql;
    if (frames < (LONG)RKX_FRAME_STEP || frames > (LONG)RKX_MAX_BLOCK_FRAMES || frames % RKX_FRAME_STEP != 0) {
        return STATUS_INVALID_PARAMETER;
    }
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    if (mixer->state.streaming) {
        status = STATUS_INVALID_DEVICE_STATE;
    } else {
        KeAcquireSpinLock(&mixer->streamLock, &streamIrql);
        mixer->state.frames = (ULONG)frames;
        KeReleaseSpinLock(&mixer->streamLock, streamIrql);
    }
    KeReleaseSpinLock(&g_vmix.lock, irql);
    return status;
}

static NTSTATUS SetRate(VmixMixer *mixer, LONG rate)
{
    KIRQL irql;
    if (rate != RKX_SAMPLE_RATE) return STATUS_NOT_SUPPORTED;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    mixer->state.rate = (ULONG)rate;
    KeReleaseSpinLock(&g_vmix.lock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS SetOutputPins(VmixMixer *mixer, LONG pins)
{
    KIRQL irql;
    if (pins < 0 || pins > MAX_OUTPUT_PINS) return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    mixer->state.outputPins = (ULONG)pins;
    KeReleaseSpinLock(&g_vmix.lock, irql);
    return STATUS_SUCCESS;
}

/* With the asynchronous-start fault armed the start answers pending and a worker starts the
 * stream a few milliseconds later; a start that cannot succeed still fails at once. */
static NTSTATUS Start(VmixMixer *mixer, PIRP irp)
{
    NTSTATUS status;
    KIRQL irql;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    if (!mixer->startAsync) {
        KeReleaseSpinLock(&g_vmix.lock, irql);
        return VmixStartStream(mixer, IoGetCurrentIrpStackLocation(irp)->FileObject);
    }
    if (!mixer->state.streaming && (mixer->state.rate == 0 || mixer->state.frames == 0)) {
        status = STATUS_DEVICE_NOT_READY;
    } else {
        status = VmixDelayRequestLocked(mixer, irp, VMIX_QUEUED_DELAYED_START, START_ASYNC_DELAY_MS);
    }
    KeReleaseSpinLock(&g_vmix.lock, irql);
    return status;
}

NTSTATUS VmixStreamRequest(VmixMixer *mixer, PIRP irp, ULONG code, ULONG_PTR *replyBytes)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG inputBytes = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outputBytes = stack->Parameters.DeviceIoControl.OutputBufferLength;
    LONG value;

    *replyBytes = 0;
    switch (code) {
    case IOCTL_STREAM_SET_RATE:
        return ReadInt32(irp, inputBytes, &value) ? SetRate(mixer, value) : STATUS_INVALID_PARAMETER;
    case IOCTL_STREAM_SET_FRAMES:
        return ReadInt32(irp, inputBytes, &value) ? SetFrames(mixer, value) : STATUS_INVALID_PARAMETER;
    case IOCTL_STREAM_SET_OUTPUT_PINS:
        return ReadInt32(irp, inputBytes, &value) ? SetOutputPins(mixer, value) : STATUS_INVALID_PARAMETER;
    case IOCTL_STREAM_WRITE:
        return QueueTransfer(mixer, irp, &mixer->writeQueue, inputBytes);
    case IOCTL_STREAM_READ:
        return QueueTransfer(mixer, irp, &mixer->readQueue, outputBytes);
    case IOCTL_STREAM_START:
        return Start(mixer, irp);
    case IOCTL_STREAM_STOP:
        VmixStopStream(mixer, STATUS_CANCELLED);
        return STATUS_SUCCESS;
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

NTSTATUS VmixStartStream(VmixMixer *mixer, PFILE_OBJECT owner)
{
    NTSTATUS status = STATUS_SUCCESS;
    KIRQL irql;
    ExAcquireFastMutex(&mixer->clockMutex);
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    if (mixer->state.streaming) {
        KeReleaseSpinLock(&g_vmix.lock, irql);
        ExReleaseFastMutex(&mixer->clockMutex);
        return STATUS_SUCCESS;
    }
    if (!mixer->state.plugged) status = STATUS_DEVICE_REMOVED;
    else if (mixer->state.rate == 0 || mixer->state.frames == 0) status = STATUS_DEVICE_NOT_READY;
    if (NT_SUCCESS(status)) {
        mixer->state.streaming = 1;
        mixer->streamOwner = owner;
        mixer->stats.streamStarts++;
    }
    KeReleaseSpinLock(&g_vmix.lock, irql);

    if (NT_SUCCESS(status)) {
        status = VmixStartClock(mixer);
        if (!NT_SUCCESS(status)) {
            KeAcquireSpinLock(&g_vmix.lock, &irql);
            mixer->state.streaming = 0;
            mixer->streamOwner = NULL;
            KeReleaseSpinLock(&g_vmix.lock, irql);
        }
    }
    ExReleaseFastMutex(&mixer->clockMutex);
    return status;
}

VOID VmixStopStream(VmixMixer *mixer, NTSTATUS queuedStatus)
{
    LIST_ENTRY taken;
    KIRQL irql;
    InitializeListHead(&taken);

    ExAcquireFastMutex(&mixer->clockMutex);
    VmixStopClock(mixer);
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    mixer->state.streaming = 0;
    mixer->streamOwner = NULL;
    KeReleaseSpinLock(&g_vmix.lock, irql);
    KeAcquireSpinLock(&mixer->streamLock, &irql);
    VmixTakeIrpsLocked(&mixer->writeQueue, NULL, -1, &taken);
    VmixTakeIrpsLocked(&mixer->readQueue, NULL, -1, &taken);
    KeReleaseSpinLock(&mixer->streamLock, irql);
    ExReleaseFastMutex(&mixer->clockMutex);

    VmixCompleteTakenIrps(&taken, queuedStatus);
}

VOID VmixEndFileRequests(VmixMixer *mixer, PFILE_OBJECT file)
{
    LIST_ENTRY taken;
    BOOLEAN ownsStream;
    KIRQL irql;
    InitializeListHead(&taken);

    KeAcquireSpinLock(&g_vmix.lock, &irql);
    ownsStream = mixer->state.streaming && mixer->streamOwner == file;
    VmixTakeIrpsLocked(&g_vmix.delayedQueue, file, -1, &taken);
    KeReleaseSpinLock(&g_vmix.lock, irql);
    KeAcquireSpinLock(&mixer->streamLock, &irql);
    VmixTakeIrpsLocked(&mixer->writeQueue, file, -1, &taken);
    VmixTakeIrpsLocked(&mixer->readQueue, file, -1, &taken);
    KeReleaseSpinLock(&mixer->streamLock, irql);

    VmixCompleteTakenIrps(&taken, STATUS_CANCELLED);
    if (ownsStream) VmixStopStream(mixer, STATUS_CANCELLED);
}
