/*
 * Private state of the virtual mixer driver, shared by its source files.
 *
 * Locking: spin locks are held only for short copies and never while an IRP is completed.
 * - g_vmix.lock guards settings, request counters, faults, the delayed queue and the journal.
 * - Each mixer's streamLock guards what its audio clock touches every period: the transfer
 *   queues, the streaming counters and figures, and state.frames (written under both locks,
 *   so either is enough to read it). The clock thus never waits for another mixer, a control
 *   request or the journal. When both are taken, g_vmix.lock comes first.
 * - Settings the renderer needs are written under g_vmix.lock only; each writer bumps the
 *   mixer's settingsGeneration, and the clock copies them again only when it changed.
 * Audio buffers that are too big to copy under a spin lock (capture, injected sources) sit
 * behind g_vmix.audioMutex, taken by the audio clocks while they render and by the rig while
 * it swaps buffers. Starting and stopping a clock thread is serialised per mixer by clockMutex.
 */
#ifndef VMIX_DRIVER_H
#define VMIX_DRIVER_H

#include <ntddk.h>
#include "common/timing_histogram.h"
#include "virtualmixer/protocol/virtual_mixer_control.h"

#define VMIX_POOL_TAG 0x786D6B52u /* "Rkmx" in a pool dump */

/* Failing faults armed at once per mixer (one slot per request code). */
#define VMIX_FAIL_SLOTS 8u

/* Waiting requests of every kind carry their queue kind in DriverContext[0]. */
typedef enum VmixQueuedKind {
    VMIX_QUEUED_TRANSFER = 1,
    VMIX_QUEUED_DELAYED_CONTROL,
    VMIX_QUEUED_DELAYED_START,
} VmixQueuedKind;

typedef enum VmixDeviceKind {
    VMIX_DEVICE_CONTROL = 1,
    VMIX_DEVICE_PIN,
    VMIX_DEVICE_DECOY,
} VmixDeviceKind;

typedef struct VmixDeviceExtension {
    VmixDeviceKind kind;
    ULONG mixerIndex; /* pins only */
} VmixDeviceExtension;

typedef struct VmixFailSlot {
    ULONG code;
    ULONG remaining;
} VmixFailSlot;

/* Settings the renderer needs, copied under the lock once per period. */
typedef struct VmixMixSettings {
    UCHAR selector[RKX_SELECTOR_CHANNELS];
    ULONG sendSource[RKX_USB_SEND_CHANNELS];
    ULONG receiveRoute[RKX_USB_RECEIVE_CHANNELS];
    ULONG boostLevel;
} VmixMixSettings;

/* What a mixer's audio clock counts, under its streamLock. */
typedef struct VmixStreamCounters {
    ULONG blocksWritten;
    ULONG blocksRead;
    ULONG hostUnderruns;
    ULONG lateReads;
    ULONG periods;
    ULONG clockSlips;
    ULONG cancelled;                /* transfers; other requests count in stats.cancelled */
    RkxTimingHistogram period;      /* tick to tick */
    RkxTimingHistogram lateness;    /* tick minus deadline */
} VmixStreamCounters;

typedef struct VmixInjectedSource {
    LONG *samples;      /* stereo frames, looped */
    ULONG totalFrames;
} VmixInjectedSource;

