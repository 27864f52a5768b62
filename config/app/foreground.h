// Raising the utility's window above whatever has the foreground, also from a second copy.
#pragma once

#include <windows.h>

namespace config {

void BringToForeground(HWND window);

}  // namespace config
