// A call made as a 32-bit caller of a given convention makes it, with what the callee removed
// from the stack measured (checked_call_i686.S). Only for the i686 tree: x86-64 has one
// calling convention.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

extern "C" uint32_t CheckedCall(const void* function, uint32_t ecx, const uint32_t* words, uint32_t count,
                                uint32_t* popped);

namespace rkx::abi_test {

struct CallOutcome {
    uint32_t result;  // EAX
    uint32_t popped;  // bytes the callee removed from the stack
};

// __stdcall: arguments on the stack, removed by the callee.
inline CallOutcome CallStdcall(const void* function, std::vector<uint32_t> words)
{
    CallOutcome outcome{};
    outcome.result = CheckedCall(function, 0xBADC0DE, words.data(), uint32_t(words.size()), &outcome.popped);
    return outcome;
}

// __thiscall: `this` in ECX, arguments on the stack, removed by the callee.
inline CallOutcome CallThiscall(const void* function, const void* self, std::vector<uint32_t> words)
{
    CallOutcome outcome{};
    outcome.result = CheckedCall(function, uint32_t(reinterpret_cast<uintptr_t>(self)), words.data(),
                                 uint32_t(words.size()), &outcome.popped);
    return outcome;
}

inline uint32_t Word(const void* pointer) { return uint32_t(reinterpret_cast<uintptr_t>(pointer)); }

// A double as the two words a caller pushes for it.
inline std::vector<uint32_t> Words(double value)
{
    uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    __builtin_memcpy(&bits, &value, sizeof bits);
    return {uint32_t(bits), uint32_t(bits >> 32)};
}

}  // namespace rkx::abi_test
