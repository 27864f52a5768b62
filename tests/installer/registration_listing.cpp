// Lists registry keys with everything below them, one line per key and per value, sorted, so
// that two registrations (the installer's rows, a driver's own DllRegisterServer) can be
// compared line by line. Strings are printed without the terminating zeros they may be stored
// with. Each argument names one key: VIEW:ROOT\path, VIEW 64 or 32, ROOT HKCR or HKLM.
//
//   registration_listing.exe "64:HKCR\CLSID\{...}" "64:HKLM\SOFTWARE\ASIO\RKX-T2 ASIO 64bit"
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/unique_registry_key.h"
#include "tests/support/text.h"

namespace {

using rkx::test::Utf8;

std::string TypeName(DWORD type)
{
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_BINARY: return "REG_BINARY";
    default: return "type " + std::to_string(type);
    }
}

std::string ValueText(DWORD type, const std::vector<BYTE>& data)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return Utf8(text);
    }
    if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
        DWORD value = 0;
        std::memcpy(&value, data.data(), sizeof(value));
        char hex[16];
        std::snprintf(hex, sizeof(hex), "0x%08lx", static_cast<unsigned long>(value));
        return hex;
    }
    std::string hex;
    for (BYTE b : data) {
        char pair[4];
        std::snprintf(pair, sizeof(pair), "%02x", b);
        hex += pair;
    }
    return hex;
}

void ListKey(HKEY root, const std::wstring& path, REGSAM view, const std::string& shown, std::vector<std::string>& lines)
{
    rkx::UniqueKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS) return;
    lines.push_back("KEY " + shown);
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameChars = ARRAYSIZE(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key.get(), index, name, &nameChars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        nameChars = ARRAYSIZE(name);
        if (RegEnumValueW(key.get(), index, name, &nameChars, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
        data.resize(size);
        const std::string valueName = nameChars == 0 ? "@" : "\"" + Utf8(name) + "\"";
        lines.push_back("VALUE " + shown + " " + valueName + " " + TypeName(type) + " " + ValueText(type, data));
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameChars = ARRAYSIZE(name);
        if (RegEnumKeyExW(key.get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        ListKey(root, path + L"\\" + name, view, shown + "\\" + Utf8(name), lines);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> lines;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        const size_t colon = argument.find(L':');
        const size_t slash = argument.find(L'\\');
        if (colon == std::wstring::npos || slash == std::wstring::npos || slash < colon) {
            std::fprintf(stderr, "expected VIEW:ROOT\\path, got %s\n", Utf8(argument).c_str());
            return 2;
        }
        const std::wstring view = argument.substr(0, colon);
        const std::wstring rootName = argument.substr(colon + 1, slash - colon - 1);
        const std::wstring path = argument.substr(slash + 1);
        const HKEY root = rootName == L"HKCR" ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
        ListKey(root, path, view == L"32" ? KEY_WOW64_32KEY : KEY_WOW64_64KEY, Utf8(rootName + L"\\" + path), lines);
    }
    std::sort(lines.begin(), lines.end());
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    return 0;
}
