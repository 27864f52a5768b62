#include "dialog/label_log.h"

#include "common/diagnostics.h"
#include "common/unique_handle.h"

#include <cstdio>
#include <string>

namespace config {
namespace {

// Opened once, at the first label; readers may open the file meanwhile.
HANDLE LogFile()
{
    static const rkx::UniqueHandle file = [] {
        const std::wstring path = rkx::diagnostics::PrepareFile(rkx::diagnostics::kUtilityLabelsFile);
        if (path.empty()) return rkx::UniqueHandle();
        constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        return rkx::UniqueHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    }();
    return file.get();
}

}  // namespace

void LogRenderedLabel(int width, int height, COLORREF textColour, const wchar_t* text)
{
    HANDLE file = LogFile();
    if (file == nullptr || file == INVALID_HANDLE_VALUE) return;
    std::wstring line;
    for (const wchar_t* c = text ? text : L""; *c != L'\0'; ++c)
        line += *c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, *c);
    char head[48];
    std::snprintf(head, sizeof head, "%dx%d %02X%02X%02X: ", width, height, GetRValue(textColour),
                  GetGValue(textColour), GetBValue(textColour));
    std::string bytes = head;
    const int length = static_cast<int>(line.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (needed > 0) {
        const size_t at = bytes.size();
        bytes.resize(at + static_cast<size_t>(needed));
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), length, bytes.data() + at, needed, nullptr, nullptr);
    }
    bytes += "\r\n";
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace config