typedef struct VmixMixer {
    ULONG index;
    VmixMixerState state;           /* settings and stream state as the rig reports them */
    VmixStats stats;
    ULONG plugGeneration;           /* handles opened under another generation are removed */
    PDEVICE_OBJECT pinDevice;
    HANDLE interfaceDirectory;

    /* streaming */
    KSPIN_LOCK streamLock;
    VmixStreamCounters streamCounters;
    volatile LONG settingsGeneration;
    PFILE_OBJECT streamOwner;
    LIST_ENTRY writeQueue;
    LIST_ENTRY readQueue;
    ULONG64 sampleClock;            /* frames rendered since the stream state was fresh */

    /* audio clock thread */
    FAST_MUTEX clockMutex;
    PVOID clockThread;              /* referenced thread object while running */
    volatile LONG clockStopRequested;
    volatile LONG stallOnceMs;
    LONG *silentBlock;              /* played when the host wrote nothing in time */

    /* faults */
    VmixFailSlot failSlots[VMIX_FAIL_SLOTS];
    ULONG startAsync;
    ULONG controlDelayMs;
    ULONG controlDelayCode;         /* 0: every control request is delayed */

    /* rig audio, behind audioMutex */
    LONG *capture;                  /* 8 sub-channels per frame */
    ULONG captureCapacity;
    ULONG capturedFrames;
    VmixInjectedSource injected[VMIX_ANALOG_SOURCE_COUNT];
} VmixMixer;

typedef struct VmixDriverState {
    KSPIN_LOCK lock;
    FAST_MUTEX audioMutex;
    PDEVICE_OBJECT controlDevice;
    PDEVICE_OBJECT decoyDevice;
    BOOLEAN controlLinkCreated;
    VmixMixer mixer[VMIX_MAX_MIXERS];
    ULONG decoys;                   /* VMIX_DECOY_* links that exist */
    HANDLE decoyDirectory[3];       /* other vendor, no render, upper case */

    VmixJournal journal;
    ULONG journalNext;              /* ring slot of the next entry */

    /* requests that complete later (control delay, asynchronous start) */
    LIST_ENTRY delayedQueue;
    PVOID delayWorkerThread;
    KEVENT delayWakeEvent;
    volatile LONG delayWorkerStopRequested;

    LARGE_INTEGER counterFrequency;
} VmixDriverState;

extern VmixDriverState g_vmix;

/* driver_entry.c */
NTSTATUS VmixCompleteRequest(PIRP irp, NTSTATUS status, ULONG_PTR information);

/* system_threads.c */
NTSTATUS VmixStartSystemThread(PKSTART_ROUTINE routine, PVOID context, PVOID *threadObject);
VOID VmixJoinSystemThread(PVOID *threadObject);

/* irp_queue.c: transfer queues live under their mixer's streamLock, the others under
 * g_vmix.lock. */
NTSTATUS VmixQueueIrpLocked(PLIST_ENTRY queue, PIRP irp, VmixQueuedKind kind, LONG mixerIndex);
/* The performance-counter time a transfer was queued at. */
VOID VmixSetQueuedTime(PIRP irp, LONGLONG counter);
LONGLONG VmixQueuedTime(PIRP irp);
PIRP VmixDequeueIrpLocked(PLIST_ENTRY queue);
/* Unlinks one IRP; FALSE when its cancel routine already owns it. */
BOOLEAN VmixTakeIrpLocked(PIRP irp);
ULONG VmixQueueLengthLocked(PLIST_ENTRY queue);
/* Moves waiting IRPs (of one file object, or all when file is NULL) into a private list. */
VOID VmixTakeIrpsLocked(PLIST_ENTRY queue, PFILE_OBJECT file, LONG mixerIndex, PLIST_ENTRY taken);
/* Completes every IRP of a private list with one status; each counts as cancelled. */
VOID VmixCompleteTakenIrps(PLIST_ENTRY taken, NTSTATUS status);

/* request_journal.c */
typedef struct VmixRequestRecord {
    LONG mixer;
    ULONG code;
    ULONG inputBytes;
    UCHAR input[VMIX_PAYLOAD_BYTES];
} VmixRequestRecord;
VOID VmixBeginRecord(VmixRequestRecord *record, LONG mixer, PIRP irp);
VOID VmixJournalRecord(const VmixRequestRecord *record, NTSTATUS status, PIRP irp, ULONG_PTR replyBytes);
VOID VmixCountRequestLocked(VmixMixer *mixer, ULONG code);
VOID VmixClearJournalLocked(void);
VOID VmixClearStatsLocked(VmixMixer *mixer);
VOID VmixCopyJournal(VmixJournal *out);
VOID VmixCopyStats(VmixMixer *mixer, VmixStats *out);

