// Every export of the setup library, called with arguments drawn at random from their edges,
// with the result checked against what the interface allows for exactly those arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/stress/process_tools.h"

namespace rkx::stress {

// Texts for model names and user keys: empty to 100,000 characters, lone surrogates,
// non-characters, the model name at odd places, paths, SIDs that are no SIDs.
struct TextPool {
    TextPool();
    std::vector<std::wstring> texts;
};

struct ExportTally {
    uint64_t calls = 0;
    uint64_t offContract = 0;
    std::string firstFault;  // the first call whose result the interface does not allow
};

constexpr int kExportCount = 54;

// Calls export `which` (0..53) once with random arguments; counts and checks the result.
void CallExport(int which, Random& random, const TextPool& pool, ExportTally& tally);
const char* ExportName(int which);

}  // namespace rkx::stress
