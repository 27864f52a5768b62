#include "setup/warning_text.h"

#include <iterator>

namespace rkx::setup {
namespace {

struct LanguageMap {
    uint32_t key;
    LANGID language;
};

constexpr LanguageMap kPrimaryLanguages[] = {
    {7, 1031}, {10, 3082}, {12, 1036}, {16, 1040}, {17, 1041}, {18, 1042}, {19, 1043}, {22, 2070}, {25, 1049},
};
constexpr LANGID kArgumentLanguages[] = {1033, 1041, 1036, 1031, 1040, 1043, 3082, 1049, 2070, 2052, 1028, 1042};

// Walks one block of 16 counted strings.
std::wstring StringFromBlock(HINSTANCE module, UINT id, LANGID language)
{
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (found == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const auto* entry = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
    if (entry == nullptr) return {};
    const WCHAR* end = entry + SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16; ++i) {
        if (entry >= end) return {};
        entry += 1 + *entry;
    }
    if (entry >= end || entry + 1 + *entry > end) return {};
    return std::wstring(entry + 1, *entry);
}

}  // namespace

LANGID InstalledLanguage(uint32_t installLanguage)
{
    const uint32_t primary = installLanguage & 0x3FF;
    if (primary == 4) return static_cast<LANGID>(installLanguage & 0xFFFF);
    for (const auto& entry : kPrimaryLanguages) {
        if (entry.key == primary) return entry.language;
    }
    return kEnglish;
}

LANGID WarningLanguage(int languageArgument, LANGID installed)
{
    if (languageArgument >= 0 && static_cast<size_t>(languageArgument) < std::size(kArgumentLanguages))
        return kArgumentLanguages[languageArgument];
    return installed;
}

std::wstring LoadModuleString(HINSTANCE module, UINT id, LANGID language)
{
    std::wstring text = StringFromBlock(module, id, language);
    // A Chinese identifier other than the two tables we hold falls back to English.
    if (text.empty() && language != kEnglish) text = StringFromBlock(module, id, kEnglish);
    return text;
}

}  // namespace rkx::setup
