/* Audio in and out of the rig: recording what the host played, and replacing an analog
 * source with audio the rig loads. Buffers sit behind g_vmix.audioMutex; allocations and
 * frees happen outside it. */
#include "vmix_driver.h"

static VmixMixer *MixerAt(ULONG index)
{
    return index < VMIX_MAX_MIXERS ? &g_vmix.mixer[index] : NULL;
}

static LONG *AllocateSamples(ULONG count)
{
    SIZE_T bytes = (SIZE_T)count * sizeof(LONG);
    LONG *samples = ExAllocatePoolWithTag(NonPagedPool, bytes, VMIX_POOL_TAG);
    if (samples != NULL) RtlZeroMemory(samples, bytes);
    return samples;
}

static VOID FreeSamples(LONG *samples)
{
    if (samples != NULL) ExFreePoolWithTag(samples, VMIX_POOL_TAG);
}

NTSTATUS VmixArmCapture(PVOID buffer, ULONG inputBytes)
{
    if (inputBytes < sizeof(VmixCaptureArm)) return STATUS_INVALID_PARAMETER;
    const VmixCaptureArm *request = buffer;
    VmixMixer *mixer = MixerAt(request->mixer);
    if (mixer == NULL || request->frames > VMIX_MAX_CAPTURE_FRAMES) return STATUS_INVALID_PARAMETER;

    LONG *fresh = NULL;
    if (request->frames != 0) {
        fresh = AllocateSamples(request->frames * RKX_CHANNELS_PER_PIN);
        if (fresh == NULL) return STATUS_INSUFFICIENT_RESOURCES;
    }
    ExAcquireFastMutex(&g_vmix.audioMutex);
    LONG *old = mixer->capture;
    mixer->capture = fresh;
    mixer->captureCapacity = request->frames;
    mixer->capturedFrames = 0;
    ExReleaseFastMutex(&g_vmix.audioMutex);
    FreeSamples(old);
    return STATUS_SUCCESS;
}

/* Called by the audio clock with audioMutex held. */
VOID VmixCaptureBlock(VmixMixer *mixer, const LONG *played, ULONG frames)
{
    if (mixer->capture == NULL || mixer->capturedFrames >= mixer->captureCapacity) return;
    ULONG room = mixer->captureCapacity - mixer->capturedFrames;
    ULONG copied = frames < room ? frames : room;
    RtlCopyMemory(mixer->capture + (SIZE_T)mixer->capturedFrames * RKX_CHANNELS_PER_PIN, played,
                  (SIZE_T)copied * RKX_BYTES_PER_FRAME);
    mixer->capturedFrames += copied;
}

/* The reply carries as many frames from offsetFrames as were asked for, have been captured
 * and fit the output buffer; header.totalFrames tells how many were captured so far. */
NTSTATUS VmixFetchCapture(PVOID buffer, ULONG inputBytes, ULONG outputBytes, ULONG_PTR *replyBytes)
{
    if (inputBytes < sizeof(VmixChunkHeader)) return STATUS_INVALID_PARAMETER;
    if (outputBytes < sizeof(VmixChunkHeader)) return STATUS_BUFFER_TOO_SMALL;
    VmixAudioChunk *chunk = buffer;
    VmixChunkHeader request = chunk->header;
    VmixMixer *mixer = MixerAt(request.mixer);
    if (mixer == NULL) return STATUS_INVALID_PARAMETER;

    ULONG wanted = request.frames < VMIX_CHUNK_FRAMES ? request.frames : VMIX_CHUNK_FRAMES;
    ULONG room = (outputBytes - (ULONG)sizeof(VmixChunkHeader)) / RKX_BYTES_PER_FRAME;
    if (wanted > room) wanted = room;

    ExAcquireFastMutex(&g_vmix.audioMutex);
    ULONG captured = mixer->capture != NULL ? mixer->capturedFrames : 0;
    ULONG available = request.offsetFrames < captured ? captured - request.offsetFrames : 0;
    ULONG frames = wanted < available ? wanted : available;
    if (frames != 0) {
        RtlCopyMemory(chunk->samples, mixer->capture + (SIZE_T)request.offsetFrames * RKX_CHANNELS_PER_PIN,
                      (SIZE_T)frames * RKX_BYTES_PER_FRAME);
    }
    ExReleaseFastMutex(&g_vmix.audioMutex);

    chunk->header = request;
    chunk->header.frames = frames;
    chunk->header.totalFrames = captured;
    *replyBytes = sizeof(VmixChunkHeader) + (ULONG_PTR)frames * RKX_BYTES_PER_FRAME;
    return STATUS_SUCCESS;
}

