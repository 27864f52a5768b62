// Plain lines on stdout and stderr, each written at once so a reader of a pipe sees it as it
// happens: UTF-16 to a console, UTF-8 to pipes and files.
#pragma once

#include <string>

namespace rkx::mixersetup {

void PrintLine(const std::wstring& line);
void PrintError(const std::wstring& line);

}  // namespace rkx::mixersetup
