// Client of the virtual mixer's control device (\\.\RkxVirtualMixer). Every call reports
// success with its return value; on failure GetLastError() still holds the platform's reason.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "virtualmixer/protocol/virtual_mixer_control.h"

namespace rkx::vmix {

struct InterfaceInfo {
    std::wstring path;
    int32_t mixer = -1;
    uint32_t flags = 0;
    bool renderAlias() const { return (flags & VMIX_INTERFACE_RENDER_ALIAS) != 0; }
    bool decoy() const { return (flags & VMIX_INTERFACE_DECOY) != 0; }
};

class VirtualMixerClient {
public:
    // Opens the control device; check IsOpen() (false when the virtual mixer is not loaded).
    VirtualMixerClient();

    bool IsOpen() const { return control_.valid(); }
    DWORD OpenError() const { return openError_; }

    bool Reset();
    bool GetStatus(VmixStatus& status);
    bool SetPlugged(uint32_t mixer, bool plugged);
    bool SetValue(uint32_t mixer, VmixValueId id, uint32_t index, uint32_t value);
    bool SetFault(uint32_t mixer, VmixFaultId id, uint32_t code, uint32_t count);
    bool GetStats(uint32_t mixer, VmixStats& stats);
    bool ClearStats();
    bool GetJournal(VmixJournal& journal);
    bool ListInterfaces(std::vector<InterfaceInfo>& interfaces);
    bool SetDecoys(uint32_t mask);

    // Capture of what the host played: arm with a capacity in frames (0 disarms), then fetch
    // every captured frame as 8 interleaved sub-channels.
    bool ArmCapture(uint32_t mixer, uint32_t frames);
    bool FetchCapture(uint32_t mixer, std::vector<int32_t>& interleaved8);

    // Replaces an analog source with looped stereo audio (interleaved left/right).
    bool LoadInjection(uint32_t mixer, VmixAnalogSource source, const std::vector<int32_t>& stereo);
    bool ClearInjection(uint32_t mixer, VmixAnalogSource source);

    // Raw request, for callers (tests) that need exact sizes.
    bool Request(DWORD code, const void* in, DWORD inBytes, void* out, DWORD outBytes, DWORD* returned = nullptr);

private:
    UniqueHandle control_;
    DWORD openError_ = ERROR_SUCCESS;
};

// Plugged mixers, by index, from a status reply.
std::vector<uint32_t> PluggedMixers(const VmixStatus& status);

}  // namespace rkx::vmix
