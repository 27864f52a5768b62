#include "tests/stress/process_tools.h"

#include <cstdlib>
#include <cstring>

namespace rkx::stress {

bool FullLength(int argc, char** argv) { return HasArgument(argc, argv, "--full"); }

bool HasArgument(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return true;
    return false;
}

long ArgumentValue(int argc, char** argv, const char* name, long fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::strtol(argv[i + 1], nullptr, 0);
    return fallback;
}

uint64_t SeedFrom(int argc, char** argv)
{
    const long seed = ArgumentValue(argc, argv, "--seed", 0);
    if (seed != 0) return uint64_t(seed);
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return uint64_t(now.QuadPart % 1000000007) + 1;
}

UniqueHandle StartSelf(const std::string& arguments)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string commandLine = std::string("\"") + self + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return UniqueHandle();
    CloseHandle(info.hThread);
    return UniqueHandle(info.hProcess);
}

int ExitCodeOf(HANDLE process)
{
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code) || code == STILL_ACTIVE) return -1;
    return int(code);
}

// Counted directly rather than asked for: under Wine the system's own counters read 0.
ProcessCounts CountsOfThisProcess()
{
    ProcessCounts counts;
    // Handles are small multiples of 4; stop well past the last one in use.
    DWORD flags = 0;
    uintptr_t lastValid = 0;
    for (uintptr_t value = 4; value < lastValid + 16384 && value < (1u << 24); value += 4) {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++counts.handles;
            lastValid = value;
        }
    }
    // Committed private memory: what a heap or a leaked allocation grows.
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) counts.privateBytes += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return counts;
}

}  // namespace rkx::stress
