// The UI language: which string table a text comes from and what the language implies for
// fonts. Pure rules; reading "InstallLanguage" is separate so the rules can be tested alone.
#pragma once

#include <windows.h>

namespace config {

// "InstallLanguage" when it cannot be read: English.
constexpr DWORD kDefaultInstallLanguage = 9;
// Identifiers up to this one are language-neutral labels, held in the Japanese table only.
constexpr UINT kLastNeutralStringId = 200;

constexpr DWORD PrimaryLanguageOf(DWORD installLanguage) { return installLanguage & 0x3FF; }

// The LANGID of the string table that holds text `id` for this installation language. Chinese
// keeps the stored value (only 1028 and 2052 have tables; others find nothing).
LANGID StringTableLanguage(DWORD installLanguage, UINT id);

// Chinese, Japanese and Korean UI languages.
bool IsEastAsianLanguage(DWORD installLanguage);
// Chinese and Korean draw the large UI fonts bold.
bool UsesBoldUiFonts(DWORD installLanguage);

// "InstallLanguage" under HKEY_LOCAL_MACHINE\Software\Korvane\RKX-T2, read afresh each time.
DWORD ReadInstallLanguage();

}  // namespace config
