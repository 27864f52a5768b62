// The setup library's 54 exports as a 32-bit caller reaches them: found by plain name, called
// as __stdcall (the callee removes its arguments), each with the argument count the library's
// interface gives it. A wrong product identifier makes every call a refusal that touches
// nothing, so only the boundary itself is exercised.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "checked_call.h"

namespace rkx::abi_test {
namespace {

struct Export {
    const char* name;
    uint32_t words;   // 32-bit argument words, product identifier included
    uint32_t refusal; // the answer to a wrong product identifier and null outputs
};

// Argument lists of the library's interface: product identifier first (except
// QVR_GetProductId), then the arguments of each family; a callback's user value is one word.
constexpr Export kExports[] = {
    {"QVR_GetProductId", 2, 102},
    {"QVR_IsUSBConnection", 1, 104},
    {"QVR_GetNumOfInputAudioIndex", 3, 102},
    {"QVR_GetUSBInputAudioText", 5, 102},
    {"QVR_GetCurrentUSBInputAudioIndex", 3, 102},
    {"QVR_GetCurrentUSBInputAudioIndex2", 4, 102},
    {"QVR_SetUSBInputAudio", 3, 102},
    {"QVR_SetUSBInputAudio2", 5, 102},
    {"QVR_SetUSBInputAudioDirect", 4, 102},
    {"QVR_GetWarningTextForSetUSBAudioInput", 6, 102},
    {"QVR_GetNumOfOutputAudioIndex", 3, 102},
    {"QVR_GetUSBOutputAudioText", 5, 102},
    {"QVR_GetCurrentUSBOutputAudioIndex", 3, 102},
    {"QVR_GetCurrentUSBOutputAudioIndex2", 4, 102},
    {"QVR_SetUSBOutputAudio", 3, 102},
    {"QVR_SetUSBOutputAudio2", 5, 102},
    {"QVR_SetUSBOutputAudioDefault", 2, 102},
    {"QVR_GetNumOfBoostLevelIndex", 2, 102},
    {"QVR_GetBoostLevelText", 4, 102},
    {"QVR_GetCurrentBoostLevelIndex", 2, 102},
    {"QVR_GetCurrentBoostLevelIndex2", 3, 102},
    {"QVR_SetBoostLevelIndex", 2, 102},
    {"QVR_SetBoostLevelIndex2", 4, 102},
    {"QVR_GetNumOfMidiChannelIndex", 2, 102},
    {"QVR_GetMidiChannelText", 4, 102},
    {"QVR_GetCurrentMidiChannelIndex", 2, 102},
    {"QVR_GetCurrentMidiChannelIndex2", 3, 102},
    {"QVR_SetMidiChannelIndex", 2, 102},
    {"QVR_SetMidiChannelIndex2", 4, 102},
    {"QVR_GetNumOfMidiKeyModeIndex", 2, 102},
    {"QVR_GetMidiKeyModeText", 4, 102},
    {"QVR_GetCurrentMidiKeyModeIndex", 2, 102},
    {"QVR_GetCurrentMidiKeyModeIndex2", 3, 102},
    {"QVR_SetMidiKeyModeIndex", 2, 102},
    {"QVR_SetMidiKeyModeIndex2", 4, 102},
    {"QVR_GetDriverVersionText", 2, 102},
    {"QVR_GetUtilityVersionText", 2, 102},
    {"QVR_GetLibraryVersionText", 2, 102},
    {"QVR_GetInstallerVersionText", 2, 102},
    {"QVR_GetFirmwareVersion", 3, 102},
    {"QVR_GetMixerCertifyLevel", 2, 102},
    {"QVR_GetPortInfo", 2, 102},
    {"QVR_GetMixerInputSelectorStatus", 3, 102},
    {"QVR_GetMixerVantorActiveStatus", 2, 102},
    {"QVR_RegisterInputAudioChangedCallback", 3, 102},
    {"QVR_RegisterOutputAudioChangedCallback", 3, 102},
    {"QVR_RegisterBoostLevelChangedCallback", 3, 102},
    {"QVR_UnregisterInputAudioChangedCallback", 1, 102},
    {"QVR_UnregisterOutputAudioChangedCallback", 1, 102},
    {"QVR_UnregisterBoostLevelChangedCallback", 1, 102},
    {"QVR_RegisterMidiChannelChangedCallback", 3, 102},
    {"QVR_UnregisterMidiChannelChangedCallback", 1, 102},
    {"QVR_RegisterMidiKeyModeChangedCallback", 3, 102},
    {"QVR_UnregisterMidiKeyModeChangedCallback", 1, 102},
};
static_assert(sizeof kExports / sizeof kExports[0] == 54);

TEST(SetupExportConventions, EveryExportIsStdcallWithItsArgumentCount)
{
    HMODULE library = LoadLibraryW(L"RKX-T2_Setup.dll");
    ASSERT_NE(library, nullptr) << GetLastError();
    for (const Export& entry : kExports) {
        SCOPED_TRACE(entry.name);
        const void* function = reinterpret_cast<const void*>(GetProcAddress(library, entry.name));
        ASSERT_NE(function, nullptr) << "not exported by its plain name";
        // Product identifier 0 (no such product), every other word 0 (null outputs, index 0).
        const CallOutcome outcome = CallStdcall(function, std::vector<uint32_t>(entry.words, 0));
        EXPECT_EQ(outcome.popped, 4 * entry.words) << "the callee must remove exactly its arguments";
        EXPECT_EQ(outcome.result, entry.refusal);
    }
    FreeLibrary(library);
}

// A callback the library calls is __stdcall too, with the caller's user value intact: a
// notification from a setter with the notify flag arrives through the window of this process.
int g_value = -1;
intptr_t g_user = 0;
int __stdcall OnBoostLevel(int value, intptr_t user)
{
    g_value = value;
    g_user = user;
    return 0;
}

TEST(SetupExportConventions, CallbacksAreCalledAsStdcallWithTheUserValue)
{
    HMODULE library = LoadLibraryW(L"RKX-T2_Setup.dll");
    ASSERT_NE(library, nullptr) << GetLastError();
    const auto bind = [&](const char* name) { return reinterpret_cast<const void*>(GetProcAddress(library, name)); };
    const void* registerBoost = bind("QVR_RegisterBoostLevelChangedCallback");
    const void* setBoost = bind("QVR_SetBoostLevelIndex2");
    const void* unregisterBoost = bind("QVR_UnregisterBoostLevelChangedCallback");
    ASSERT_TRUE(registerBoost && setBoost && unregisterBoost);
    constexpr uint32_t kUser = 0x5EED1234;
    ASSERT_EQ(CallStdcall(registerBoost, {11, Word(reinterpret_cast<const void*>(&OnBoostLevel)), kUser}).result, 100u);
    // A user key naming no hive: nothing is stored, only the announcement goes out.
    static const wchar_t kNoHive[] = L"S-1-5-21-3-3-3-3333";
    for (uint32_t level : {2u, 1u}) {
        SCOPED_TRACE(level);
        const CallOutcome set = CallStdcall(setBoost, {11, level, Word(kNoHive), 1});
        EXPECT_EQ(set.result, 100u);
        EXPECT_EQ(set.popped, 16u);
        EXPECT_EQ(g_value, int(level));
        EXPECT_EQ(uint32_t(g_user), kUser);
    }
    EXPECT_EQ(CallStdcall(unregisterBoost, {11}).result, 100u);
    FreeLibrary(library);
}

}  // namespace
}  // namespace rkx::abi_test
