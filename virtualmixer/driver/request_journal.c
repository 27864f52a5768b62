/* What the rig can ask afterwards: the ring of recent non-transfer requests and the
 * per-mixer counters. */
#include "vmix_driver.h"

static ULONG CopyUpTo(UCHAR *to, const VOID *from, ULONG bytes)
{
    ULONG copied = bytes < VMIX_PAYLOAD_BYTES ? bytes : VMIX_PAYLOAD_BYTES;
    RtlZeroMemory(to, VMIX_PAYLOAD_BYTES);
    if (from != NULL && copied != 0) RtlCopyMemory(to, from, copied);
    return copied;
}

/* Taken before the request runs: METHOD_BUFFERED replies overwrite the input. */
VOID VmixBeginRecord(VmixRequestRecord *record, LONG mixer, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    record->mixer = mixer;
    record->code = stack->Parameters.DeviceIoControl.IoControlCode;
    record->inputBytes = stack->Parameters.DeviceIoControl.InputBufferLength;
    CopyUpTo(record->input, irp->AssociatedIrp.SystemBuffer, record->inputBytes);
}

VOID VmixJournalRecord(const VmixRequestRecord *record, NTSTATUS status, PIRP irp, ULONG_PTR replyBytes)
{
    KIRQL irql;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    VmixJournalEntry *entry = &g_vmix.journal.entry[g_vmix.journalNext];
    entry->sequence = g_vmix.journal.totalSequence++;
    entry->mixer = record->mixer;
    entry->code = record->code;
    entry->status = status;
    entry->inputBytes = record->inputBytes;
    entry->outputBytes = NT_SUCCESS(status) ? (ULONG)replyBytes : 0;
    RtlCopyMemory(entry->input, record->input, VMIX_PAYLOAD_BYTES);
    CopyUpTo(entry->output, irp->AssociatedIrp.SystemBuffer, entry->outputBytes);
    g_vmix.journalNext = (g_vmix.journalNext + 1) % VMIX_JOURNAL_CAPACITY;
    if (g_vmix.journal.count < VMIX_JOURNAL_CAPACITY) g_vmix.journal.count++;
    KeReleaseSpinLock(&g_vmix.lock, irql);
}

VOID VmixCountRequestLocked(VmixMixer *mixer, ULONG code)
{
    int index = RkxControlRequestIndex(code);
    if (index >= 0) {
        mixer->stats.controlRequests[index]++;
        return;
    }
    index = RkxStreamRequestIndex(code);
    if (index >= 0) mixer->stats.streamRequests[index]++;
}

VOID VmixClearJournalLocked(void)
{
    RtlZeroMemory(&g_vmix.journal, sizeof(g_vmix.journal));
    g_vmix.journalNext = 0;
}

/* The streaming counters are cleared too (under the mixer's own lock, taken after g_vmix.lock). */
VOID VmixClearStatsLocked(VmixMixer *mixer)
{
    RtlZeroMemory(&mixer->stats, sizeof(mixer->stats));
    VmixClearStreamCounters(mixer);
}

/* Oldest entry first. */
VOID VmixCopyJournal(VmixJournal *out)
{
    KIRQL irql;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    ULONG count = g_vmix.journal.count;
    ULONG first = (g_vmix.journalNext + VMIX_JOURNAL_CAPACITY - count) % VMIX_JOURNAL_CAPACITY;
    out->count = count;
    out->totalSequence = g_vmix.journal.totalSequence;
    for (ULONG i = 0; i < count; i++) {
        out->entry[i] = g_vmix.journal.entry[(first + i) % VMIX_JOURNAL_CAPACITY];
    }
    KeReleaseSpinLock(&g_vmix.lock, irql);
    if (count < VMIX_JOURNAL_CAPACITY) {
        RtlZeroMemory(&out->entry[count], (VMIX_JOURNAL_CAPACITY - count) * sizeof(VmixJournalEntry));
    }
}

VOID VmixCopyStats(VmixMixer *mixer, VmixStats *out)
{
    KIRQL irql;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    *out = mixer->stats;
    KeReleaseSpinLock(&g_vmix.lock, irql);
    VmixAddStreamFigures(mixer, out);
}
