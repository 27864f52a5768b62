// Arguments of a rig tool as the user typed them, and strict number parsing: a typo must
// give a clear message, never a silently different value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rkx::vmix {

// The process's arguments without the program name.
std::vector<std::wstring> CommandLineArguments();

// Decimal or 0x-prefixed hexadecimal, 0..max; nothing else (no sign, no spaces, no suffix).
std::optional<uint32_t> ParseUnsigned(const std::wstring& text, uint32_t max = UINT32_MAX);

// A positive decimal number such as 2 or 2.5, at most `max`.
std::optional<double> ParseSeconds(const std::wstring& text, double max);

// A tool's main(): runs `run`, flushes its output, and turns anything that escapes into one
// line on stderr and `failureCode`.
int RunToolMain(const char* toolName, int (*run)(), int failureCode);

}  // namespace rkx::vmix
