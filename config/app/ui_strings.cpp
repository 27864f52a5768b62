#include "app/ui_strings.h"

#include "app/ui_language.h"

#include <cwchar>

namespace config {

std::wstring LoadStringOfLanguage(HMODULE module, LANGID language, UINT id)
{
    // A string block holds 16 entries, each a length followed by that many characters.
    HRSRC block = FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (block == nullptr) return {};
    const DWORD bytes = SizeofResource(module, block);
    HGLOBAL loaded = LoadResource(module, block);
    const auto* data = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (data == nullptr) return {};
    const WCHAR* end = data + bytes / sizeof(WCHAR);
    const WCHAR* entry = data;
    for (UINT skip = id % 16; skip > 0; --skip) {
        if (entry >= end) return {};
        entry += 1 + *entry;
    }
    if (entry >= end) return {};
    const std::size_t length = *entry;
    if (entry + 1 + length > end) return {};
    return std::wstring(entry + 1, length);
}

std::wstring LoadUiString(UINT id)
{
    return LoadStringOfLanguage(GetModuleHandleW(nullptr), StringTableLanguage(ReadInstallLanguage(), id), id);
}

void LoadUiString(UINT id, wchar_t* buffer, std::size_t capacity)
{
    if (buffer == nullptr || capacity == 0) return;
    const std::wstring text = LoadUiString(id);
    const std::size_t count = text.size() < capacity ? text.size() : capacity - 1;
    text.copy(buffer, count);
    buffer[count] = L'\0';
}

std::wstring FormatUiString(UINT id, const wchar_t* argument)
{
    // The texts carry one text placeholder ("%s", "%ws" or "%ls"); it is replaced here rather
    // than by printf, whose reading of %s in wide formats differs between C runtimes.
    std::wstring text = LoadUiString(id);
    for (const wchar_t* placeholder : {L"%ws", L"%ls", L"%s"}) {
        const std::size_t at = text.find(placeholder);
        if (at != std::wstring::npos) {
            text.replace(at, std::wcslen(placeholder), argument ? argument : L"");
            break;
        }
    }
    return text;
}

}  // namespace config
