// What the window renders into label bitmaps, for tests: active only when the environment
// variable RKX_CONFIG_LABEL_LOG names a file. Each label appends one UTF-8 line
// "WxH RRGGBB: text" (display size, text colour; line feeds in the text written as "\n").
#pragma once

#include <windows.h>

namespace config {

void LogRenderedLabel(int width, int height, COLORREF textColour, const wchar_t* text);

}  // namespace config
