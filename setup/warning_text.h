// The routing warning: string 320 of the library's string tables, in the chosen language.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace rkx::setup {

constexpr UINT kWarningStringId = 320;
constexpr LANGID kEnglish = 1033;

// The language of the installation's "InstallLanguage" value (9 when missing).
LANGID InstalledLanguage(uint32_t installLanguage);
// The language argument overrides the installed language for 0..11.
LANGID WarningLanguage(int languageArgument, LANGID installed);

// String `id` of `language` from `module`'s tables, English when that language has none.
std::wstring LoadModuleString(HINSTANCE module, UINT id, LANGID language);

}  // namespace rkx::setup