/* A load at offset 0 starts a new injected signal of header.totalFrames frames (the rest
 * silent until loaded); later chunks fill it in. The source plays it looped at once. */
NTSTATUS VmixLoadInjected(PVOID buffer, ULONG inputBytes)
{
    if (inputBytes < sizeof(VmixChunkHeader)) return STATUS_INVALID_PARAMETER;
    const VmixAudioChunk *chunk = buffer;
    const VmixChunkHeader *header = &chunk->header;
    VmixMixer *mixer = MixerAt(header->mixer);
    if (mixer == NULL || header->target >= VMIX_ANALOG_SOURCE_COUNT) return STATUS_INVALID_PARAMETER;
    if (header->frames > VMIX_CHUNK_FRAMES || header->totalFrames == 0 || header->totalFrames > VMIX_MAX_INJECT_FRAMES)
        return STATUS_INVALID_PARAMETER;
    if (header->offsetFrames > header->totalFrames || header->frames > header->totalFrames - header->offsetFrames)
        return STATUS_INVALID_PARAMETER;
    if (inputBytes < sizeof(VmixChunkHeader) + header->frames * 2 * sizeof(LONG)) return STATUS_INVALID_PARAMETER;

    VmixInjectedSource *source = &mixer->injected[header->target];
    LONG *fresh = NULL, *old = NULL;
    if (header->offsetFrames == 0) {
        fresh = AllocateSamples(header->totalFrames * 2);
        if (fresh == NULL) return STATUS_INSUFFICIENT_RESOURCES;
    }
    NTSTATUS status = STATUS_SUCCESS;
    ExAcquireFastMutex(&g_vmix.audioMutex);
    if (fresh != NULL) {
        old = source->samples;
        source->samples = fresh;
        source->totalFrames = header->totalFrames;
    }
    if (source->samples == NULL || source->totalFrames != header->totalFrames) {
        status = STATUS_INVALID_PARAMETER; /* a later chunk of a load that never started */
    } else {
        RtlCopyMemory(source->samples + (SIZE_T)header->offsetFrames * 2, chunk->samples,
                      (SIZE_T)header->frames * 2 * sizeof(LONG));
    }
    ExReleaseFastMutex(&g_vmix.audioMutex);
    FreeSamples(old);
    return status;
}

NTSTATUS VmixClearInjected(PVOID buffer, ULONG inputBytes)
{
    if (inputBytes < sizeof(VmixInjectClear)) return STATUS_INVALID_PARAMETER;
    const VmixInjectClear *request = buffer;
    VmixMixer *mixer = MixerAt(request->mixer);
    if (mixer == NULL || request->target >= VMIX_ANALOG_SOURCE_COUNT) return STATUS_INVALID_PARAMETER;
    ExAcquireFastMutex(&g_vmix.audioMutex);
    LONG *old = mixer->injected[request->target].samples;
    mixer->injected[request->target].samples = NULL;
    mixer->injected[request->target].totalFrames = 0;
    ExReleaseFastMutex(&g_vmix.audioMutex);
    FreeSamples(old);
    return STATUS_SUCCESS;
}

VOID VmixFreeRigAudio(VmixMixer *mixer)
{
    LONG *old[1 + VMIX_ANALOG_SOURCE_COUNT];
    ExAcquireFastMutex(&g_vmix.audioMutex);
    old[0] = mixer->capture;
    mixer->capture = NULL;
    mixer->captureCapacity = 0;
    mixer->capturedFrames = 0;
    for (ULONG s = 0; s < VMIX_ANALOG_SOURCE_COUNT; s++) {
        old[1 + s] = mixer->injected[s].samples;
        mixer->injected[s].samples = NULL;
        mixer->injected[s].totalFrames = 0;
    }
    ExReleaseFastMutex(&g_vmix.audioMutex);
    for (ULONG i = 0; i < ARRAYSIZE(old); i++) FreeSamples(old[i]);
}
