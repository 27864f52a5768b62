// What the service program carries: its name as string 100, the AppID registration script
// and a type library that loads, names the library and describes nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <cstring>
#include <string>

#include "tests/support/files.h"

namespace {

// The system kind each build's type library declares.
constexpr SYSKIND kSystemKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

std::wstring ServiceProgram()
{
    return rkx::test::OwnFolder() + L"RKX-T2_AutoSetup.exe";
}

class DataModule {
public:
    DataModule() : module_(LoadLibraryExW(ServiceProgram().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule()
    {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;
    HMODULE get() const { return module_; }

    std::string Resource(const wchar_t* type, const wchar_t* name) const
    {
        HRSRC found = FindResourceW(module_, name, type);
        if (found == nullptr) return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(module_, found)) : std::string();
    }

private:
    HMODULE module_;
};

template <typename T>
struct ComRelease {
    T* pointer = nullptr;
    ~ComRelease()
    {
        if (pointer != nullptr) pointer->Release();
    }
};

TEST(AutoSetupResources, NameAndRegistrationScript)
{
    DataModule module;
    ASSERT_NE(module.get(), nullptr) << "cannot load " << std::string(ServiceProgram().begin(), ServiceProgram().end());
    wchar_t name[256] = {};
    ASSERT_GT(LoadStringW(module.get(), 100, name, 256), 0);
    EXPECT_STREQ(name, L"RKX-T2_AutoSetup");

    const std::string script = module.Resource(L"REGISTRY", MAKEINTRESOURCEW(100));
    for (const char* line : {"NoRemove AppID", "'{08803D64-BB70-4C7F-8499-7962A2CB2F94}' = s 'RKX-T2_AutoSetup'",
                             "'RKX-T2_AutoSetup.EXE'", "val AppID = s '{08803D64-BB70-4C7F-8499-7962A2CB2F94}'"}) {
        EXPECT_NE(script.find(line), std::string::npos) << line << "\nin:\n" << script;
    }
}

TEST(AutoSetupResources, TypeLibraryDescribesNothingUnderTheLibraryIdentifier)
{
    ComRelease<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(ServiceProgram().c_str(), REGKIND_NONE, &library.pointer), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library.pointer->GetLibAttr(&attributes), S_OK);
    constexpr GUID kLibraryId = {0x2E97DC3A, 0x27C8, 0x4C67, {0xAF, 0x59, 0x22, 0x02, 0x4B, 0x8E, 0xCF, 0xAE}};
    EXPECT_TRUE(IsEqualGUID(attributes->guid, kLibraryId));
    EXPECT_EQ(attributes->syskind, kSystemKind);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->lcid, 0u);
    library.pointer->ReleaseTLibAttr(attributes);
    EXPECT_EQ(library.pointer->GetTypeInfoCount(), 0u);

    BSTR name = nullptr;
    ASSERT_EQ(library.pointer->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"RKXT2AutoSetupLib");
    SysFreeString(name);
}

TEST(AutoSetupResources, TypeLibraryNameCarriesTheSystemNameHash)
{
    DataModule module;
    const std::string library = module.Resource(L"TYPELIB", MAKEINTRESOURCEW(1));
    constexpr size_t kNameEntry = 0x3DC;
    ASSERT_GE(library.size(), kNameEntry + 12);
    DWORD lengthAndHash = 0;
    std::memcpy(&lengthAndHash, library.data() + kNameEntry + 8, sizeof(lengthAndHash));
    EXPECT_EQ(lengthAndHash & 0xFF, 17u);
    const ULONG hash = LHashValOfNameSys(kSystemKind, 0, const_cast<wchar_t*>(L"RKXT2AutoSetupLib"));
    EXPECT_EQ(lengthAndHash >> 16, hash & 0xFFFF);
}

}  // namespace
