// The commands of rkxsetup, each on the setup library's public interface. Each returns the
// process's exit code.
#pragma once

#include "tools/mixersetup/arguments.h"

namespace rkx::mixersetup {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // the library reported a failure, or the mixer is absent
constexpr int kExitUsage = 2;   // the command line was wrong

int RunCommand(const Options& options);
void PrintUsage();

}  // namespace rkx::mixersetup
