// Routing changes as the mixers see them: the exact requests, payloads and order (read from
// the virtual mixer's journal), and the result that the selector positions decide.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/mixer_requests.h"
#include "tests/setup/setup_fixture.h"

namespace rkx::setup::test {
namespace {

struct Seen {
    int32_t mixer;
    uint32_t code;
    std::vector<uint8_t> input;
};

class Routing : public SetupTest {
protected:
    void SetUp() override
    {
        SetupTest::SetUp();
        ASSERT_TRUE(rig.ClearStats());
    }

    std::vector<Seen> Journal()
    {
        auto journal = std::make_unique<VmixJournal>();
        EXPECT_TRUE(rig.GetJournal(*journal));
        std::vector<Seen> seen;
        for (uint32_t i = 0; i < journal->count; ++i) {
            const VmixJournalEntry& e = journal->entry[i];
            const uint32_t bytes = e.inputBytes < VMIX_PAYLOAD_BYTES ? e.inputBytes : VMIX_PAYLOAD_BYTES;
            seen.push_back({e.mixer, e.code, std::vector<uint8_t>(e.input, e.input + bytes)});
        }
        return seen;
    }

    void ExpectJournal(const std::vector<Seen>& expected)
    {
        const auto seen = Journal();
        ASSERT_EQ(seen.size(), expected.size());
        for (size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].mixer, expected[i].mixer) << "request " << i;
            EXPECT_EQ(seen[i].code, expected[i].code) << "request " << i;
            EXPECT_EQ(seen[i].input, expected[i].input) << "request " << i;
        }
    }
};

TEST_F(Routing, InputAudioSendsRouteThenSelectorReadToEveryMixerInOrder)
{
    ASSERT_TRUE(rig.SetPlugged(1, true));
    EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, 1, 5, nullptr, 0), 100);
    ExpectJournal({
        {0, IOCTL_MIXER_SET_USB_SEND_SOURCE, {2, 0, 5, 0}},
        {0, IOCTL_MIXER_GET_SELECTOR_STATUS, {}},
        {1, IOCTL_MIXER_SET_USB_SEND_SOURCE, {2, 0, 5, 0}},
        {1, IOCTL_MIXER_GET_SELECTOR_STATUS, {}},
    });
    EXPECT_EQ(StateOf(0).sendSource[1], 5u);
    EXPECT_EQ(StateOf(1).sendSource[1], 5u);
}

TEST_F(Routing, DecoyInterfacesAreNeverAddressed)
{
    ASSERT_TRUE(rig.SetDecoys(VMIX_DECOY_ALL));
    EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 1, nullptr, 0), 100);
    ExpectJournal({{0, IOCTL_MIXER_SET_BOOST_LEVEL, {1, 0}}});
}

TEST_F(Routing, SelectorPositionDecidesWarningForControlTones)
{
    const struct {
        int channel;
        int index;
        uint8_t mixer0Selector;
        uint8_t mixer1Selector;
        bool secondMixer;
        int result;
    } kCases[] = {
        {1, 0, 4, 4, false, 100}, {1, 0, 1, 4, false, 101}, {0, 1, 2, 4, false, 101}, {0, 2, 1, 1, false, 100},
        {0, 7, 2, 2, false, 100}, {2, 0, 2, 2, false, 101}, {2, 0, 4, 4, false, 100},
        // One mixer off USB makes the whole change a warning, whichever it is.
        {0, 0, 4, 1, true, 101}, {0, 0, 1, 4, true, 101}, {0, 1, 4, 4, true, 100},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(&c - kCases);
        ASSERT_TRUE(rig.SetPlugged(1, c.secondMixer));
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, c.channel, c.mixer0Selector));
        ASSERT_TRUE(rig.SetValue(1, VMIX_VALUE_SELECTOR, c.channel, c.mixer1Selector));
        EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, c.channel, c.index, nullptr, 0), c.result);
        EXPECT_EQ(StoredDword(c.channel == 0 ? L"Output1" : c.channel == 1 ? L"Output2" : L"Output3"),
                  static_cast<DWORD>(c.index));
    }
}

TEST_F(Routing, WithoutMixerControlTonesWarnAndOthersSucceed)
{
    ASSERT_TRUE(rig.SetPlugged(0, false));
    EXPECT_EQ(QVR_SetUSBInputAudio(kProduct, 0, 1), 101);
    EXPECT_EQ(StoredDword(L"Output1"), 1u);
    EXPECT_EQ(QVR_SetUSBInputAudio(kProduct, 0, 2), 100);
    EXPECT_EQ(StoredDword(L"Output1"), 2u);
    EXPECT_EQ(QVR_SetUSBInputAudioDirect(kProduct, 0, 0, 2), 101);
    EXPECT_EQ(QVR_SetUSBInputAudioDirect(kProduct, 0, 0, 3), 100);
}

