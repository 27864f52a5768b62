// Helpers every suite shares: copies of the suite's own program as workers, waits that keep
// this thread's windows answering, and the process's handle and memory counts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "tests/support/wait.h"

namespace rkx::stress {

// The suites use the test-support library (waits, processes, the service, the stand-in).
using namespace ::rkx::test;

// "--full" (make stress) or the short form that make test runs (the default).
bool FullLength(int argc, char** argv);
// The value after `name` on the command line ("--worker 3"), or `fallback`.
long ArgumentValue(int argc, char** argv, const char* name, long fallback);
bool HasArgument(int argc, char** argv, const char* name);

// Starts this program again with `arguments`; it shares this console. Invalid on failure.
UniqueHandle StartSelf(const std::string& arguments);

// Exit code of an ended process, or -1.
int ExitCodeOf(HANDLE process);

struct ProcessCounts {
    DWORD handles = 0;
    uint64_t privateBytes = 0;
};
ProcessCounts CountsOfThisProcess();

// Small, fast and seeded explicitly, so a failing run can be repeated with its seed.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    // 0 .. n-1
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : uint32_t(Next() % n); }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    template <class T, size_t N>
    const T& Pick(const T (&table)[N])
    {
        return table[Below(N)];
    }

private:
    uint64_t state_;
};

// A seed from the command line ("--seed N") or from the clock; printed by the caller.
uint64_t SeedFrom(int argc, char** argv);

}  // namespace rkx::stress
