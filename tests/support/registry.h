// Registry reads the tests share.
#pragma once

#include <windows.h>

#include <string>

namespace rkx::test {

// Whether `path` below `root` opens for reading (a key the caller may not read counts as absent).
bool RegistryKeyExists(HKEY root, const std::wstring& path);

}  // namespace rkx::test
