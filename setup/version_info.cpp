#include "setup/version_info.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <limits>
#include <vector>

#include "common/unique_handle.h"
#include "common/unique_registry_key.h"
#include "setup/redirection_off.h"

namespace rkx::setup {
namespace {

constexpr wchar_t kModel[] = L"RKX-T2";
constexpr size_t kVersionCopyChars = 19;

std::wstring WindowsDirectory()
{
    wchar_t directory[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(directory, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return {};
    return directory;
}

bool FileOpensForReading(const std::wstring& path)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

#if !defined(_WIN64)
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

template <class Fn>
Fn Kernel32Function(const char* name)
{
    HMODULE kernel = GetModuleHandleW(L"kernel32");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)));
}

bool RunsUnderWow64()
{
    auto isWow64 = Kernel32Function<IsWow64ProcessFn>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}
#endif

}  // namespace

std::optional<int> ParseProductVersion(const wchar_t* productVersion)
{
    if (productVersion == nullptr) return std::nullopt;
    wchar_t copy[kVersionCopyChars + 1] = {};
    size_t length = 0;
    int dots = 0;
    for (const wchar_t* c = productVersion; *c != L'\0' && length < kVersionCopyChars; ++c) {
        if (*c == L'.') {
            if (++dots == 2) break;
            continue;
        }
        copy[length++] = *c;
    }
    long long value = 0;
    for (size_t i = 0; i < length && copy[i] >= L'0' && copy[i] <= L'9'; ++i) {
        value = value * 10 + (copy[i] - L'0');
        if (value > std::numeric_limits<int>::max()) return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<int> ReadFileVersionNumber(const std::wstring& path)
{
    if (path.empty() || !FileOpensForReading(path)) return std::nullopt;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return std::nullopt;
    for (const wchar_t* entry : {L"\\StringFileInfo\\040904B0\\ProductVersion", L"\\StringFileInfo\\04090000\\ProductVersion"}) {
        void* text = nullptr;
        UINT chars = 0;
        if (!VerQueryValueW(block.data(), entry, &text, &chars) || text == nullptr) continue;
        // The string may lack its terminator inside the block: copy exactly what it holds.
        const std::wstring value(static_cast<const wchar_t*>(text), wcsnlen(static_cast<const wchar_t*>(text), chars));
        return ParseProductVersion(value.c_str());
    }
    return std::nullopt;
}

std::wstring FormatVersionNumber(int version)
{
    wchar_t text[32] = {};
    swprintf(text, 32, L"%d.%03d", version / 1000, version % 1000);
    return text;
}

std::optional<int> DriverVersionNumber()
{
    const std::wstring windows = WindowsDirectory();
    if (windows.empty()) return std::nullopt;
#if defined(_WIN64)
    // A 64-bit process sees the 64-bit driver in its own System32.
    return ReadFileVersionNumber(windows + L"\\System32\\Drivers\\" + kModel + L"Audio64.sys");
#else
    if (!RunsUnderWow64()) return ReadFileVersionNumber(windows + L"\\System32\\Drivers\\" + kModel + L"Audio.sys");
    if (auto version = ReadFileVersionNumber(windows + L"\\Sysnative\\Drivers\\" + kModel + L"Audio64.sys"))
        return version;
    RedirectionFunctions functions;
    functions.disable = Kernel32Function<decltype(functions.disable)>("Wow64DisableWow64FsRedirection");
    functions.revert = Kernel32Function<decltype(functions.revert)>("Wow64RevertWow64FsRedirection");
    const RedirectionOff off(functions);
    if (!off.active()) return std::nullopt;
    const std::wstring again = WindowsDirectory();
    if (again.empty()) return std::nullopt;
    return ReadFileVersionNumber(again + L"\\System32\\Drivers\\" + kModel + L"Audio64.sys");
#endif
}

std::optional<int> UtilityVersionNumber()
{
    wchar_t programFiles[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles)))
        return std::nullopt;
    return ReadFileVersionNumber(std::wstring(programFiles) + L"\\Korvane\\" + kModel + L"\\" + kModel + L"_Config.exe");
}

std::optional<int> LibraryVersionNumber()
{
    const std::wstring windows = WindowsDirectory();
    if (windows.empty()) return std::nullopt;
#if defined(_WIN64)
    // Sysnative exists only for 32-bit processes; a 64-bit process finds itself in System32.
    return ReadFileVersionNumber(windows + L"\\System32\\" + kModel + L"_Setup64.dll");
#else
    return ReadFileVersionNumber(windows + L"\\System32\\" + kModel + L"_Setup.dll");
#endif
}

std::optional<std::wstring> InstallerDisplayVersion()
{
    UniqueKey uninstall;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RKX-T2", 0,
                      KEY_READ, uninstall.receive()) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t data[128] = {};
    DWORD type = 0;
    DWORD bytes = sizeof(data);
    if (RegQueryValueExW(uninstall.get(), L"DisplayVersion", nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // Registry strings need not be terminated: take the characters the value holds.
    size_t chars = bytes / sizeof(wchar_t);
    while (chars > 0 && data[chars - 1] == L'\0') --chars;
    return std::wstring(data, wcsnlen(data, chars));
}

}  // namespace rkx::setup
