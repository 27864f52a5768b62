// The main window's fonts for a UI language, chosen once at start-up. Label fonts are made at
// four times the display size (label bitmaps are rendered large and scaled down).
#pragma once

#include "skin/gdi_owners.h"

#include <windows.h>

#include <string>

namespace config {

struct UiFonts {
    std::wstring face;                     // the UI face the message and button fonts use
    skin::GdiObject<HFONT> arial12;        // tab labels
    skin::GdiObject<HFONT> label48;        // most labels; wrapped labels outside East Asian languages
    skin::GdiObject<HFONT> message48;      // messages, in the UI face
    skin::GdiObject<HFONT> button52;       // the ASIO page's button, in the UI face
};

// `preferredFace` is the UI language's font face (string 301; empty for most languages, which
// then want "Arial"). The face is taken only when an installed family has exactly that name,
// else the stock GUI font's face is used. Chinese and Korean draw the UI face bold.
UiFonts MakeUiFonts(DWORD installLanguage, const std::wstring& preferredFace);

}  // namespace config
