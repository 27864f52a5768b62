// The library's own module handle, recorded when it is loaded (string resources come from it).
#pragma once

#include <windows.h>

namespace rkx::setup {

void SetLibraryModule(HINSTANCE module);
HINSTANCE LibraryModule();

}  // namespace rkx::setup
