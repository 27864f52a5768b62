/* Requests on the control device \\.\RkxVirtualMixer: how the test rig plugs, steers and
 * inspects the virtual mixer. */
#include "vmix_driver.h"

static VmixMixer *MixerAt(ULONG index)
{
    return index < VMIX_MAX_MIXERS ? &g_vmix.mixer[index] : NULL;
}

NTSTATUS VmixSetPlugged(ULONG mixerIndex, BOOLEAN plugged)
{
    VmixMixer *mixer = MixerAt(mixerIndex);
    NTSTATUS status;
    KIRQL irql;
    if (mixer == NULL) return STATUS_INVALID_PARAMETER;

    KeAcquireSpinLock(&g_vmix.lock, &irql);
    BOOLEAN wasPlugged = mixer->state.plugged != 0;
    if (!plugged && wasPlugged) {
        /* From here on every request on an open handle sees the mixer removed. */
        mixer->state.plugged = 0;
        mixer->plugGeneration++;
    }
    KeReleaseSpinLock(&g_vmix.lock, irql);
    if (plugged == wasPlugged) return STATUS_SUCCESS;

    if (!plugged) {
        VmixSetMixerLink(mixerIndex, FALSE);
        VmixStopStream(mixer, STATUS_DEVICE_REMOVED);
        VmixEndDelayedRequests((LONG)mixerIndex, STATUS_DEVICE_REMOVED);
        KeAcquireSpinLock(&g_vmix.lock, &irql);
        VmixResetStreamStateLocked(mixer);
        KeReleaseSpinLock(&g_vmix.lock, irql);
        return STATUS_SUCCESS;
    }

    status = VmixSetMixerLink(mixerIndex, TRUE);
    if (!NT_SUCCESS(status)) return status;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    VmixResetStreamStateLocked(mixer);
    mixer->plugGeneration++;
    mixer->state.plugged = 1;
    KeReleaseSpinLock(&g_vmix.lock, irql);
    return STATUS_SUCCESS;
}

/* Mixer 0 plugged, the others not, no decoys, defaults everywhere, counters cleared. */
VOID VmixResetAll(void)
{
    KIRQL irql;
    VmixSetDecoyLinks(0);
    VmixEndDelayedRequests(-1, STATUS_CANCELLED);
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) {
        VmixMixer *mixer = &g_vmix.mixer[m];
        VmixSetPlugged(m, m < VMIX_DEFAULT_MIXERS);
        VmixStopStream(mixer, STATUS_CANCELLED);
        VmixFreeRigAudio(mixer);
        KeAcquireSpinLock(&g_vmix.lock, &irql);
        VmixResetStreamStateLocked(mixer);
        VmixSetMixerDefaultsLocked(mixer);
        VmixClearStatsLocked(mixer);
        RtlZeroMemory(mixer->failSlots, sizeof(mixer->failSlots));
        mixer->startAsync = 0;
        mixer->controlDelayMs = 0;
        mixer->controlDelayCode = 0;
        InterlockedExchange(&mixer->stallOnceMs, 0);
        KeReleaseSpinLock(&g_vmix.lock, irql);
    }
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    VmixClearJournalLocked();
    KeReleaseSpinLock(&g_vmix.lock, irql);
}

