#include "tests/config/string_tables/string_table_reader.h"

namespace strings_test {
namespace {

constexpr UINT kEntriesPerBlock = 16;
const LPCWSTR kStringType = MAKEINTRESOURCEW(6);  // RT_STRING, whatever UNICODE says

// Walks one RT_STRING block: 16 counted UTF-16 entries in a row.
std::vector<std::wstring> ReadBlock(HRSRC resource)
{
    std::vector<std::wstring> entries;
    HMODULE module = GetModuleHandleW(nullptr);
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* data = static_cast<const WCHAR*>(LockResource(loaded));
    if (data == nullptr) return entries;
    const WCHAR* end = data + SizeofResource(module, resource) / sizeof(WCHAR);
    for (UINT i = 0; i < kEntriesPerBlock && data < end; ++i) {
        const size_t length = *data++;
        if (data + length > end) break;
        entries.emplace_back(data, length);
        data += length;
    }
    entries.resize(kEntriesPerBlock);
    return entries;
}

struct Enumeration {
    std::map<LANGID, std::map<UINT, std::wstring>> strings;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language,
                         LONG_PTR context)
{
    auto* found = reinterpret_cast<Enumeration*>(context);
    if (!IS_INTRESOURCE(name)) return TRUE;
    HRSRC resource = FindResourceExW(module, type, name, language);
    if (resource == nullptr) return TRUE;
    const UINT first = (static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)) - 1) * kEntriesPerBlock;
    const std::vector<std::wstring> entries = ReadBlock(resource);
    for (UINT i = 0; i < entries.size(); ++i) {
        if (!entries[i].empty()) found->strings[language][first + i] = entries[i];
    }
    return TRUE;
}

BOOL CALLBACK OnBlock(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context)
{
    EnumResourceLanguagesW(module, type, name, OnLanguage, context);
    return TRUE;
}

}  // namespace

std::optional<std::wstring> FindTableString(LANGID language, UINT id)
{
    const auto block = static_cast<WORD>(id / kEntriesPerBlock + 1);
    HRSRC resource = FindResourceExW(GetModuleHandleW(nullptr), kStringType,
                                     MAKEINTRESOURCEW(block), language);
    if (resource == nullptr) return std::nullopt;
    return ReadBlock(resource)[id % kEntriesPerBlock];
}

std::map<LANGID, std::map<UINT, std::wstring>> AllTableStrings()
{
    Enumeration found;
    EnumResourceNamesW(GetModuleHandleW(nullptr), kStringType, OnBlock,
                       reinterpret_cast<LONG_PTR>(&found));
    return found.strings;
}

}  // namespace strings_test