TEST_F(Routing, FailedExchangeStillStoresAndReturns100NeverAWarning)
{
    const struct {
        uint32_t failingCode;
    } kCases[] = {{IOCTL_MIXER_SET_USB_SEND_SOURCE}, {IOCTL_MIXER_GET_SELECTOR_STATUS}};
    for (const auto& c : kCases) {
        ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 0, 1));
        ASSERT_TRUE(rig.SetPlugged(1, true));
        ASSERT_TRUE(rig.ClearStats());
        ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, c.failingCode, 1));
        EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, 0, 0, nullptr, 0), 100) << std::hex << c.failingCode;
        EXPECT_EQ(StoredDword(L"Output1"), 0u);
        // The walk stops at the failure: the second mixer is not addressed.
        for (const auto& seen : Journal()) EXPECT_EQ(seen.mixer, 0);
        DeleteSettings();
    }
}

TEST_F(Routing, FailedExchangeOnOutputAndBoostStillStores)
{
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, 1));
    EXPECT_EQ(QVR_SetUSBOutputAudio2(kProduct, 1, 2, nullptr, 0), 100);
    EXPECT_EQ(StoredDword(L"Input2"), 2u);
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_FAIL_NEXT, IOCTL_MIXER_SET_BOOST_LEVEL, 1));
    EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 0, nullptr, 0), 100);
    EXPECT_EQ(StoredDword(L"Level"), 0u);
}

TEST_F(Routing, RequestsCompletingLaterAreWaitedFor)
{
    ASSERT_TRUE(rig.SetFault(0, VMIX_FAULT_CONTROL_DELAY_MS, 0, 50));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_SELECTOR, 1, 1));
    EXPECT_EQ(QVR_SetUSBInputAudio2(kProduct, 1, 1, nullptr, 0), 101);
    EXPECT_EQ(StateOf(0).sendSource[1], 1u);
}

TEST_F(Routing, DirectWordPacksSourceChannelAndModeIntoOneWord)
{
    const struct {
        int channel, source, mode;
        uint16_t word;
    } kCases[] = {
        {0, 0, 0, 0x1100}, {1, 2, 3, 0x3203}, {3, 14, 24, 0xF418}, {2, 15, 5, 0x0305}, {0, -1, 1, 0x0101},
        {3, 0x7FFFFFFF, 24, 0x0418},
    };
    for (const auto& c : kCases) {
        ASSERT_TRUE(rig.ClearStats());
        QVR_SetUSBInputAudioDirect(kProduct, c.channel, c.source, c.mode);
        const auto seen = Journal();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].code, IOCTL_MIXER_SET_USB_SEND_DIRECT);
        EXPECT_EQ(seen[0].input, (std::vector<uint8_t>{static_cast<uint8_t>(c.word & 0xFF), static_cast<uint8_t>(c.word >> 8)}))
            << (&c - kCases);
        EXPECT_EQ(seen[1].code, IOCTL_MIXER_GET_SELECTOR_STATUS);
        EXPECT_EQ(StateOf(0).lastDirectWord, c.word);
    }
}

TEST_F(Routing, DirectAndDefaultRoutesStoreNothing)
{
    PlantDword(L"Output1", 5);
    PlantDword(L"Input2", 0);
    EXPECT_EQ(QVR_SetUSBInputAudioDirect(kProduct, 0, 1, 4), 100);
    EXPECT_EQ(QVR_SetUSBOutputAudioDefault(kProduct, 1), 100);
    ExpectJournal({
        {0, IOCTL_MIXER_SET_USB_SEND_DIRECT, {0x04, 0x21}},
        {0, IOCTL_MIXER_GET_SELECTOR_STATUS, {}},
        {0, IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {2, 0, 1, 0}},
    });
    int value = -1;
    ASSERT_EQ(QVR_GetCurrentUSBInputAudioIndex(kProduct, 0, &value), 100);
    EXPECT_EQ(value, 5);
    ASSERT_EQ(QVR_GetCurrentUSBOutputAudioIndex(kProduct, 1, &value), 100);
    EXPECT_EQ(value, 0);
}

TEST_F(Routing, DefaultRouteOfEachReceiveChannelIsItsOwnNumber)
{
    ASSERT_TRUE(rig.SetPlugged(1, true));
    for (int channel = 0; channel < 3; ++channel) EXPECT_EQ(QVR_SetUSBOutputAudioDefault(kProduct, channel), 100);
    std::vector<Seen> expected;
    for (uint8_t channel = 0; channel < 3; ++channel)
        for (int32_t mixer : {0, 1})
            expected.push_back({mixer, IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {static_cast<uint8_t>(channel + 1), 0, channel, 0}});
    ExpectJournal(expected);
}

TEST_F(Routing, OutputAudioAndBoostPayloads)
{
    EXPECT_EQ(QVR_SetUSBOutputAudio2(kProduct, 2, 1, nullptr, 0), 100);
    EXPECT_EQ(QVR_SetBoostLevelIndex2(kProduct, 3, nullptr, 0), 100);
    ExpectJournal({
        {0, IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {3, 0, 1, 0}},
        {0, IOCTL_MIXER_SET_BOOST_LEVEL, {3, 0}},
    });
    EXPECT_EQ(StateOf(0).receiveRoute[2], 1u);
    EXPECT_EQ(StateOf(0).boostLevel, 3u);
}

}  // namespace
}  // namespace rkx::setup::test
