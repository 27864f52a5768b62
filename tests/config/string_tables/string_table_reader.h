// Reads this program's own string tables the way the settings utility does: by block and
// exact language, no fallback to another language.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace strings_test {

// The entry `id` of the table `language`; nullopt when that table has no block for it.
// An entry inside an existing block that holds no text comes back empty.
std::optional<std::wstring> FindTableString(LANGID language, UINT id);

// Every non-empty entry of every string block in this module, by language and identifier.
std::map<LANGID, std::map<UINT, std::wstring>> AllTableStrings();

}  // namespace strings_test
