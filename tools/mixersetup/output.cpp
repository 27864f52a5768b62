#include "tools/mixersetup/output.h"

#include <windows.h>

#include <cstdio>

namespace rkx::mixersetup {
namespace {

void Write(FILE* stream, const std::wstring& line)
{
    std::string bytes;
    if (!line.empty()) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
        if (size > 0) {
            bytes.resize(static_cast<size_t>(size));
            WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
        }
    }
    bytes += '\n';
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

}  // namespace

void PrintLine(const std::wstring& line) { Write(stdout, line); }
void PrintError(const std::wstring& line) { Write(stderr, L"rkxsetup: " + line); }

}  // namespace rkx::mixersetup
