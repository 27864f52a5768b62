#include "virtualmixer/client/virtual_mixer_client.h"

#include <algorithm>
#include <memory>
#include <new>

namespace rkx::vmix {

VirtualMixerClient::VirtualMixerClient()
    : control_(CreateFileW(VMIX_CONTROL_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr))
{
    if (!control_) openError_ = GetLastError();
}

bool VirtualMixerClient::Request(DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes,
                                 DWORD* returned)
{
    if (!control_) {
        SetLastError(openError_ != ERROR_SUCCESS ? openError_ : ERROR_FILE_NOT_FOUND);
        return false;
    }
    DWORD got = 0;
    const BOOL ok = DeviceIoControl(control_.get(), code, const_cast<void*>(in), inBytes, out, outBytes, &got, nullptr);
    if (returned != nullptr) *returned = got;
    return ok != FALSE;
}

bool VirtualMixerClient::Reset() { return Request(IOCTL_VMIX_RESET, nullptr, 0, nullptr, 0); }

bool VirtualMixerClient::GetStatus(VmixStatus& status)
{
    status = VmixStatus{};
    DWORD got = 0;
    return Request(IOCTL_VMIX_GET_STATUS, nullptr, 0, &status, sizeof(status), &got) && got == sizeof(status);
}

bool VirtualMixerClient::SetPlugged(uint32_t mixer, bool plugged)
{
    const VmixPlugRequest request{mixer, plugged ? 1u : 0u};
    return Request(IOCTL_VMIX_SET_PLUGGED, &request, sizeof(request), nullptr, 0);
}

bool VirtualMixerClient::SetValue(uint32_t mixer, VmixValueId id, uint32_t index, uint32_t value)
{
    const VmixSetValueRequest request{mixer, static_cast<uint32_t>(id), index, value};
    return Request(IOCTL_VMIX_SET_VALUE, &request, sizeof(request), nullptr, 0);
}

bool VirtualMixerClient::SetFault(uint32_t mixer, VmixFaultId id, uint32_t code, uint32_t count)
{
    const VmixFaultRequest request{mixer, static_cast<uint32_t>(id), code, count};
    return Request(IOCTL_VMIX_SET_FAULT, &request, sizeof(request), nullptr, 0);
}

bool VirtualMixerClient::GetStats(uint32_t mixer, VmixStats& stats)
{
    stats = VmixStats{};
    DWORD got = 0;
    return Request(IOCTL_VMIX_GET_STATS, &mixer, sizeof(mixer), &stats, sizeof(stats), &got) && got == sizeof(stats);
}

bool VirtualMixerClient::ClearStats() { return Request(IOCTL_VMIX_CLEAR_STATS, nullptr, 0, nullptr, 0); }

bool VirtualMixerClient::GetJournal(VmixJournal& journal)
{
    journal = VmixJournal{};
    return Request(IOCTL_VMIX_GET_JOURNAL, nullptr, 0, &journal, sizeof(journal));
}

bool VirtualMixerClient::ListInterfaces(std::vector<InterfaceInfo>& interfaces)
{
    interfaces.clear();
    std::unique_ptr<VmixInterfaceList> list(new (std::nothrow) VmixInterfaceList{});
    if (!list) return false;
    if (!Request(IOCTL_VMIX_LIST_INTERFACES, nullptr, 0, list.get(), sizeof(*list))) return false;
    const uint32_t count = std::min(list->count, VMIX_MAX_LISTED_INTERFACES);
    for (uint32_t i = 0; i < count; ++i) {
        VmixInterfaceEntry& entry = list->entry[i];
        entry.path[RKX_MAX_PATH_CHARS - 1] = L'\0';
        interfaces.push_back(InterfaceInfo{entry.path, entry.mixer, entry.flags});
    }
    return true;
}

bool VirtualMixerClient::SetDecoys(uint32_t mask) { return Request(IOCTL_VMIX_SET_DECOYS, &mask, sizeof(mask), nullptr, 0); }

bool VirtualMixerClient::ArmCapture(uint32_t mixer, uint32_t frames)
{
    const VmixCaptureArm request{mixer, frames};
    return Request(IOCTL_VMIX_CAPTURE_ARM, &request, sizeof(request), nullptr, 0);
}

bool VirtualMixerClient::FetchCapture(uint32_t mixer, std::vector<int32_t>& interleaved8)
{
    interleaved8.clear();
    std::unique_ptr<VmixAudioChunk> chunk(new (std::nothrow) VmixAudioChunk{});
    if (!chunk) return false;
    for (uint32_t offset = 0; offset < VMIX_MAX_CAPTURE_FRAMES;) {
        const VmixChunkHeader request{mixer, 0, offset, VMIX_CHUNK_FRAMES, 0, 0};
        if (!Request(IOCTL_VMIX_CAPTURE_FETCH, &request, sizeof(request), chunk.get(), sizeof(*chunk))) return false;
        const uint32_t frames = std::min(chunk->header.frames, VMIX_CHUNK_FRAMES);
        if (frames == 0) break;
        interleaved8.insert(interleaved8.end(), chunk->samples, chunk->samples + frames * RKX_CHANNELS_PER_PIN);
        offset += frames;
        if (offset >= chunk->header.totalFrames) break;
    }
    return true;
}

bool VirtualMixerClient::LoadInjection(uint32_t mixer, VmixAnalogSource source, const std::vector<int32_t>& stereo)
{
    const size_t totalFrames = stereo.size() / 2;
    if (totalFrames == 0 || totalFrames > VMIX_MAX_INJECT_FRAMES) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::unique_ptr<VmixAudioChunk> chunk(new (std::nothrow) VmixAudioChunk{});
    if (!chunk) return false;
    for (size_t offset = 0; offset < totalFrames;) {
        const uint32_t frames = static_cast<uint32_t>(std::min<size_t>(VMIX_CHUNK_FRAMES, totalFrames - offset));
        chunk->header = VmixChunkHeader{mixer, static_cast<uint32_t>(source), static_cast<uint32_t>(offset), frames,
                                        static_cast<uint32_t>(totalFrames), 0};
        std::copy_n(stereo.begin() + static_cast<ptrdiff_t>(offset * 2), frames * 2, chunk->samples);
        if (!Request(IOCTL_VMIX_INJECT_LOAD, chunk.get(), sizeof(*chunk), nullptr, 0)) return false;
        offset += frames;
    }
    return true;
}

bool VirtualMixerClient::ClearInjection(uint32_t mixer, VmixAnalogSource source)
{
    const VmixInjectClear request{mixer, static_cast<uint32_t>(source)};
    return Request(IOCTL_VMIX_INJECT_CLEAR, &request, sizeof(request), nullptr, 0);
}

std::vector<uint32_t> PluggedMixers(const VmixStatus& status)
{
    std::vector<uint32_t> plugged;
    const uint32_t count = std::min(status.mixerCount, VMIX_MAX_MIXERS);
    for (uint32_t i = 0; i < count; ++i) {
        if (status.mixer[i].plugged != 0) plugged.push_back(i);
    }
    return plugged;
}

}  // namespace rkx::vmix
