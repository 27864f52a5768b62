/* The names user mode opens. Each mixer's audio filter appears as
 *   \\?\usb#vid_3c1a&pid_0052&mi_00#7&2c4e1a7b&0&000<m>#{6994ad04-...}\wave1
 * The part before "\wave1" is a permanent object directory and "wave1" a symbolic link in it
 * that points at the mixer's pin device: the object manager resolves the reference string
 * that way, and deleting the link is how the mixer disappears on unplug.
 *
 * Decoys use their own instance ids (...0010 for the one without render alias, ...0020 for
 * the upper-case one, which must not resolve to mixer 0 under case-insensitive lookup). */
#include "vmix_driver.h"

#define AUDIO_CLASS L"#{6994ad04-93ef-11d0-a3cc-00a0c9223196}"
#define MIXER_DEVICE L"usb#vid_3c1a&pid_0052&mi_00#7&2c4e1a7b&0&000"
#define NAME_CHARS 300

#define OTHER_VENDOR_INTERFACE L"usb#vid_1a2b&pid_0001&mi_00#7&1f0e3d2c&0&0000" AUDIO_CLASS
#define NO_RENDER_INTERFACE L"usb#vid_3c1a&pid_0052&mi_00#7&2c4e1a7b&0&0010" AUDIO_CLASS
#define UPPER_CASE_INTERFACE L"USB#VID_3C1A&PID_0052&MI_00#7&2C4E1A7B&0&0020#{6994AD04-93EF-11D0-A3CC-00A0C9223196}"

static const WCHAR *const MIXER_INTERFACE[VMIX_MAX_MIXERS] = {
    MIXER_DEVICE L"0" AUDIO_CLASS,
    MIXER_DEVICE L"1" AUDIO_CLASS,
    MIXER_DEVICE L"2" AUDIO_CLASS,
    MIXER_DEVICE L"3" AUDIO_CLASS,
};

/* Directories only decoys use; the global and wave2 decoys live in mixer 0's. */
static const WCHAR *const DECOY_DIRECTORY[3] = {
    OTHER_VENDOR_INTERFACE,
    NO_RENDER_INTERFACE,
    UPPER_CASE_INTERFACE,
};

typedef struct DecoyInterface {
    ULONG mask;
    const WCHAR *directory;
    const WCHAR *reference;
    ULONG flags;
} DecoyInterface;

#define DECOY_COUNT 5u
static const DecoyInterface DECOYS[DECOY_COUNT] = {
    {VMIX_DECOY_OTHER_VENDOR, OTHER_VENDOR_INTERFACE, L"wave1", VMIX_INTERFACE_DECOY | VMIX_INTERFACE_RENDER_ALIAS},
    {VMIX_DECOY_NO_RENDER, NO_RENDER_INTERFACE, L"wave1", VMIX_INTERFACE_DECOY},
    {VMIX_DECOY_GLOBAL, MIXER_DEVICE L"0" AUDIO_CLASS, L"global", VMIX_INTERFACE_DECOY | VMIX_INTERFACE_RENDER_ALIAS},
    {VMIX_DECOY_WAVE2, MIXER_DEVICE L"0" AUDIO_CLASS, L"wave2", VMIX_INTERFACE_DECOY | VMIX_INTERFACE_RENDER_ALIAS},
    {VMIX_DECOY_UPPER_CASE, UPPER_CASE_INTERFACE, L"WAVE1", VMIX_INTERFACE_DECOY | VMIX_INTERFACE_RENDER_ALIAS},
};

typedef struct NameBuffer {
    WCHAR text[NAME_CHARS];
    ULONG length;
} NameBuffer;

static VOID Append(NameBuffer *name, const WCHAR *text)
{
    while (*text != 0 && name->length + 1 < NAME_CHARS) name->text[name->length++] = *text++;
    name->text[name->length] = 0;
}

static VOID ComposeName(NameBuffer *name, const WCHAR *prefix, const WCHAR *directory, const WCHAR *reference)
{
    name->length = 0;
    name->text[0] = 0;
    Append(name, prefix);
    Append(name, directory);
    if (reference != NULL) {
        Append(name, L"\\");
        Append(name, reference);
    }
}

static VOID AsUnicode(NameBuffer *name, UNICODE_STRING *string)
{
    string->Buffer = name->text;
    string->Length = (USHORT)(name->length * sizeof(WCHAR));
    string->MaximumLength = (USHORT)(NAME_CHARS * sizeof(WCHAR));
}

static NTSTATUS CreateDirectory(const WCHAR *directory, HANDLE *handle)
{
    NameBuffer name;
    UNICODE_STRING string;
    OBJECT_ATTRIBUTES attributes;
    ComposeName(&name, L"\\??\\", directory, NULL);
    AsUnicode(&name, &string);
    InitializeObjectAttributes(&attributes, &string, OBJ_PERMANENT | OBJ_OPENIF | OBJ_KERNEL_HANDLE, NULL, NULL);
    return ZwCreateDirectoryObject(handle, DIRECTORY_ALL_ACCESS, &attributes);
}

