/* Loading and unloading the virtual mixer, and routing IRPs to the device they were sent to:
 * the control device, one pin device per mixer slot, and the decoy device. */
#include "vmix_driver.h"

VmixDriverState g_vmix;

DRIVER_INITIALIZE DriverEntry;

NTSTATUS VmixCompleteRequest(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static VmixDeviceExtension *ExtensionOf(PDEVICE_OBJECT device)
{
    return device->DeviceExtension;
}

static NTSTATUS CreateDevice(PDRIVER_OBJECT driver, const WCHAR *name, VmixDeviceKind kind, ULONG mixerIndex,
                             PDEVICE_OBJECT *device)
{
    UNICODE_STRING deviceName;
    RtlInitUnicodeString(&deviceName, name);
    NTSTATUS status = IoCreateDevice(driver, sizeof(VmixDeviceExtension), &deviceName, FILE_DEVICE_UNKNOWN, 0,
                                     FALSE, device);
    if (!NT_SUCCESS(status)) return status;
    ExtensionOf(*device)->kind = kind;
    ExtensionOf(*device)->mixerIndex = mixerIndex;
    (*device)->Flags |= DO_BUFFERED_IO;
    (*device)->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static NTSTATUS NTAPI DispatchCreate(PDEVICE_OBJECT device, PIRP irp)
{
    VmixDeviceExtension *extension = ExtensionOf(device);
    NTSTATUS status = STATUS_SUCCESS;
    if (extension->kind == VMIX_DEVICE_PIN) {
        VmixMixer *mixer = &g_vmix.mixer[extension->mixerIndex];
        PFILE_OBJECT file = IoGetCurrentIrpStackLocation(irp)->FileObject;
        KIRQL irql;
        KeAcquireSpinLock(&g_vmix.lock, &irql);
        if (!mixer->state.plugged) {
            status = STATUS_NO_SUCH_DEVICE;
        } else {
            /* Remembers which plug-in this handle belongs to; an unplug outdates it. */
            file->FsContext = (PVOID)(ULONG_PTR)mixer->plugGeneration;
            mixer->state.openHandles++;
        }
        KeReleaseSpinLock(&g_vmix.lock, irql);
    }
    return VmixCompleteRequest(irp, status, 0);
}

/* Wine sends no cleanup and closes while requests still wait, so close ends them too. */
static NTSTATUS NTAPI DispatchCleanupOrClose(PDEVICE_OBJECT device, PIRP irp)
{
    VmixDeviceExtension *extension = ExtensionOf(device);
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    if (extension->kind == VMIX_DEVICE_PIN) {
        VmixMixer *mixer = &g_vmix.mixer[extension->mixerIndex];
        VmixEndFileRequests(mixer, stack->FileObject);
        if (stack->MajorFunction == IRP_MJ_CLOSE) {
            KIRQL irql;
            KeAcquireSpinLock(&g_vmix.lock, &irql);
            if (mixer->state.openHandles > 0) mixer->state.openHandles--;
            KeReleaseSpinLock(&g_vmix.lock, irql);
        }
    }
    return VmixCompleteRequest(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp)
{
    VmixDeviceExtension *extension = ExtensionOf(device);
    switch (extension->kind) {
    case VMIX_DEVICE_PIN: return VmixDispatchPinRequest(&g_vmix.mixer[extension->mixerIndex], irp);
    case VMIX_DEVICE_DECOY: return VmixDispatchDecoyRequest(irp);
    default: return VmixDispatchRigRequest(irp);
    }
}

static VOID ReleaseEverything(PDRIVER_OBJECT driver)
{
    VmixStopDelayWorker();
    VmixEndDelayedRequests(-1, STATUS_CANCELLED);
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) {
        VmixMixer *mixer = &g_vmix.mixer[m];
        VmixStopStream(mixer, STATUS_CANCELLED);
        if (mixer->state.plugged) VmixSetMixerLink(m, FALSE);
        mixer->state.plugged = 0;
        VmixFreeRigAudio(mixer);
        if (mixer->silentBlock != NULL) ExFreePoolWithTag(mixer->silentBlock, VMIX_POOL_TAG);
        mixer->silentBlock = NULL;
    }
    VmixSetDecoyLinks(0);
    VmixDeleteInterfaceDirectories();
    if (g_vmix.controlLinkCreated) {
        UNICODE_STRING linkName;
        RtlInitUnicodeString(&linkName, VMIX_CONTROL_LINK_NAME);
        IoDeleteSymbolicLink(&linkName);
        g_vmix.controlLinkCreated = FALSE;
    }
    while (driver->DeviceObject != NULL) IoDeleteDevice(driver->DeviceObject);
}

static VOID NTAPI DriverUnload(PDRIVER_OBJECT driver)
{
    ReleaseEverything(driver);
}

/* Cannot fail, so that cleanup after a failed load always finds usable locks and lists. */
static VOID InitMixer(VmixMixer *mixer, ULONG index)
{
    mixer->index = index;
    mixer->plugGeneration = 1;
    InitializeListHead(&mixer->writeQueue);
    InitializeListHead(&mixer->readQueue);
    KeInitializeSpinLock(&mixer->streamLock);
    ExInitializeFastMutex(&mixer->clockMutex);
    VmixSetMixerDefaultsLocked(mixer);
}

static NTSTATUS AllocateSilence(VmixMixer *mixer)
{
    mixer->silentBlock = ExAllocatePoolWithTag(NonPagedPool, RkxBlockBytes(RKX_MAX_BLOCK_FRAMES), VMIX_POOL_TAG);
    if (mixer->silentBlock == NULL) return STATUS_INSUFFICIENT_RESOURCES;
    RtlZeroMemory(mixer->silentBlock, RkxBlockBytes(RKX_MAX_BLOCK_FRAMES));
    return STATUS_SUCCESS;
}

static NTSTATUS CreateDevices(PDRIVER_OBJECT driver)
{
    UNICODE_STRING linkName, deviceName;
    NTSTATUS status = CreateDevice(driver, VMIX_CONTROL_DEVICE_NAME, VMIX_DEVICE_CONTROL, 0, &g_vmix.controlDevice);
    if (!NT_SUCCESS(status)) return status;
    RtlInitUnicodeString(&linkName, VMIX_CONTROL_LINK_NAME);
    RtlInitUnicodeString(&deviceName, VMIX_CONTROL_DEVICE_NAME);
    status = IoCreateSymbolicLink(&linkName, &deviceName);
    if (!NT_SUCCESS(status)) return status;
    g_vmix.controlLinkCreated = TRUE;

    status = CreateDevice(driver, VMIX_DECOY_DEVICE_NAME, VMIX_DEVICE_DECOY, 0, &g_vmix.decoyDevice);
    if (!NT_SUCCESS(status)) return status;
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) {
        WCHAR pinName[] = VMIX_PIN_DEVICE_PREFIX L"0";
        pinName[ARRAYSIZE(pinName) - 2] = (WCHAR)(L'0' + m);
        status = CreateDevice(driver, pinName, VMIX_DEVICE_PIN, m, &g_vmix.mixer[m].pinDevice);
        if (!NT_SUCCESS(status)) return status;
    }
    return STATUS_SUCCESS;
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    NTSTATUS status;
    UNREFERENCED_PARAMETER(registryPath);

    KeInitializeSpinLock(&g_vmix.lock);
    ExInitializeFastMutex(&g_vmix.audioMutex);
    InitializeListHead(&g_vmix.delayedQueue);
    KeInitializeEvent(&g_vmix.delayWakeEvent, SynchronizationEvent, FALSE);
    KeQueryPerformanceCounter(&g_vmix.counterFrequency);
    VmixInitAudioModel();

    driver->DriverUnload = DriverUnload;
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCleanupOrClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCleanupOrClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;

    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) InitMixer(&g_vmix.mixer[m], m);
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) {
        status = AllocateSilence(&g_vmix.mixer[m]);
        if (!NT_SUCCESS(status)) goto failed;
    }
    status = CreateDevices(driver);
    if (!NT_SUCCESS(status)) goto failed;
    status = VmixCreateInterfaceDirectories();
    if (!NT_SUCCESS(status)) goto failed;
    VmixResetAll();
    status = VmixStartDelayWorker();
    if (!NT_SUCCESS(status)) goto failed;
    return STATUS_SUCCESS;

failed:
    ReleaseEverything(driver);
    return status;
}