/* mixer_controls.c */
VOID VmixSetMixerDefaultsLocked(VmixMixer *mixer);
NTSTATUS VmixExecuteControlLocked(VmixMixer *mixer, ULONG code, PVOID buffer,
                                  ULONG inputBytes, ULONG outputBytes, ULONG_PTR *replyBytes);

/* pin_requests.c */
NTSTATUS VmixDispatchPinRequest(VmixMixer *mixer, PIRP irp);
NTSTATUS VmixDispatchDecoyRequest(PIRP irp);

/* delayed_requests.c */
NTSTATUS VmixStartDelayWorker(void);
VOID VmixStopDelayWorker(void);
NTSTATUS VmixDelayRequestLocked(VmixMixer *mixer, PIRP irp, VmixQueuedKind kind, ULONG delayMs);
/* Ends the delayed requests of one mixer (all mixers when mixerIndex < 0) with status. */
VOID VmixEndDelayedRequests(LONG mixerIndex, NTSTATUS status);

/* stream_requests.c */
NTSTATUS VmixStreamRequest(VmixMixer *mixer, PIRP irp, ULONG code, ULONG_PTR *replyBytes);
NTSTATUS VmixStartStream(VmixMixer *mixer, PFILE_OBJECT owner);
/* Stops the clock, then ends the mixer's waiting transfers with queuedStatus. */
VOID VmixStopStream(VmixMixer *mixer, NTSTATUS queuedStatus);
/* Ends what one closing file object still has waiting; stops the stream when it owns it. */
VOID VmixEndFileRequests(VmixMixer *mixer, PFILE_OBJECT file);
VOID VmixResetStreamStateLocked(VmixMixer *mixer);

/* audio_clock.c */
NTSTATUS VmixStartClock(VmixMixer *mixer);
VOID VmixStopClock(VmixMixer *mixer);
/* Adds the clock's counters and figures to a copy of the mixer's stats. */
VOID VmixAddStreamFigures(VmixMixer *mixer, VmixStats *stats);
VOID VmixClearStreamCounters(VmixMixer *mixer);

/* mixer_controls.c: every writer of a setting the renderer reads calls this under g_vmix.lock. */
VOID VmixSettingsChangedLocked(VmixMixer *mixer);

/* audio_model.c */
VOID VmixInitAudioModel(void);
VOID VmixRenderBlock(VmixMixer *mixer, const VmixMixSettings *settings, const LONG *played,
                     LONG *rendered, ULONG frames, ULONG64 firstSample);

/* interface_links.c */
NTSTATUS VmixCreateInterfaceDirectories(void);
VOID VmixDeleteInterfaceDirectories(void);
NTSTATUS VmixSetMixerLink(ULONG mixerIndex, BOOLEAN present);
NTSTATUS VmixSetDecoyLinks(ULONG mask);
VOID VmixListInterfaces(VmixInterfaceList *list);

/* rig_control.c */
NTSTATUS VmixDispatchRigRequest(PIRP irp);
VOID VmixResetAll(void);
NTSTATUS VmixSetPlugged(ULONG mixerIndex, BOOLEAN plugged);

/* rig_audio.c */
NTSTATUS VmixArmCapture(PVOID buffer, ULONG inputBytes);
NTSTATUS VmixFetchCapture(PVOID buffer, ULONG inputBytes, ULONG outputBytes, ULONG_PTR *replyBytes);
NTSTATUS VmixLoadInjected(PVOID buffer, ULONG inputBytes);
NTSTATUS VmixClearInjected(PVOID buffer, ULONG inputBytes);
VOID VmixCaptureBlock(VmixMixer *mixer, const LONG *played, ULONG frames);
VOID VmixFreeRigAudio(VmixMixer *mixer);

#endif
