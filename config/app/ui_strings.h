// Texts of the user interface from the program's string tables, in the installation language.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace config {

// Text `id` of the table with exactly this LANGID in `module`; empty when there is none.
std::wstring LoadStringOfLanguage(HMODULE module, LANGID language, UINT id);

// Text `id` in the UI language chosen at installation (identifiers up to 200 from the Japanese
// table); empty when absent.
std::wstring LoadUiString(UINT id);
// The same into a caller's buffer, always terminated and cut to fit.
void LoadUiString(UINT id, wchar_t* buffer, std::size_t capacity);

// A text with one "%s" (or "%d"...) filled in, as the string tables use them.
std::wstring FormatUiString(UINT id, const wchar_t* argument);

}  // namespace config