static NTSTATUS SetValueLocked(VmixMixer *mixer, const VmixSetValueRequest *request)
{
    VmixMixerState *state = &mixer->state;
    ULONG value = request->value;
    VmixSettingsChangedLocked(mixer);
    switch (request->valueId) {
    case VMIX_VALUE_SELECTOR:
        if (request->index >= RKX_SELECTOR_CHANNELS || value > 0xFF) return STATUS_INVALID_PARAMETER;
        state->selector[request->index] = (UCHAR)value;
        break;
    case VMIX_VALUE_LAUNCH_ANSWER:
        if (value > 0xFF) return STATUS_INVALID_PARAMETER;
        state->launchAnswer = (UCHAR)value;
        break;
    case VMIX_VALUE_LAUNCH_ASK_AGAIN: state->launchAskAgain = value; break;
    case VMIX_VALUE_PARTNER_ACTIVE:
        if (value > 0xFF) return STATUS_INVALID_PARAMETER;
        state->partnerActive = value;
        break;
    case VMIX_VALUE_FIRMWARE:
        if (value > 0xFFFF) return STATUS_INVALID_PARAMETER;
        state->firmware = value;
        break;
    case VMIX_VALUE_PORT_INFO:
        if (value > 0xFF) return STATUS_INVALID_PARAMETER;
        state->portInfo = value;
        break;
    case VMIX_VALUE_CERTIFY_LEVEL: state->certifyLevel = value; break;
    case VMIX_VALUE_SEND_SOURCE:
        if (request->index >= RKX_USB_SEND_CHANNELS || value > 7) return STATUS_INVALID_PARAMETER;
        state->sendSource[request->index] = value;
        break;
    case VMIX_VALUE_RECEIVE_ROUTE:
        if (request->index >= RKX_USB_RECEIVE_CHANNELS || value > 2) return STATUS_INVALID_PARAMETER;
        state->receiveRoute[request->index] = value;
        break;
    case VMIX_VALUE_BOOST_LEVEL:
        if (value > 3) return STATUS_INVALID_PARAMETER;
        state->boostLevel = value;
        break;
    default:
        return STATUS_INVALID_PARAMETER;
    }
    return STATUS_SUCCESS;
}

static NTSTATUS ArmFailureLocked(VmixMixer *mixer, ULONG code, ULONG count)
{
    VmixFailSlot *free = NULL;
    for (ULONG i = 0; i < VMIX_FAIL_SLOTS; i++) {
        VmixFailSlot *slot = &mixer->failSlots[i];
        if (slot->remaining != 0 && slot->code == code) {
            slot->remaining = count;
            return STATUS_SUCCESS;
        }
        if (slot->remaining == 0 && free == NULL) free = slot;
    }
    if (count == 0) return STATUS_SUCCESS;
    if (free == NULL) return STATUS_INSUFFICIENT_RESOURCES;
    free->code = code;
    free->remaining = count;
    return STATUS_SUCCESS;
}

static NTSTATUS SetFaultLocked(VmixMixer *mixer, const VmixFaultRequest *request)
{
    switch (request->faultId) {
    case VMIX_FAULT_FAIL_NEXT: return ArmFailureLocked(mixer, request->code, request->count);
    case VMIX_FAULT_START_ASYNC: mixer->startAsync = request->count != 0; return STATUS_SUCCESS;
    case VMIX_FAULT_CONTROL_DELAY_MS:
        mixer->controlDelayMs = request->count;
        mixer->controlDelayCode = request->code;
        return STATUS_SUCCESS;
    case VMIX_FAULT_STALL_ONCE_MS:
        InterlockedExchange(&mixer->stallOnceMs, (LONG)request->count);
        return STATUS_SUCCESS;
    default: return STATUS_INVALID_PARAMETER;
    }
}

static VOID FillStatus(VmixStatus *status)
{
    KIRQL irql;
    RtlZeroMemory(status, sizeof(*status));
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    status->version = VMIX_PROTOCOL_VERSION;
    status->mixerCount = VMIX_MAX_MIXERS;
    status->decoys = g_vmix.decoys;
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) status->mixer[m] = g_vmix.mixer[m].state;
    KeReleaseSpinLock(&g_vmix.lock, irql);
}

/* Runs one locked setter on the mixer a request names. */
static NTSTATUS WithMixerLocked(ULONG mixerIndex, NTSTATUS (*apply)(VmixMixer *, const VOID *), const VOID *request)
{
    VmixMixer *mixer = MixerAt(mixerIndex);
    NTSTATUS status;
    KIRQL irql;
    if (mixer == NULL) return STATUS_INVALID_PARAMETER;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    status = apply(mixer, request);
    KeReleaseSpinLock(&g_vmix.lock, irql);
    return status;
}

static NTSTATUS ApplyValue(VmixMixer *mixer, const VOID *request) { return SetValueLocked(mixer, request); }
static NTSTATUS ApplyFault(VmixMixer *mixer, const VOID *request) { return SetFaultLocked(mixer, request); }

static NTSTATUS ClearAllStats(void)
{
    KIRQL irql;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) VmixClearStatsLocked(&g_vmix.mixer[m]);
    VmixClearJournalLocked();
    KeReleaseSpinLock(&g_vmix.lock, irql);
    return STATUS_SUCCESS;
}

