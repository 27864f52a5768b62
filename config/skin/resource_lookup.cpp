#include "skin/resource_lookup.h"

#include <cwctype>

namespace skin {

namespace {

constexpr DWORD kHighBit = 0x80000000;

bool SameNameIgnoringCase(const IMAGE_RESOURCE_DIR_STRING_U* stored, const wchar_t* name)
{
    size_t i = 0;
    for (; i < stored->Length; ++i) {
        if (name[i] == L'\0') return false;
        if (towupper(stored->NameString[i]) != towupper(name[i])) return false;
    }
    return name[i] == L'\0';
}

// The entry of `directory` whose name matches, or null. Only named entries are searched.
const IMAGE_RESOURCE_DIRECTORY_ENTRY* FindNamedEntry(const BYTE* root, const IMAGE_RESOURCE_DIRECTORY* directory,
                                                     const wchar_t* name)
{
    const auto* entries = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY_ENTRY*>(directory + 1);
    for (WORD i = 0; i < directory->NumberOfNamedEntries; ++i) {
        const DWORD nameField = entries[i].Name;
        if ((nameField & kHighBit) == 0) continue;
        const auto* stored = reinterpret_cast<const IMAGE_RESOURCE_DIR_STRING_U*>(root + (nameField & ~kHighBit));
        if (SameNameIgnoringCase(stored, name)) return &entries[i];
    }
    return nullptr;
}

const IMAGE_RESOURCE_DIRECTORY* SubdirectoryOf(const BYTE* root, const IMAGE_RESOURCE_DIRECTORY_ENTRY* entry)
{
    if (entry == nullptr || (entry->OffsetToData & kHighBit) == 0) return nullptr;
    return reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY*>(root + (entry->OffsetToData & ~kHighBit));
}

bool WalkResourceDirectory(HMODULE module, const wchar_t* type, const wchar_t* name, ResourceBytes& bytes)
{
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return false;
    const IMAGE_DATA_DIRECTORY& resources = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE];
    if (resources.VirtualAddress == 0 || resources.Size == 0) return false;
    const BYTE* root = base + resources.VirtualAddress;

    const auto* types = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY*>(root);
    const IMAGE_RESOURCE_DIRECTORY* names = SubdirectoryOf(root, FindNamedEntry(root, types, type));
    if (names == nullptr) return false;
    const IMAGE_RESOURCE_DIRECTORY* languages = SubdirectoryOf(root, FindNamedEntry(root, names, name));
    if (languages == nullptr || languages->NumberOfNamedEntries + languages->NumberOfIdEntries == 0) return false;
    // The first language is as good as any: images are language-neutral.
    const auto* first = reinterpret_cast<const IMAGE_RESOURCE_DIRECTORY_ENTRY*>(languages + 1);
    if ((first->OffsetToData & kHighBit) != 0) return false;
    const auto* data = reinterpret_cast<const IMAGE_RESOURCE_DATA_ENTRY*>(root + first->OffsetToData);
    bytes.data = base + data->OffsetToData;
    bytes.size = data->Size;
    return bytes.size != 0;
}

}  // namespace

bool FindNamedResource(HMODULE module, const wchar_t* type, const wchar_t* name, ResourceBytes& bytes)
{
    bytes = {};
    if (module == nullptr || type == nullptr || name == nullptr) return false;
    if (HRSRC found = FindResourceW(module, name, type)) {
        const DWORD size = SizeofResource(module, found);
        HGLOBAL loaded = size != 0 ? LoadResource(module, found) : nullptr;
        const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
        if (data == nullptr) return false;
        bytes = {data, size};
        return true;
    }
    return WalkResourceDirectory(module, type, name, bytes);
}

}  // namespace skin
