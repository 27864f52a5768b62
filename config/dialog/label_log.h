// What the window renders into label bitmaps, for tests: active only while the machine's
// diagnostics switch is on (common/diagnostics.h), into the utility's labels file there. Each
// label appends one UTF-8 line "WxH RRGGBB: text" (display size, text colour; line feeds in the
// text written as "\n").
#pragma once

#include <windows.h>

namespace config {

void LogRenderedLabel(int width, int height, COLORREF textColour, const wchar_t* text);

}  // namespace config
