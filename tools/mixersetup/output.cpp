#include "tools/mixersetup/output.h"

#include <windows.h>

namespace rkx::mixersetup {
namespace {

// A console takes UTF-16 and shows it whatever its code page; bytes written to it would be
// read in that code page, and every character outside it would come out garbled.
bool WriteToConsole(HANDLE stream, const std::wstring& line)
{
    DWORD mode = 0;
    if (!GetConsoleMode(stream, &mode)) return false;
    const std::wstring text = line + L"\n";
    DWORD written = 0;
    return WriteConsoleW(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
}

// Pipes and files get UTF-8 bytes, which readers of the output can rely on.
void WriteBytes(HANDLE stream, const std::wstring& line)
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
    DWORD written = 0;
    // Unbuffered: a reader of a pipe sees each line as it happens.
    WriteFile(stream, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Write(DWORD which, const std::wstring& line)
{
    const HANDLE stream = GetStdHandle(which);
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) return;
    if (!WriteToConsole(stream, line)) WriteBytes(stream, line);
}

}  // namespace

void PrintLine(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line); }
void PrintError(const std::wstring& line) { Write(STD_ERROR_HANDLE, L"rkxsetup: " + line); }

}  // namespace rkx::mixersetup
