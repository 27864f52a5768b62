// rkxsetup: the mixer's routing, boost level, status and versions from a command line, on the
// setup library's public interface.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tools/mixersetup/commands.h"
#include "tools/mixersetup/output.h"

namespace {

std::vector<std::wstring> Arguments()
{
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (list == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(list[i]);
    LocalFree(list);
    return arguments;
}

}  // namespace

int main()
{
    try {
        std::wstring error;
        const auto options = rkx::mixersetup::ParseOptions(Arguments(), error);
        if (!options) {
            rkx::mixersetup::PrintError(error);
            return rkx::mixersetup::kExitUsage;
        }
        return rkx::mixersetup::RunCommand(*options);
    } catch (...) {
        rkx::mixersetup::PrintError(L"internal failure");
        return rkx::mixersetup::kExitFailed;
    }
}
