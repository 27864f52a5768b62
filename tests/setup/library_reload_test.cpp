// Loading the library at run time, unloading it and loading it again, as DJ software may do:
// each load must announce and receive through a window of its own.
#include <gtest/gtest.h>

#include <windows.h>

#include "include/rkx_t2_setup.h"
#include "tests/support/build_names.h"

namespace {

int g_heard = -1;

int QVR_CALL OnBoost(int value, QVR_USER_VALUE) { return g_heard = value; }

template <class Fn>
Fn Bind(HMODULE library, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

TEST(LibraryReload, NotificationsWorkAfterUnloadAndReload)
{
    // A user key naming no hive: nothing is stored, only the announcement is exercised.
    constexpr wchar_t kNoHive[] = L"S-1-5-21-3-3-3-3333";
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        HMODULE library = LoadLibraryW(rkx::test::kSetupLibrary);
        ASSERT_NE(library, nullptr) << GetLastError();
        auto registerBoost = Bind<decltype(&QVR_RegisterBoostLevelChangedCallback)>(library, "QVR_RegisterBoostLevelChangedCallback");
        auto setBoost = Bind<decltype(&QVR_SetBoostLevelIndex2)>(library, "QVR_SetBoostLevelIndex2");
        ASSERT_NE(registerBoost, nullptr);
        ASSERT_NE(setBoost, nullptr);
        ASSERT_EQ(registerBoost(QVR_PRODUCT_RKX_T2, OnBoost, 0), 100);
        g_heard = -1;
        EXPECT_EQ(setBoost(QVR_PRODUCT_RKX_T2, round, kNoHive, 1), 100);
        EXPECT_EQ(g_heard, round);
        ASSERT_TRUE(FreeLibrary(library));
        EXPECT_EQ(GetModuleHandleW(rkx::test::kSetupLibrary), nullptr);
    }
}

}  // namespace
