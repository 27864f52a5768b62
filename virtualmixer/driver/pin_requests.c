/* Requests on a mixer's audio filter (a pin device) and on the decoy device: counting,
 * removal, injected failures and delays come first, then the request itself. */
#include "vmix_driver.h"

/* TRUE when an armed FAIL_NEXT fault swallows this request. */
static BOOLEAN ConsumeFailureLocked(VmixMixer *mixer, ULONG code)
{
    for (ULONG i = 0; i < VMIX_FAIL_SLOTS; i++) {
        VmixFailSlot *slot = &mixer->failSlots[i];
        if (slot->remaining != 0 && slot->code == code) {
            slot->remaining--;
            mixer->stats.failedInjected++;
            return TRUE;
        }
    }
    return FALSE;
}

static BOOLEAN HandleIsRemovedLocked(VmixMixer *mixer, PFILE_OBJECT file)
{
    return !mixer->state.plugged || (ULONG)(ULONG_PTR)file->FsContext != mixer->plugGeneration;
}

NTSTATUS VmixDispatchPinRequest(VmixMixer *mixer, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    BOOLEAN isTransfer = code == IOCTL_STREAM_WRITE || code == IOCTL_STREAM_READ;
    BOOLEAN isControl = RkxControlRequestIndex(code) >= 0;
    BOOLEAN decided = TRUE;
    NTSTATUS status = STATUS_SUCCESS;
    ULONG_PTR replyBytes = 0;
    VmixRequestRecord record;
    KIRQL irql;

    if (!isTransfer) VmixBeginRecord(&record, (LONG)mixer->index, irp);

    KeAcquireSpinLock(&g_vmix.lock, &irql);
    VmixCountRequestLocked(mixer, code);
    if (HandleIsRemovedLocked(mixer, stack->FileObject)) {
        status = STATUS_DEVICE_REMOVED;
    } else if (ConsumeFailureLocked(mixer, code)) {
        status = STATUS_IO_DEVICE_ERROR;
    } else if (isControl && mixer->controlDelayMs != 0 &&
               (mixer->controlDelayCode == 0 || mixer->controlDelayCode == code)) {
        status = VmixDelayRequestLocked(mixer, irp, VMIX_QUEUED_DELAYED_CONTROL, mixer->controlDelayMs);
    } else if (isControl) {
        status = VmixExecuteControlLocked(mixer, code, irp->AssociatedIrp.SystemBuffer,
                                          stack->Parameters.DeviceIoControl.InputBufferLength,
                                          stack->Parameters.DeviceIoControl.OutputBufferLength, &replyBytes);
    } else {
        decided = FALSE;
    }
    KeReleaseSpinLock(&g_vmix.lock, irql);

    if (!decided) status = VmixStreamRequest(mixer, irp, code, &replyBytes);
    if (status == STATUS_PENDING) return STATUS_PENDING; /* journalled when it completes */

    if (!isTransfer) VmixJournalRecord(&record, status, irp, replyBytes);
    return VmixCompleteRequest(irp, status, NT_SUCCESS(status) ? replyBytes : 0);
}

/* Decoy interfaces only exist so that path filtering can be tested: anything sent to them
 * is a mistake, so it is journalled and refused. */
NTSTATUS VmixDispatchDecoyRequest(PIRP irp)
{
    VmixRequestRecord record;
    VmixBeginRecord(&record, -1, irp);
    VmixJournalRecord(&record, STATUS_INVALID_DEVICE_REQUEST, irp, 0);
    return VmixCompleteRequest(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
}
