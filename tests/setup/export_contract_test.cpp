// What every export promises at its edge: the product identifier, null outputs, ranges and
// the placeholder values of unavailable answers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

using ExportContract = SetupTest;

struct Call {
    const char* name;
    std::function<int(int product)> run;
};

int QVR_CALL AudioCallback(int, int, QVR_USER_VALUE) { return 0; }
int QVR_CALL ValueCallback(int, QVR_USER_VALUE) { return 0; }

// Every export that takes a product identifier, with otherwise valid arguments.
std::vector<Call> EveryExportWithProduct()
{
    static int out;
    static const wchar_t* text;
    return {
        {"GetNumOfInputAudioIndex", [](int p) { return QVR_GetNumOfInputAudioIndex(p, 0, &out); }},
        {"GetUSBInputAudioText", [](int p) { return QVR_GetUSBInputAudioText(p, 0, 0, 99, &text); }},
        {"GetCurrentUSBInputAudioIndex", [](int p) { return QVR_GetCurrentUSBInputAudioIndex(p, 0, &out); }},
        {"GetCurrentUSBInputAudioIndex2", [](int p) { return QVR_GetCurrentUSBInputAudioIndex2(p, 0, &out, nullptr); }},
        {"SetUSBInputAudio", [](int p) { return QVR_SetUSBInputAudio(p, 0, 2); }},
        {"SetUSBInputAudio2", [](int p) { return QVR_SetUSBInputAudio2(p, 0, 2, nullptr, 1); }},
        {"SetUSBInputAudioDirect", [](int p) { return QVR_SetUSBInputAudioDirect(p, 0, 0, 3); }},
        {"GetWarningTextForSetUSBAudioInput", [](int p) { return QVR_GetWarningTextForSetUSBAudioInput(p, 0, 101, 0, &text, 0); }},
        {"GetNumOfOutputAudioIndex", [](int p) { return QVR_GetNumOfOutputAudioIndex(p, 0, &out); }},
        {"GetUSBOutputAudioText", [](int p) { return QVR_GetUSBOutputAudioText(p, 0, 0, 99, &text); }},
        {"GetCurrentUSBOutputAudioIndex", [](int p) { return QVR_GetCurrentUSBOutputAudioIndex(p, 0, &out); }},
        {"GetCurrentUSBOutputAudioIndex2", [](int p) { return QVR_GetCurrentUSBOutputAudioIndex2(p, 0, &out, nullptr); }},
        {"SetUSBOutputAudio", [](int p) { return QVR_SetUSBOutputAudio(p, 0, 1); }},
        {"SetUSBOutputAudio2", [](int p) { return QVR_SetUSBOutputAudio2(p, 0, 1, nullptr, 1); }},
        {"SetUSBOutputAudioDefault", [](int p) { return QVR_SetUSBOutputAudioDefault(p, 0); }},
        {"GetNumOfBoostLevelIndex", [](int p) { return QVR_GetNumOfBoostLevelIndex(p, &out); }},
        {"GetBoostLevelText", [](int p) { return QVR_GetBoostLevelText(p, 0, 99, &text); }},
        {"GetCurrentBoostLevelIndex", [](int p) { return QVR_GetCurrentBoostLevelIndex(p, &out); }},
        {"GetCurrentBoostLevelIndex2", [](int p) { return QVR_GetCurrentBoostLevelIndex2(p, &out, nullptr); }},
        {"SetBoostLevelIndex", [](int p) { return QVR_SetBoostLevelIndex(p, 1); }},
        {"SetBoostLevelIndex2", [](int p) { return QVR_SetBoostLevelIndex2(p, 1, nullptr, 1); }},
        {"GetDriverVersionText", [](int p) { return QVR_GetDriverVersionText(p, &text); }},
        {"GetUtilityVersionText", [](int p) { return QVR_GetUtilityVersionText(p, &text); }},
        {"GetLibraryVersionText", [](int p) { return QVR_GetLibraryVersionText(p, &text); }},
        {"GetInstallerVersionText", [](int p) { return QVR_GetInstallerVersionText(p, &text); }},
        {"GetFirmwareVersion", [](int p) { return QVR_GetFirmwareVersion(p, 0, &out); }},
        {"GetMixerCertifyLevel", [](int p) { return QVR_GetMixerCertifyLevel(p, &out); }},
        {"GetPortInfo", [](int p) { return QVR_GetPortInfo(p, &out); }},
        {"GetMixerInputSelectorStatus", [](int p) { return QVR_GetMixerInputSelectorStatus(p, 0, &out); }},
        {"GetMixerVantorActiveStatus", [](int p) { return QVR_GetMixerVantorActiveStatus(p, &out); }},
        {"RegisterInputAudioChangedCallback", [](int p) { return QVR_RegisterInputAudioChangedCallback(p, AudioCallback, 0); }},
        {"RegisterOutputAudioChangedCallback", [](int p) { return QVR_RegisterOutputAudioChangedCallback(p, AudioCallback, 0); }},
        {"RegisterBoostLevelChangedCallback", [](int p) { return QVR_RegisterBoostLevelChangedCallback(p, ValueCallback, 0); }},
        {"UnregisterInputAudioChangedCallback", [](int p) { return QVR_UnregisterInputAudioChangedCallback(p); }},
        {"UnregisterOutputAudioChangedCallback", [](int p) { return QVR_UnregisterOutputAudioChangedCallback(p); }},
        {"UnregisterBoostLevelChangedCallback", [](int p) { return QVR_UnregisterBoostLevelChangedCallback(p); }},
    };
}