NTSTATUS VmixCreateInterfaceDirectories(void)
{
    NTSTATUS status;
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) {
        status = CreateDirectory(MIXER_INTERFACE[m], &g_vmix.mixer[m].interfaceDirectory);
        if (!NT_SUCCESS(status)) return status;
    }
    for (ULONG d = 0; d < 3; d++) {
        status = CreateDirectory(DECOY_DIRECTORY[d], &g_vmix.decoyDirectory[d]);
        if (!NT_SUCCESS(status)) return status;
    }
    return STATUS_SUCCESS;
}

static VOID DeleteDirectory(HANDLE *handle)
{
    if (*handle == NULL) return;
    ZwMakeTemporaryObject(*handle);
    ZwClose(*handle);
    *handle = NULL;
}

VOID VmixDeleteInterfaceDirectories(void)
{
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) DeleteDirectory(&g_vmix.mixer[m].interfaceDirectory);
    for (ULONG d = 0; d < 3; d++) DeleteDirectory(&g_vmix.decoyDirectory[d]);
}

static NTSTATUS SetLink(const WCHAR *directory, const WCHAR *reference, const WCHAR *targetName, BOOLEAN present)
{
    NameBuffer name;
    UNICODE_STRING linkName, deviceName;
    ComposeName(&name, L"\\??\\", directory, reference);
    AsUnicode(&name, &linkName);
    IoDeleteSymbolicLink(&linkName); /* absent already is fine */
    if (!present) return STATUS_SUCCESS;
    RtlInitUnicodeString(&deviceName, targetName);
    return IoCreateSymbolicLink(&linkName, &deviceName);
}

NTSTATUS VmixSetMixerLink(ULONG mixerIndex, BOOLEAN present)
{
    WCHAR pinName[] = VMIX_PIN_DEVICE_PREFIX L"0";
    pinName[ARRAYSIZE(pinName) - 2] = (WCHAR)(L'0' + mixerIndex);
    return SetLink(MIXER_INTERFACE[mixerIndex], RKX_PATH_STREAM_REFERENCE, pinName, present);
}

/* Brings the decoy links in line with mask; g_vmix.decoys then names the links that exist. */
NTSTATUS VmixSetDecoyLinks(ULONG mask)
{
    NTSTATUS result = STATUS_SUCCESS;
    for (ULONG i = 0; i < DECOY_COUNT; i++) {
        const DecoyInterface *decoy = &DECOYS[i];
        BOOLEAN wanted = (mask & decoy->mask) != 0;
        NTSTATUS status = SetLink(decoy->directory, decoy->reference, VMIX_DECOY_DEVICE_NAME, wanted);
        KIRQL irql;
        KeAcquireSpinLock(&g_vmix.lock, &irql);
        if (wanted && NT_SUCCESS(status)) g_vmix.decoys |= decoy->mask;
        else g_vmix.decoys &= ~decoy->mask;
        KeReleaseSpinLock(&g_vmix.lock, irql);
        if (!NT_SUCCESS(status)) result = status;
    }
    return result;
}

static VOID AddEntry(VmixInterfaceList *list, const WCHAR *directory, const WCHAR *reference, ULONG flags, LONG mixer)
{
    NameBuffer name;
    if (list->count >= VMIX_MAX_LISTED_INTERFACES) return;
    VmixInterfaceEntry *entry = &list->entry[list->count++];
    ComposeName(&name, L"\\\\?\\", directory, reference);
    entry->flags = flags;
    entry->mixer = mixer;
    RtlZeroMemory(entry->path, sizeof(entry->path));
    RtlCopyMemory(entry->path, name.text, name.length * sizeof(WCHAR));
}

VOID VmixListInterfaces(VmixInterfaceList *list)
{
    ULONG plugged = 0, decoys;
    KIRQL irql;
    KeAcquireSpinLock(&g_vmix.lock, &irql);
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) {
        if (g_vmix.mixer[m].state.plugged) plugged |= 1u << m;
    }
    decoys = g_vmix.decoys;
    KeReleaseSpinLock(&g_vmix.lock, irql);

    RtlZeroMemory(list, sizeof(*list));
    for (ULONG m = 0; m < VMIX_MAX_MIXERS; m++) {
        if (plugged & (1u << m)) {
            AddEntry(list, MIXER_INTERFACE[m], RKX_PATH_STREAM_REFERENCE, VMIX_INTERFACE_RENDER_ALIAS, (LONG)m);
        }
    }
    for (ULONG i = 0; i < DECOY_COUNT; i++) {
        const DecoyInterface *decoy = &DECOYS[i];
        if (decoys & decoy->mask) AddEntry(list, decoy->directory, decoy->reference, decoy->flags, -1);
    }
}
