// Finding a named resource of the module's own image, ignoring case.
#pragma once

#include <windows.h>

namespace skin {

struct ResourceBytes {
    const void* data = nullptr;
    DWORD size = 0;
};

// The bytes of resource `name` of `type` (both strings) in the loaded module `module`.
// Tries FindResourceW first and then walks the module's resource directory, comparing names
// without case: a lookup that relies on the directory's sort order misses names whose order
// differs between upper and lower case (an underscore beside letters).
bool FindNamedResource(HMODULE module, const wchar_t* type, const wchar_t* name, ResourceBytes& bytes);

}  // namespace skin
