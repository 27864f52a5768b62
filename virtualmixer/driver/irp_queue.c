/* Queues of waiting IRPs that CancelIoEx can reach. All queues are guarded by g_vmix.lock;
 * an IRP taken off a queue has its cancel routine cleared first, so exactly one side (the
 * taker or the cancel routine) completes it. */
#include "vmix_driver.h"

#define QUEUED_KIND(irp)  ((ULONG_PTR)(irp)->Tail.Overlay.DriverContext[0])
#define QUEUED_MIXER(irp) ((LONG)(LONG_PTR)(irp)->Tail.Overlay.DriverContext[1])

static VOID CountCancelledLocked(PIRP irp)
{
    LONG mixerIndex = QUEUED_MIXER(irp);
    if (mixerIndex >= 0 && mixerIndex < (LONG)VMIX_MAX_MIXERS) g_vmix.mixer[mixerIndex].stats.cancelled++;
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

    KeAcquireSpinLock(&g_vmix.lock, &irql);
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    CountCancelledLocked(irp);
    KeReleaseSpinLock(&g_vmix.lock, irql);
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
