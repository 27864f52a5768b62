// The fonts the settings utility's main window makes for a UI language, made the same way, and
// the texts of its string tables (linked into the test program as its own resources).
#pragma once

#include "skin/gdi_owners.h"

#include <windows.h>

#include <string>
#include <vector>

namespace glyph_test {

struct UtilityFonts {
    std::wstring uiFace;                 // string 301 when installed, else "Arial", else the GUI font's
    skin::GdiObject<HFONT> arial12;      // tab names
    skin::GdiObject<HFONT> label48;      // labels, and wrapped texts outside East Asian languages
    skin::GdiObject<HFONT> message48;    // messages
    skin::GdiObject<HFONT> button52;     // the ASIO page's button
};

UtilityFonts MakeUtilityFonts(LANGID language);

HFONT MakeFont(int height, int weight, const wchar_t* face);

// Text `id` of the table `language`; empty when absent.
std::wstring TableString(LANGID language, UINT id);

// Identifiers in [first, last] that have a text in the table.
std::vector<UINT> IdsInTable(LANGID language, UINT first, UINT last);

}  // namespace glyph_test
