#include "common/diagnostics.h"

#include <windows.h>
#include <shlobj.h>

#include "common/unique_registry_key.h"

namespace rkx::diagnostics {

bool Enabled()
{
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSwitchKeyPath, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.receive()) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status =
        RegQueryValueExW(key.get(), kSwitchValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0;
}

std::wstring Folder()
{
    wchar_t programData[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData))) return {};
    return std::wstring(programData) + L"\\Korvane\\RKX-T2\\Diagnostics";
}

std::wstring PrepareFile(const wchar_t* fileName)
{
    if (!Enabled()) return {};
    const std::wstring folder = Folder();
    if (folder.empty()) return {};
    // Each level in turn: the maker's and the product's folders may not exist yet.
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1))
        CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    return folder + L"\\" + fileName;
}

}  // namespace rkx::diagnostics