std::vector<Call> MidiExports()
{
    static int out = 42;
    static const wchar_t* text;
    return {
        {"GetNumOfMidiChannelIndex", [](int p) { return QVR_GetNumOfMidiChannelIndex(p, &out); }},
        {"GetMidiChannelText", [](int p) { return QVR_GetMidiChannelText(p, 0, 99, &text); }},
        {"GetCurrentMidiChannelIndex", [](int p) { return QVR_GetCurrentMidiChannelIndex(p, &out); }},
        {"GetCurrentMidiChannelIndex2", [](int p) { return QVR_GetCurrentMidiChannelIndex2(p, &out, nullptr); }},
        {"SetMidiChannelIndex", [](int p) { return QVR_SetMidiChannelIndex(p, 0); }},
        {"SetMidiChannelIndex2", [](int p) { return QVR_SetMidiChannelIndex2(p, 0, nullptr, 1); }},
        {"GetNumOfMidiKeyModeIndex", [](int p) { return QVR_GetNumOfMidiKeyModeIndex(p, &out); }},
        {"GetMidiKeyModeText", [](int p) { return QVR_GetMidiKeyModeText(p, 0, 99, &text); }},
        {"GetCurrentMidiKeyModeIndex", [](int p) { return QVR_GetCurrentMidiKeyModeIndex(p, &out); }},
        {"GetCurrentMidiKeyModeIndex2", [](int p) { return QVR_GetCurrentMidiKeyModeIndex2(p, &out, nullptr); }},
        {"SetMidiKeyModeIndex", [](int p) { return QVR_SetMidiKeyModeIndex(p, 0); }},
        {"SetMidiKeyModeIndex2", [](int p) { return QVR_SetMidiKeyModeIndex2(p, 0, nullptr, 1); }},
        {"RegisterMidiChannelChangedCallback", [](int p) { return QVR_RegisterMidiChannelChangedCallback(p, ValueCallback, 0); }},
        {"UnregisterMidiChannelChangedCallback", [](int p) { return QVR_UnregisterMidiChannelChangedCallback(p); }},
        {"RegisterMidiKeyModeChangedCallback", [](int p) { return QVR_RegisterMidiKeyModeChangedCallback(p, ValueCallback, 0); }},
        {"UnregisterMidiKeyModeChangedCallback", [](int p) { return QVR_UnregisterMidiKeyModeChangedCallback(p); }},
    };
}

