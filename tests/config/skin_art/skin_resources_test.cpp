// The skin images as the utility finds them: resources of type "IMAGE" in its own module,
// looked up by name in whatever case the dialog happens to use.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

namespace {

struct CatalogueEntry {
    const wchar_t* name;
    int width;
    int height;
};

constexpr CatalogueEntry kCatalogue[] = {
#include "skin_catalogue.inc"
};

struct Blob {
    const std::uint8_t* data = nullptr;
    DWORD size = 0;
};

Blob FindImage(const std::wstring& name, const wchar_t* type) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(self, name.c_str(), type);
    if (info == nullptr) return {};
    HGLOBAL loaded = LoadResource(self, info);
    if (loaded == nullptr) return {};
    return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(self, info)};
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// "tab_L-end_off": upper case for the first half, lower case after it.
std::wstring Mixed(std::wstring text) {
    for (size_t i = text.size() / 2; i < text.size(); ++i) text[i] = static_cast<wchar_t>(std::towlower(text[i]));
    return text;
}

BOOL CALLBACK CountName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

}  // namespace

TEST(SkinResources, EveryImageIsFoundInAnyCaseAndHasItsCatalogueSize) {
    for (const auto& entry : kCatalogue) {
        SCOPED_TRACE(testing::Message() << "image " << std::string(entry.name, entry.name + wcslen(entry.name)));
        for (const auto& name : {std::wstring(entry.name), Lower(entry.name), Mixed(entry.name)}) {
            Blob blob = FindImage(name, L"IMAGE");
            ASSERT_NE(blob.data, nullptr);
            ASSERT_GE(blob.size, 33u);
            static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
            EXPECT_EQ(memcmp(blob.data, signature, sizeof signature), 0);
            EXPECT_EQ(BigEndian32(blob.data + 16), static_cast<std::uint32_t>(entry.width));
            EXPECT_EQ(BigEndian32(blob.data + 20), static_cast<std::uint32_t>(entry.height));
        }
        // The type name is looked up without regard to case as well.
        EXPECT_NE(FindImage(Lower(entry.name), L"image").data, nullptr);
    }
}

TEST(SkinResources, NoImageBeyondTheCatalogue) {
    int count = 0;
    EnumResourceNamesW(GetModuleHandleW(nullptr), L"IMAGE", CountName, reinterpret_cast<LONG_PTR>(&count));
    EXPECT_EQ(count, static_cast<int>(std::size(kCatalogue)));
}

TEST(SkinResources, UnknownNamesAreNotFound) {
    EXPECT_EQ(FindImage(L"TAB_L-END", L"IMAGE").data, nullptr);
    EXPECT_EQ(FindImage(L"LOGO", L"PNG").data, nullptr);
}
