// The COM rules a host relies on: class object results, instance creation, aggregation and
// the counts behind DllCanUnloadNow.
#include <gtest/gtest.h>

#include "driver_module.h"

namespace rkx::asio::test {
namespace {

constexpr CLSID kForeignClassId = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

class ComRules : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.loaded()) << "cannot load " << kDriverFile; }
    DriverModule module;
};

struct ClassObjectCase {
    const char* name;
    const CLSID* classId;
    const IID* iid;
    HRESULT expected;
};

TEST_F(ComRules, ClassObjectAnswersByClassAndInterface)
{
    const ClassObjectCase cases[] = {
        {"driver class, IClassFactory", &kDriverClassId, &IID_IClassFactory, S_OK},
        {"driver class, IUnknown", &kDriverClassId, &IID_IUnknown, S_OK},
        {"driver class, other interface", &kDriverClassId, &IID_IDispatch, E_NOINTERFACE},
        {"foreign class, IClassFactory", &kForeignClassId, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        void* sentinel = reinterpret_cast<void*>(0x1234);
        void* out = sentinel;
        EXPECT_EQ(module.GetClassObject(*c.classId, *c.iid, &out), c.expected);
        if (c.expected == S_OK) {
            ASSERT_NE(out, nullptr);
            static_cast<IUnknown*>(out)->Release();
        } else if (c.expected == E_NOINTERFACE) {
            EXPECT_EQ(out, sentinel) << "the out pointer is left untouched";
        }
    }
}

TEST_F(ComRules, FactoryAnswersItsOwnInterfacesOnly)
{
    IClassFactory* factory = module.Factory();
    ASSERT_NE(factory, nullptr);
    void* out = nullptr;
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, &out), S_OK);
    static_cast<IUnknown*>(out)->Release();
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(nullptr, kDriverClassId, nullptr), E_POINTER);
}

// An aggregating owner that counts what reaches it.
struct CountingOwner : IUnknown {
    LONG addRefs = 0;
    LONG releases = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++addRefs); }
    ULONG STDMETHODCALLTYPE Release() override { return ULONG(++releases); }
};

TEST_F(ComRules, CreationWithAndWithoutOwner)
{
    IClassFactory* factory = module.Factory();
    ASSERT_NE(factory, nullptr);
    CountingOwner owner;
    void* out = nullptr;
    EXPECT_EQ(factory->CreateInstance(&owner, kDriverClassId, &out), E_NOINTERFACE)
        << "an owner may only ask for IUnknown";

    ASSERT_EQ(factory->CreateInstance(nullptr, kDriverClassId, &out), S_OK);
    auto* driver = static_cast<IASIO*>(out);
    char name[32] = {};
    driver->getDriverName(name);
    EXPECT_STREQ(name, rkx::test::kAsioDriverName);
    EXPECT_EQ(driver->getDriverVersion(), 1);
    void* same = nullptr;
    ASSERT_EQ(driver->QueryInterface(kDriverClassId, &same), S_OK);
    EXPECT_EQ(same, driver);
    driver->Release();
    EXPECT_EQ(driver->Release(), 0u);
}

TEST_F(ComRules, AggregatedDriverForwardsItsIUnknownToTheOwner)
{
    IClassFactory* factory = module.Factory();
    ASSERT_NE(factory, nullptr);
    CountingOwner owner;
    void* out = nullptr;
    ASSERT_EQ(factory->CreateInstance(&owner, IID_IUnknown, &out), S_OK);
    // The inner (non-delegating) IUnknown has the IUnknown slot layout.
    auto* inner = static_cast<IUnknown*>(out);
    void* again = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_IUnknown, &again), S_OK);
    EXPECT_EQ(again, inner);
    inner->Release();
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(inner->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    void* asio = nullptr;
    ASSERT_EQ(inner->QueryInterface(kDriverClassId, &asio), S_OK);
    EXPECT_EQ(owner.addRefs, 1) << "the IASIO interface is AddRef'ed through the owner";
    static_cast<IASIO*>(asio)->AddRef();
    static_cast<IASIO*>(asio)->Release();
    static_cast<IASIO*>(asio)->Release();
    EXPECT_EQ(owner.addRefs, 2);
    EXPECT_EQ(owner.releases, 2);
    EXPECT_EQ(inner->Release(), 0u);
}

TEST_F(ComRules, UnloadIsRefusedWhileAnObjectLivesOrTheServerIsLocked)
{
    IClassFactory* factory = module.Factory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
    IASIO* driver = module.CreateDriver();
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    driver->Release();
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
    factory->LockServer(TRUE);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace rkx::asio::test