TEST_F(ExportContract, WrongProductIdentifierIsRefusedAndNothingReachesMixerOrRegistry)
{
    ASSERT_TRUE(rig.ClearStats());
    for (int product : {10, 12, 0, -11}) {
        for (const auto& call : EveryExportWithProduct()) EXPECT_EQ(call.run(product), 102) << call.name << " " << product;
        EXPECT_EQ(QVR_IsUSBConnection(product), 104) << product;
    }
    auto journal = std::make_unique<VmixJournal>();
    ASSERT_TRUE(rig.GetJournal(*journal));
    EXPECT_EQ(journal->count, 0u);
    EXPECT_FALSE(SettingsKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

TEST_F(ExportContract, MidiFamiliesAnswer102EvenForOurProductAndWriteNothing)
{
    for (const auto& call : MidiExports()) EXPECT_EQ(call.run(kProduct), 102) << call.name;
    int out = 42;
    EXPECT_EQ(QVR_GetCurrentMidiChannelIndex(kProduct, &out), 102);
    EXPECT_EQ(out, 42);
    EXPECT_FALSE(SettingsKeyExists(HKEY_CURRENT_USER, kSettingsPath));
}

TEST_F(ExportContract, NullOutputsGive102)
{
    const struct {
        const char* name;
        int result;
    } kCases[] = {
        {"GetProductId name", QVR_GetProductId(nullptr, nullptr)},
        {"GetNumOfInputAudioIndex", QVR_GetNumOfInputAudioIndex(kProduct, 0, nullptr)},
        {"GetUSBInputAudioText", QVR_GetUSBInputAudioText(kProduct, 0, 0, 99, nullptr)},
        {"GetCurrentUSBInputAudioIndex", QVR_GetCurrentUSBInputAudioIndex(kProduct, 0, nullptr)},
        {"GetCurrentUSBInputAudioIndex2", QVR_GetCurrentUSBInputAudioIndex2(kProduct, 0, nullptr, nullptr)},
        {"GetWarningTextForSetUSBAudioInput", QVR_GetWarningTextForSetUSBAudioInput(kProduct, 0, 101, 0, nullptr, 0)},
        {"GetNumOfOutputAudioIndex", QVR_GetNumOfOutputAudioIndex(kProduct, 0, nullptr)},
        {"GetUSBOutputAudioText", QVR_GetUSBOutputAudioText(kProduct, 0, 0, 99, nullptr)},
        {"GetCurrentUSBOutputAudioIndex", QVR_GetCurrentUSBOutputAudioIndex(kProduct, 0, nullptr)},
        {"GetCurrentUSBOutputAudioIndex2", QVR_GetCurrentUSBOutputAudioIndex2(kProduct, 0, nullptr, nullptr)},
        {"GetNumOfBoostLevelIndex", QVR_GetNumOfBoostLevelIndex(kProduct, nullptr)},
        {"GetBoostLevelText", QVR_GetBoostLevelText(kProduct, 0, 99, nullptr)},
        {"GetCurrentBoostLevelIndex", QVR_GetCurrentBoostLevelIndex(kProduct, nullptr)},
        {"GetCurrentBoostLevelIndex2", QVR_GetCurrentBoostLevelIndex2(kProduct, nullptr, nullptr)},
        {"GetDriverVersionText", QVR_GetDriverVersionText(kProduct, nullptr)},
        {"GetUtilityVersionText", QVR_GetUtilityVersionText(kProduct, nullptr)},
        {"GetLibraryVersionText", QVR_GetLibraryVersionText(kProduct, nullptr)},
        {"GetInstallerVersionText", QVR_GetInstallerVersionText(kProduct, nullptr)},
        {"GetFirmwareVersion", QVR_GetFirmwareVersion(kProduct, 0, nullptr)},
        {"GetMixerCertifyLevel", QVR_GetMixerCertifyLevel(kProduct, nullptr)},
        {"GetPortInfo", QVR_GetPortInfo(kProduct, nullptr)},
        {"GetMixerInputSelectorStatus", QVR_GetMixerInputSelectorStatus(kProduct, 0, nullptr)},
        {"GetMixerVantorActiveStatus", QVR_GetMixerVantorActiveStatus(kProduct, nullptr)},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.result, 102) << c.name;
    int id = 0;
    EXPECT_EQ(QVR_GetProductId(nullptr, &id), 102);
    EXPECT_EQ(QVR_GetProductId(L"RKX-T2", nullptr), 102);
}

TEST_F(ExportContract, ModelNameIsFoundCaseInsensitivelyWithinTheFirst255Characters)
{
    const std::wstring longPrefix(250, L'x');
    const struct {
        std::wstring name;
        int result;
    } kCases[] = {
        {L"RKX-T2", 100},
        {L"rkx-t2 mixer with extras", 100},
        {L"Korvane Rkx-T2", 100},
        {L"RKX T2", 102},
        {L"RKX-T", 102},
        {L"", 102},
        {longPrefix + L"RKX-T2", 102},               // ends at character 256
        {std::wstring(249, L'x') + L"RKX-T2", 100},  // ends at character 255
        {std::wstring(100000, L'y') + L"RKX-T2", 102},
    };
    for (const auto& c : kCases) {
        int id = -5;
        const int expected = c.result;
        EXPECT_EQ(QVR_GetProductId(c.name.c_str(), &id), expected) << (&c - kCases);
        EXPECT_EQ(id, expected == 100 ? 11 : -5) << (&c - kCases);
    }
}

TEST_F(ExportContract, RangeEdgesAcceptTheLastValueAndRefuseTheNext)
{
    int out = 0;
    const wchar_t* text = nullptr;
    const struct {
        const char* name;
        std::function<int()> run;
        int result;
    } kCases[] = {
        {"input count ch2", [&] { return QVR_GetNumOfInputAudioIndex(kProduct, 2, &out); }, 100},
        {"input count ch3", [&] { return QVR_GetNumOfInputAudioIndex(kProduct, 3, &out); }, 102},
        {"input count ch-1", [&] { return QVR_GetNumOfInputAudioIndex(kProduct, -1, &out); }, 102},
        {"input text ch3 idx7", [&] { return QVR_GetUSBInputAudioText(kProduct, 3, 7, 99, &text); }, 100},
        {"input text ch4", [&] { return QVR_GetUSBInputAudioText(kProduct, 4, 0, 99, &text); }, 102},
        {"input text idx8", [&] { return QVR_GetUSBInputAudioText(kProduct, 0, 8, 99, &text); }, 102},
        {"input text idx-1", [&] { return QVR_GetUSBInputAudioText(kProduct, 0, -1, 99, &text); }, 102},
        {"input current ch3", [&] { return QVR_GetCurrentUSBInputAudioIndex(kProduct, 3, &out); }, 100},
        {"input current ch4", [&] { return QVR_GetCurrentUSBInputAudioIndex(kProduct, 4, &out); }, 102},
        {"input set ch2 idx7", [&] { return QVR_SetUSBInputAudio2(kProduct, 2, 7, nullptr, 0); }, 100},
        {"input set ch3", [&] { return QVR_SetUSBInputAudio2(kProduct, 3, 2, nullptr, 0); }, 102},
        {"input set idx8", [&] { return QVR_SetUSBInputAudio2(kProduct, 0, 8, nullptr, 0); }, 102},
        {"direct ch3 mode24", [&] { return QVR_SetUSBInputAudioDirect(kProduct, 3, -7, 24); }, 100},
        {"direct ch4", [&] { return QVR_SetUSBInputAudioDirect(kProduct, 4, 0, 3); }, 102},
        {"direct mode25", [&] { return QVR_SetUSBInputAudioDirect(kProduct, 0, 0, 25); }, 102},
        {"direct mode-1", [&] { return QVR_SetUSBInputAudioDirect(kProduct, 0, 0, -1); }, 102},
        {"warning ch3 sel2", [&] { return QVR_GetWarningTextForSetUSBAudioInput(kProduct, 3, 101, 0, &text, 2); }, 100},
        {"warning ch4", [&] { return QVR_GetWarningTextForSetUSBAudioInput(kProduct, 4, 101, 0, &text, 0); }, 102},
        {"warning code100", [&] { return QVR_GetWarningTextForSetUSBAudioInput(kProduct, 0, 100, 0, &text, 0); }, 102},
        {"warning sel3", [&] { return QVR_GetWarningTextForSetUSBAudioInput(kProduct, 0, 101, 0, &text, 3); }, 102},
        {"output count ch2", [&] { return QVR_GetNumOfOutputAudioIndex(kProduct, 2, &out); }, 100},
        {"output count ch3", [&] { return QVR_GetNumOfOutputAudioIndex(kProduct, 3, &out); }, 102},
        {"output text ch3 idx2", [&] { return QVR_GetUSBOutputAudioText(kProduct, 3, 2, 99, &text); }, 100},
        {"output text ch4", [&] { return QVR_GetUSBOutputAudioText(kProduct, 4, 0, 99, &text); }, 102},
        {"output text idx3", [&] { return QVR_GetUSBOutputAudioText(kProduct, 0, 3, 99, &text); }, 102},
        {"output current ch3", [&] { return QVR_GetCurrentUSBOutputAudioIndex(kProduct, 3, &out); }, 100},
        {"output current ch4", [&] { return QVR_GetCurrentUSBOutputAudioIndex(kProduct, 4, &out); }, 102},
        {"output current ch-1 (signed)", [&] { return QVR_GetCurrentUSBOutputAudioIndex(kProduct, -1, &out); }, 100},
        {"output set ch2 idx2", [&] { return QVR_SetUSBOutputAudio2(kProduct, 2, 2, nullptr, 0); }, 100},
        {"output set ch3", [&] { return QVR_SetUSBOutputAudio2(kProduct, 3, 0, nullptr, 0); }, 102},
        {"output set idx3", [&] { return QVR_SetUSBOutputAudio2(kProduct, 0, 3, nullptr, 0); }, 102},
        {"output default ch2", [&] { return QVR_SetUSBOutputAudioDefault(kProduct, 2); }, 100},
        {"output default ch3", [&] { return QVR_SetUSBOutputAudioDefault(kProduct, 3); }, 102},
        {"boost text idx3", [&] { return QVR_GetBoostLevelText(kProduct, 3, 99, &text); }, 100},
        {"boost text idx4", [&] { return QVR_GetBoostLevelText(kProduct, 4, 99, &text); }, 102},
        {"boost set idx3", [&] { return QVR_SetBoostLevelIndex2(kProduct, 3, nullptr, 0); }, 100},
        {"boost set idx4", [&] { return QVR_SetBoostLevelIndex2(kProduct, 4, nullptr, 0); }, 102},
        {"boost set idx-1", [&] { return QVR_SetBoostLevelIndex2(kProduct, -1, nullptr, 0); }, 102},
        {"firmware number 9", [&] { return QVR_GetFirmwareVersion(kProduct, 9, &out); }, 100},
        {"firmware number 10", [&] { return QVR_GetFirmwareVersion(kProduct, 10, &out); }, 102},
        {"selector ch4", [&] { return QVR_GetMixerInputSelectorStatus(kProduct, 4, &out); }, 102},
    };
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, 1));
    for (const auto& c : kCases) EXPECT_EQ(c.run(), c.result) << c.name;
}

