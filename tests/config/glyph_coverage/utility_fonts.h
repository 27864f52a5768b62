// The fonts the settings utility's main window makes for a UI language (made by the utility's
// own code) and the texts of its string tables (linked into the test program as its own
// resources).
#pragma once

#include "dialog/ui_fonts.h"
#include "skin/gdi_owners.h"

#include <windows.h>

#include <string>
#include <vector>

namespace glyph_test {

using UtilityFonts = config::UiFonts;

// The utility's fonts for the UI language whose table is `language`.
UtilityFonts MakeUtilityFonts(LANGID language);

// A font of the given face, for the check of the check.
HFONT MakeFont(int height, int weight, const wchar_t* face);

// Text `id` of the table `language`; empty when absent.
std::wstring TableString(LANGID language, UINT id);

// Identifiers in [first, last] that have a text in the table.
std::vector<UINT> IdsInTable(LANGID language, UINT first, UINT last);

}  // namespace glyph_test
