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
constexpr int kBenchFailure = 1;
constexpr int kUsageError = 2;

class Bench {
public:
    explicit Bench(std::vector<std::wstring> args) : args_(std::move(args)) {}

    // Arguments after the command name.
    const std::vector<std::wstring>& args() const { return args_; }

    // The control device, or nullptr after printing that the virtual mixer is not loaded.
    rkx::vmix::VirtualMixerClient* Client();

    // Prints "vmixctl: <message>" plus a hint, returns kUsageError.
    static int Usage(const std::string& message);
    // Prints "vmixctl: <what> failed (error N)" with the last error, returns kBenchFailure.
    static int Failed(const std::string& what);

    // Mixer index argument 0..3, or a usage message.
    static std::optional<uint32_t> Mixer(const std::wstring& text);

private:
    std::vector<std::wstring> args_;
    std::optional<rkx::vmix::VirtualMixerClient> client_;
};

using Command = int (*)(Bench& bench);

int Help(Bench& bench);
int Status(Bench& bench);
int List(Bench& bench);
int Stats(Bench& bench);
int Journal(Bench& bench);
int Plug(Bench& bench);
int Unplug(Bench& bench);
int Mixers(Bench& bench);
int Set(Bench& bench);
int Fault(Bench& bench);
int Decoys(Bench& bench);
int Clear(Bench& bench);
int Reset(Bench& bench);
int Capture(Bench& bench);
int Analyze(Bench& bench);
int Inject(Bench& bench);

}  // namespace vmixctl
