#include "rig.h"

#include <windows.h>

#include <cstdio>

namespace vmixctl {

rkx::vmix::VirtualMixerClient* Rig::Client()
{
    if (!client_) client_.emplace();
    if (!client_->IsOpen()) {
        std::fprintf(stderr, "vmixctl: the virtual mixer is not loaded (cannot open \\\\.\\RkxVirtualMixer, error %lu)\n",
                     static_cast<unsigned long>(client_->OpenError()));
        return nullptr;
    }
    return &*client_;
}

int Rig::Usage(const std::string& message)
{
    std::fprintf(stderr, "vmixctl: %s\nRun 'vmixctl --help' for usage.\n", message.c_str());
    return kUsageError;
}

int Rig::Failed(const std::string& what)
{
    const DWORD error = GetLastError();
    std::fprintf(stderr, "vmixctl: %s failed (error %lu)\n", what.c_str(), static_cast<unsigned long>(error));
    return kRigFailure;
}

std::optional<uint32_t> Rig::Mixer(const std::wstring& text)
{
    return rkx::vmix::ParseUnsigned(text, VMIX_MAX_MIXERS - 1);
}

}  // namespace vmixctl
