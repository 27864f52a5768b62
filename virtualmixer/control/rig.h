// What every vmixctl command shares: its arguments, the control device (opened on first
// use), and the exit codes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "virtualmixer/client/command_line.h"
#include "virtualmixer/client/virtual_mixer_client.h"

namespace vmixctl {

constexpr int kOk = 0;
constexpr int kRigFailure = 1;
constexpr int kUsageError = 2;

class Rig {
public:
    explicit Rig(std::vector<std::wstring> args) : args_(std::move(args)) {}

    // Arguments after the command name.
    const std::vector<std::wstring>& args() const { return args_; }

    // The control device, or nullptr after printing that the virtual mixer is not loaded.
    rkx::vmix::VirtualMixerClient* Client();

    // Prints "vmixctl: <message>" plus a hint, returns kUsageError.
    static int Usage(const std::string& message);
    // Prints "vmixctl: <what> failed (error N)" with the last error, returns kRigFailure.
    static int Failed(const std::string& what);

    // Mixer index argument 0..3, or a usage message.
    static std::optional<uint32_t> Mixer(const std::wstring& text);

private:
    std::vector<std::wstring> args_;
    std::optional<rkx::vmix::VirtualMixerClient> client_;
};

using Command = int (*)(Rig& rig);

int Help(Rig& rig);
int Status(Rig& rig);
int List(Rig& rig);
int Stats(Rig& rig);
int Journal(Rig& rig);
int Plug(Rig& rig);
int Unplug(Rig& rig);
int Mixers(Rig& rig);
int Set(Rig& rig);
int Fault(Rig& rig);
int Decoys(Rig& rig);
int Clear(Rig& rig);
int Reset(Rig& rig);
int Capture(Rig& rig);
int Analyze(Rig& rig);
int Inject(Rig& rig);

}  // namespace vmixctl