TEST_F(ExportContract, TableTextsAndCounts)
{
    const struct {
        int channel, index;
        const wchar_t* text;
    } kInput[] = {
        {0, 0, L"CH1 Control Tone PHONO"}, {0, 7, L"REC OUT"},  {1, 1, L"CH2 Control Tone LINE"},
        {1, 2, L"Post CH2 Fader"},         {2, 0, L"REC OUT"},  {2, 7, L"PARAM ERROR"},
        {3, 0, L"FX SEND"},                {3, 1, L"PARAM ERROR"},
    };
    for (const auto& c : kInput) {
        const wchar_t* text = nullptr;
        ASSERT_EQ(QVR_GetUSBInputAudioText(kProduct, c.channel, c.index, 0, &text), 100);
        EXPECT_STREQ(text, c.text) << c.channel << "/" << c.index;
    }
    const int kCounts[] = {8, 8, 7};
    for (int channel = 0; channel < 3; ++channel) {
        int count = 0;
        ASSERT_EQ(QVR_GetNumOfInputAudioIndex(kProduct, channel, &count), 100);
        EXPECT_EQ(count, kCounts[channel]);
        ASSERT_EQ(QVR_GetNumOfOutputAudioIndex(kProduct, channel, &count), 100);
        EXPECT_EQ(count, 3);
    }
    const wchar_t* kOutput[] = {L"CH1", L"CH2", L"AUX"};
    const wchar_t* kBoost[] = {L"-5 dB", L"-10 dB", L"-15 dB", L"-19 dB"};
    for (int index = 0; index < 4; ++index) {
        const wchar_t* text = nullptr;
        if (index < 3) {
            ASSERT_EQ(QVR_GetUSBOutputAudioText(kProduct, 3, index, 5, &text), 100);
            EXPECT_STREQ(text, kOutput[index]);
        }
        ASSERT_EQ(QVR_GetBoostLevelText(kProduct, index, 1, &text), 100);
        EXPECT_STREQ(text, kBoost[index]);
    }
    int count = 0;
    ASSERT_EQ(QVR_GetNumOfBoostLevelIndex(kProduct, &count), 100);
    EXPECT_EQ(count, 4);
}

TEST_F(ExportContract, UnavailableStatusLeavesItsPlaceholderWithoutAMixer)
{
    ASSERT_TRUE(rig.SetPlugged(0, false));
    const struct {
        const char* name;
        std::function<int(int*)> run;
        int placeholder;
    } kCases[] = {
        {"firmware", [](int* v) { return QVR_GetFirmwareVersion(kProduct, 0, v); }, 65535},
        {"certification", [](int* v) { return QVR_GetMixerCertifyLevel(kProduct, v); }, 65535},
        {"port", [](int* v) { return QVR_GetPortInfo(kProduct, v); }, 255},
        {"selector", [](int* v) { return QVR_GetMixerInputSelectorStatus(kProduct, 1, v); }, 25},
        {"partner (untouched)", [](int* v) { return QVR_GetMixerVantorActiveStatus(kProduct, v); }, -3},
    };
    for (const auto& c : kCases) {
        int value = -3;
        EXPECT_EQ(c.run(&value), 102) << c.name;
        EXPECT_EQ(value, c.placeholder) << c.name;
    }
    EXPECT_EQ(QVR_IsUSBConnection(kProduct), 104);
}

}  // namespace
}  // namespace rkx::setup::test
