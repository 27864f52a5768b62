/* Requests that the rig asked to complete late (control delay, asynchronous start). They
 * wait in one queue with their due time and a worker thread carries them out when due, as a
 * slow device would answer. */
#include "vmix_driver.h"

#define POLL_MS 1

/* The due time is a 64-bit counter value: it takes two context slots, since a pointer holds
 * only 32 bits in the i686 build (one slot would cut it and make every delay end at once). */
static VOID SetDueTime(PIRP irp, LONGLONG due)
{
    ULONGLONG bits = (ULONGLONG)due;
    irp->Tail.Overlay.DriverContext[2] = (PVOID)(ULONG_PTR)(ULONG)bits;
    irp->Tail.Overlay.DriverContext[3] = (PVOID)(ULONG_PTR)(ULONG)(bits >> 32);
}

static LONGLONG DueTime(PIRP irp)
{
    ULONGLONG low = (ULONG)(ULONG_PTR)irp->Tail.Overlay.DriverContext[2];
    ULONGLONG high = (ULONG)(ULONG_PTR)irp->Tail.Overlay.DriverContext[3];
    return (LONGLONG)((high << 32) | low);
}

static LONGLONG Now(void)
{
    return KeQueryPerformanceCounter(NULL).QuadPart;
}

NTSTATUS VmixDelayRequestLocked(VmixMixer *mixer, PIRP irp, VmixQueuedKind kind, ULONG delayMs)
{
    LONGLONG due = Now() + (LONGLONG)delayMs * g_vmix.counterFrequency.QuadPart / 1000;
    SetDueTime(irp, due);
    NTSTATUS status = VmixQueueIrpLocked(&g_vmix.delayedQueue, irp, kind, (LONG)mixer->index);
    if (status == STATUS_PENDING) KeSetEvent(&g_vmix.delayWakeEvent, IO_NO_INCREMENT, FALSE);
    return status;
}

static PIRP TakeDueRequestLocked(LONGLONG now)
{
    PLIST_ENTRY queue = &g_vmix.delayedQueue;
    for (PLIST_ENTRY entry = queue->Flink; entry != queue; entry = entry->Flink) {
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        if (DueTime(irp) <= now && VmixTakeIrpLocked(irp)) return irp;
    }
    return NULL;
}

static VOID CarryOut(PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    LONG mixerIndex = (LONG)(LONG_PTR)irp->Tail.Overlay.DriverContext[1];
    VmixMixer *mixer = &g_vmix.mixer[mixerIndex];
    ULONG_PTR replyBytes = 0;
    VmixRequestRecord record;
    NTSTATUS status;
    KIRQL irql;

    VmixBeginRecord(&record, mixerIndex, irp);
    if ((ULONG_PTR)irp->Tail.Overlay.DriverContext[0] == VMIX_QUEUED_DELAYED_START) {
        status = VmixStartStream(mixer, stack->FileObject);
    } else {
        KeAcquireSpinLock(&g_vmix.lock, &irql);
        status = VmixExecuteControlLocked(mixer, record.code, irp->AssociatedIrp.SystemBuffer,
                                          stack->Parameters.DeviceIoControl.InputBufferLength,
                                          stack->Parameters.DeviceIoControl.OutputBufferLength, &replyBytes);
        KeReleaseSpinLock(&g_vmix.lock, irql);
    }
    VmixJournalRecord(&record, status, irp, replyBytes);
    VmixCompleteRequest(irp, status, NT_SUCCESS(status) ? replyBytes : 0);
}

static VOID NTAPI DelayWorker(PVOID context)
{
    UNREFERENCED_PARAMETER(context);
    while (!g_vmix.delayWorkerStopRequested) {
        KIRQL irql;
        KeAcquireSpinLock(&g_vmix.lock, &irql);
        PIRP irp = TakeDueRequestLocked(Now());
        BOOLEAN waiting = !IsListEmpty(&g_vmix.delayedQueue);
        KeReleaseSpinLock(&g_vmix.lock, irql);

        if (irp != NULL) {
            CarryOut(irp);
            continue;
        }
        LARGE_INTEGER poll;
        poll.QuadPart = -(LONGLONG)POLL_MS * 10000;
        KeWaitForSingleObject(&g_vmix.delayWakeEvent, Executive, KernelMode, FALSE, waiting ? &poll : NULL);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

NTSTATUS VmixStartDelayWorker(void)
{
    g_vmix.delayWorkerStopRequested = 0;
    return VmixStartSystemThread(DelayWorker, NULL, &g_vmix.delayWorkerThread);
}

VOID VmixStopDelayWorker(void)
{
    if (g_vmix.delayWorkerThread == NULL) return;
    InterlockedExchange(&g_vmix.delayWorkerStopRequested, 1);
    KeSetEvent(&g_vmix.delayWakeEvent, IO_NO_INCREMENT, FALSE);
    VmixJoinSystemThread(&g_vmix.delayWorkerThread);
}

VOID VmixEndDelayedRequests(LONG mixerIndex, NTSTATUS status)
{
    LIST_ENTRY taken;
    KIRQL irql;
    InitializeListHead(&taken);
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    VmixTakeIrpsLocked(&g_vmix.delayedQueue, NULL, mixerIndex, &taken);
    KeReleaseSpinLock(&g_vmix.lock, irql);
    VmixCompleteTakenIrps(&taken, status);
}
