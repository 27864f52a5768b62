// The run-time binding of the setup library: unbound forwarders answer 102, a loaded library
// fills every slot it exports.
#include "app/setup_binding.h"
#include "tests/support/build_names.h"

#include <gtest/gtest.h>

namespace {

TEST(SetupBinding, ForwardersAnswerFailureUntilBoundAndFollowTheLibraryAfter)
{
    // Runs as one test: the binding is process-wide and a loaded library stays loaded.
    int product = -1;
    EXPECT_EQ(setup::QVR_GetProductId(L"RKX-T2", &product), 102);
    EXPECT_EQ(product, -1);
    EXPECT_EQ(setup::QVR_IsUSBConnection(11), 102);
    int level = -2;
    EXPECT_EQ(setup::QVR_GetMixerCertifyLevel(11, &level), 102);
    EXPECT_EQ(setup::QVR_UnregisterMidiChannelChangedCallback(11), 102);

    EXPECT_EQ(config::BindSetupLibraryFrom(L"RKX-T2_NoSuchLibrary.dll"), 2);
    EXPECT_EQ(config::BoundSetupSlotCount(), 0);
    EXPECT_EQ(setup::QVR_IsUSBConnection(11), 102);

    ASSERT_EQ(config::BindSetupLibraryFrom(rkx::test::kSetupLibrary), 0);
    EXPECT_EQ(config::BoundSetupSlotCount(), config::kSetupSlotCount);
    EXPECT_EQ(setup::QVR_GetProductId(L"RKX-T2", &product), 100);
    EXPECT_EQ(product, 11);
    const int connection = setup::QVR_IsUSBConnection(product);
    EXPECT_TRUE(connection == 103 || connection == 104) << connection;
    int count = 0;
    EXPECT_EQ(setup::QVR_GetNumOfBoostLevelIndex(product, &count), 100);
    EXPECT_GT(count, 0);
}

TEST(SetupBinding, SlotNamesAreTheFortyFourExportsInOrder)
{
    EXPECT_STREQ(config::kSetupSlotNames[0], "QVR_GetProductId");
    EXPECT_STREQ(config::kSetupSlotNames[8], "QVR_IsUSBConnection");
    EXPECT_STREQ(config::kSetupSlotNames[config::kSetupSlotCount - 1], "QVR_UnregisterMidiKeyModeChangedCallback");
    for (int i = 0; i < config::kSetupSlotCount; ++i)
        for (int j = i + 1; j < config::kSetupSlotCount; ++j)
            EXPECT_STRNE(config::kSetupSlotNames[i], config::kSetupSlotNames[j]);
}

}  // namespace