static NTSTATUS ExecuteRigRequest(ULONG code, PVOID buffer, ULONG inputBytes, ULONG outputBytes, ULONG_PTR *reply)
{
    *reply = 0;
    switch (code) {
    case IOCTL_VMIX_RESET:
        VmixResetAll();
        return STATUS_SUCCESS;
    case IOCTL_VMIX_GET_STATUS:
        if (outputBytes < sizeof(VmixStatus)) return STATUS_BUFFER_TOO_SMALL;
        FillStatus(buffer);
        *reply = sizeof(VmixStatus);
        return STATUS_SUCCESS;
    case IOCTL_VMIX_SET_PLUGGED: {
        if (inputBytes < sizeof(VmixPlugRequest)) return STATUS_INVALID_PARAMETER;
        const VmixPlugRequest *request = buffer;
        return VmixSetPlugged(request->mixer, request->plugged != 0);
    }
    case IOCTL_VMIX_SET_VALUE:
        if (inputBytes < sizeof(VmixSetValueRequest)) return STATUS_INVALID_PARAMETER;
        return WithMixerLocked(((const VmixSetValueRequest *)buffer)->mixer, ApplyValue, buffer);
    case IOCTL_VMIX_SET_FAULT:
        if (inputBytes < sizeof(VmixFaultRequest)) return STATUS_INVALID_PARAMETER;
        return WithMixerLocked(((const VmixFaultRequest *)buffer)->mixer, ApplyFault, buffer);
    case IOCTL_VMIX_GET_STATS: {
        if (inputBytes < sizeof(ULONG)) return STATUS_INVALID_PARAMETER;
        if (outputBytes < sizeof(VmixStats)) return STATUS_BUFFER_TOO_SMALL;
        VmixMixer *mixer = MixerAt(*(const ULONG *)buffer);
        if (mixer == NULL) return STATUS_INVALID_PARAMETER;
        VmixCopyStats(mixer, buffer);
        *reply = sizeof(VmixStats);
        return STATUS_SUCCESS;
    }
    case IOCTL_VMIX_CLEAR_STATS:
        return ClearAllStats();
    case IOCTL_VMIX_GET_JOURNAL:
        if (outputBytes < sizeof(VmixJournal)) return STATUS_BUFFER_TOO_SMALL;
        VmixCopyJournal(buffer);
        *reply = sizeof(VmixJournal);
        return STATUS_SUCCESS;
    case IOCTL_VMIX_LIST_INTERFACES:
        if (outputBytes < sizeof(VmixInterfaceList)) return STATUS_BUFFER_TOO_SMALL;
        VmixListInterfaces(buffer);
        *reply = sizeof(VmixInterfaceList);
        return STATUS_SUCCESS;
    case IOCTL_VMIX_SET_DECOYS: {
        if (inputBytes < sizeof(ULONG)) return STATUS_INVALID_PARAMETER;
        ULONG mask = *(const ULONG *)buffer;
        if (mask & ~VMIX_DECOY_ALL) return STATUS_INVALID_PARAMETER;
        return VmixSetDecoyLinks(mask);
    }
    case IOCTL_VMIX_CAPTURE_ARM: return VmixArmCapture(buffer, inputBytes);
    case IOCTL_VMIX_CAPTURE_FETCH: return VmixFetchCapture(buffer, inputBytes, outputBytes, reply);
    case IOCTL_VMIX_INJECT_LOAD: return VmixLoadInjected(buffer, inputBytes);
    case IOCTL_VMIX_INJECT_CLEAR: return VmixClearInjected(buffer, inputBytes);
    default:
        return STATUS_INVALID_DEVICE_REQUEST;
    }
}

NTSTATUS VmixDispatchRigRequest(PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG_PTR reply = 0;
    NTSTATUS status = ExecuteRigRequest(stack->Parameters.DeviceIoControl.IoControlCode,
                                          irp->AssociatedIrp.SystemBuffer,
                                          stack->Parameters.DeviceIoControl.InputBufferLength,
                                          stack->Parameters.DeviceIoControl.OutputBufferLength, &reply);
    return VmixCompleteRequest(irp, status, NT_SUCCESS(status) ? reply : 0);
}
