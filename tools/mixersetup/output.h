// Plain lines on stdout and stderr, in UTF-8, flushed at once so a reader of a pipe sees each
// line as it happens.
#pragma once

#include <string>

namespace rkx::mixersetup {

void PrintLine(const std::wstring& line);
void PrintError(const std::wstring& line);

}  // namespace rkx::mixersetup
