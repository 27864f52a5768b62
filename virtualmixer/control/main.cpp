// vmixctl: the rig operator's handle on the virtual mixer.
#include <cstdio>
#include <exception>
#include <string>

#include "rig.h"
#include "virtualmixer/client/command_line.h"
#include "virtualmixer/client/mixer_paths.h"

namespace {

struct CommandEntry {
    const wchar_t* name;
    vmixctl::Command run;
};

constexpr CommandEntry kCommands[] = {
    {L"status", vmixctl::Status}, {L"plug", vmixctl::Plug},       {L"unplug", vmixctl::Unplug},
    {L"mixers", vmixctl::Mixers}, {L"set", vmixctl::Set},         {L"fault", vmixctl::Fault},
    {L"decoys", vmixctl::Decoys}, {L"list", vmixctl::List},       {L"stats", vmixctl::Stats},
    {L"journal", vmixctl::Journal}, {L"clear", vmixctl::Clear},   {L"reset", vmixctl::Reset},
    {L"capture", vmixctl::Capture}, {L"inject", vmixctl::Inject}, {L"analyze", vmixctl::Analyze},
    {L"--help", vmixctl::Help},
    {L"-h", vmixctl::Help},       {L"help", vmixctl::Help},       {L"/?", vmixctl::Help},
};

int Run()
{
    std::vector<std::wstring> args = rkx::vmix::CommandLineArguments();
    if (args.empty()) return vmixctl::Rig::Usage("no command given");
    const std::wstring name = args.front();
    args.erase(args.begin());
    for (const CommandEntry& command : kCommands) {
        if (name == command.name) {
            vmixctl::Rig rig(std::move(args));
            return command.run(rig);
        }
    }
    return vmixctl::Rig::Usage("unknown command '" + rkx::vmix::ToPrintable(name) + "'");
}

}  // namespace

int main() { return rkx::vmix::RunToolMain("vmixctl", Run, vmixctl::kRigFailure); }
