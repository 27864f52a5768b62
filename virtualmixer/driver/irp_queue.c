/* Queues of waiting IRPs that CancelIoEx can reach. Transfer queues are guarded by their
 * mixer's streamLock, the others by g_vmix.lock; an IRP taken off a queue has its cancel
 * routine cleared first, so exactly one side (the taker or the cancel routine) completes it. */
#include "vmix_driver.h"

#define QUEUED_KIND(irp)  ((ULONG_PTR)(irp)->Tail.Overlay.DriverContext[0])
#define QUEUED_MIXER(irp) ((LONG)(LONG_PTR)(irp)->Tail.Overlay.DriverContext[1])

static VmixMixer *QueuedMixer(PIRP irp)
{
    LONG mixerIndex = QUEUED_MIXER(irp);
    return mixerIndex >= 0 && mixerIndex < (LONG)VMIX_MAX_MIXERS ? &g_vmix.mixer[mixerIndex] : NULL;
}

/* The lock of the queue the IRP waits in. */
static PKSPIN_LOCK QueueLock(PIRP irp)
{
    VmixMixer *mixer = QueuedMixer(irp);
    return QUEUED_KIND(irp) == VMIX_QUEUED_TRANSFER && mixer != NULL ? &mixer->streamLock : &g_vmix.lock;
}

static VOID CountCancelledLocked(PIRP irp)
{
    VmixMixer *mixer = QueuedMixer(irp);
    if (mixer == NULL) return;
    if (QUEUED_KIND(irp) == VMIX_QUEUED_TRANSFER) mixer->streamCounters.cancelled++;
    else mixer->stats.cancelled++;
}

/* DriverContext[2] and [3] hold the two halves, so 32-bit builds keep the whole counter. */
VOID VmixSetQueuedTime(PIRP irp, LONGLONG counter)
{
    irp->Tail.Overlay.DriverContext[2] = (PVOID)(ULONG_PTR)(ULONG)((ULONG64)counter & 0xFFFFFFFFu);
    irp->Tail.Overlay.DriverContext[3] = (PVOID)(ULONG_PTR)(ULONG)((ULONG64)counter >> 32);
}

LONGLONG VmixQueuedTime(PIRP irp)
{
    ULONG64 low = (ULONG)(ULONG_PTR)irp->Tail.Overlay.DriverContext[2];
    ULONG64 high = (ULONG)(ULONG_PTR)irp->Tail.Overlay.DriverContext[3];
    return (LONGLONG)(high << 32 | low);
}

/* Control requests are journalled with the status they ended with; transfers never are. */
static VOID JournalIfControl(PIRP irp, NTSTATUS status)
{
    ULONG_PTR kind = QUEUED_KIND(irp);
    if (kind == VMIX_QUEUED_DELAYED_CONTROL || kind == VMIX_QUEUED_DELAYED_START) {
        VmixRequestRecord record;
        VmixBeginRecord(&record, QUEUED_MIXER(irp), irp);
        VmixJournalRecord(&record, status, irp, 0);
    }
}

static VOID NTAPI CancelQueuedIrp(PDEVICE_OBJECT device, PIRP irp)
{
    KIRQL irql;
    UNREFERENCED_PARAMETER(device);
    IoReleaseCancelSpinLock(irp->CancelIrql);

    PKSPIN_LOCK lock = QueueLock(irp);
    KeAcquireSpinLock(lock, &irql);
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    CountCancelledLocked(irp);
    KeReleaseSpinLock(lock, irql);
    JournalIfControl(irp, STATUS_CANCELLED);
    VmixCompleteRequest(irp, STATUS_CANCELLED, 0);
}

NTSTATUS VmixQueueIrpLocked(PLIST_ENTRY queue, PIRP irp, VmixQueuedKind kind, LONG mixerIndex)
{
    irp->Tail.Overlay.DriverContext[0] = (PVOID)(ULONG_PTR)kind;
    irp->Tail.Overlay.DriverContext[1] = (PVOID)(LONG_PTR)mixerIndex;
    IoSetCancelRoutine(irp, CancelQueuedIrp);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL) != NULL) {
        return STATUS_CANCELLED; /* cancelled before it was queued: the caller completes it */
    }
    IoMarkIrpPending(irp);
    InsertTailList(queue, &irp->Tail.Overlay.ListEntry);
    return STATUS_PENDING;
}

BOOLEAN VmixTakeIrpLocked(PIRP irp)
{
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    if (IoSetCancelRoutine(irp, NULL) == NULL) {
        /* The cancel routine is about to remove it again: leave it a harmless entry. */
        InitializeListHead(&irp->Tail.Overlay.ListEntry);
        return FALSE;
    }
    return TRUE;
}

PIRP VmixDequeueIrpLocked(PLIST_ENTRY queue)
{
    while (!IsListEmpty(queue)) {
        PIRP irp = CONTAINING_RECORD(queue->Flink, IRP, Tail.Overlay.ListEntry);
        if (VmixTakeIrpLocked(irp)) return irp;
    }
    return NULL;
}

ULONG VmixQueueLengthLocked(PLIST_ENTRY queue)
{
    ULONG length = 0;
    for (PLIST_ENTRY entry = queue->Flink; entry != queue; entry = entry->Flink) length++;
    return length;
}

VOID VmixTakeIrpsLocked(PLIST_ENTRY queue, PFILE_OBJECT file, LONG mixerIndex, PLIST_ENTRY taken)
{
    PLIST_ENTRY entry = queue->Flink;
    while (entry != queue) {
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        entry = entry->Flink;
        if (file != NULL && IoGetCurrentIrpStackLocation(irp)->FileObject != file) continue;
        if (mixerIndex >= 0 && QUEUED_MIXER(irp) != mixerIndex) continue;
        if (!VmixTakeIrpLocked(irp)) continue;
        CountCancelledLocked(irp);
        InsertTailList(taken, &irp->Tail.Overlay.ListEntry);
    }
}

VOID VmixCompleteTakenIrps(PLIST_ENTRY taken, NTSTATUS status)
{
    while (!IsListEmpty(taken)) {
        PLIST_ENTRY entry = RemoveHeadList(taken);
        PIRP irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        JournalIfControl(irp, status);
        VmixCompleteRequest(irp, status, 0);
    }
}
