// Files and folders a test works with: its own folder (where the build puts every program and
// library a test starts or loads) and whole files read back.
#pragma once

#include <string>

namespace rkx::test {

// The folder of the running program, with a trailing backslash; empty when it cannot be read.
std::wstring OwnFolder();
// The whole file as bytes; empty when it cannot be opened. Opened with every sharing mode, so
// a file another process is still writing can be read.
std::string ReadWholeFile(const std::wstring& path);

}  // namespace rkx::test
