// The mixer's twelve control requests on its pin: reply sizes and contents, the state they
// change, what they refuse, and what the journal keeps of them.
#include <array>
#include <memory>
#include <vector>

#include "rig_fixture.h"

namespace rkx::vmix::test {
namespace {

struct Reply {
    const char* name;
    DWORD code;
    std::vector<uint8_t> defaults;  // reply of a freshly reset mixer
};

const Reply kReplies[] = {
    {"selector status", IOCTL_MIXER_GET_SELECTOR_STATUS, {0, 4, 4, 2}},
    {"launch request", IOCTL_MIXER_GET_LAUNCH_REQUEST, {0, 0}},
    {"partner active", IOCTL_MIXER_GET_PARTNER_ACTIVE, {0, 0}},
    {"firmware version", IOCTL_MIXER_GET_FIRMWARE_VERSION, {0x01, 0x05}},
    {"port info", IOCTL_MIXER_GET_PORT_INFO, {1, 0}},
    {"certify level", IOCTL_MIXER_GET_CERTIFY_LEVEL, {0, 0, 0, 1}},
};

class ControlRequests : public RigTest {
protected:
    void SetUp() override
    {
        RigTest::SetUp();
        ASSERT_TRUE(OpenConfigured(pin, 0, 256));
    }
    std::vector<uint8_t> Get(DWORD code, DWORD bytes)
    {
        std::vector<uint8_t> reply(bytes + 8, 0xEE);
        DWORD returned = 0;
        if (!pin.Control(code, nullptr, 0, reply.data(), bytes, &returned)) return {};
        reply.resize(returned);
        return reply;
    }
    PinStream pin;
};

TEST_F(ControlRequests, ReadRequestsReplyWithTheirSizeAndTheResetState)
{
    for (const Reply& r : kReplies) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(Get(r.code, static_cast<DWORD>(r.defaults.size())), r.defaults);
    }
}

TEST_F(ControlRequests, ReadRequestsWithAShortReplyBufferAreRefused)
{
    for (const Reply& r : kReplies) {
        SCOPED_TRACE(r.name);
        std::array<uint8_t, 8> reply{};
        EXPECT_FALSE(pin.Control(r.code, nullptr, 0, reply.data(), static_cast<DWORD>(r.defaults.size() - 1)));
    }
}

struct Change {
    const char* name;
    DWORD code;
    std::vector<uint8_t> payload;
    // Checks the status after the request.
    bool (*applied)(const VmixMixerState&);
};

const Change kChanges[] = {
    {"send source: channel 2 takes source 5", IOCTL_MIXER_SET_USB_SEND_SOURCE, {2, 0, 5, 0},
     [](const VmixMixerState& s) { return s.sendSource[1] == 5 && s.sendSource[0] == 0; }},
    {"receive route: channel 3 to CH1", IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {3, 0, 0, 0},
     [](const VmixMixerState& s) { return s.receiveRoute[2] == 0 && s.receiveRoute[0] == 0 && s.receiveRoute[1] == 1; }},
    {"boost level 1", IOCTL_MIXER_SET_BOOST_LEVEL, {1, 0},
     [](const VmixMixerState& s) { return s.boostLevel == 1; }},
    {"direct word: send channel 3 takes source 6", IOCTL_MIXER_SET_USB_SEND_DIRECT, {0x00, 0x73},
     [](const VmixMixerState& s) { return s.lastDirectWord == 0x7300 && s.sendSource[2] == 6; }},
};

TEST_F(ControlRequests, WriteRequestsChangeTheMixerState)
{
    for (const Change& c : kChanges) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(rig.Reset());
        ASSERT_TRUE(OpenConfigured(pin, 0, 256));
        EXPECT_TRUE(pin.Control(c.code, c.payload.data(), static_cast<DWORD>(c.payload.size())))
            << "error " << pin.lastError();
        EXPECT_TRUE(c.applied(StateOf(0)));
    }
}

TEST_F(ControlRequests, WriteRequestsWithAShortPayloadAreRefusedAndChangeNothing)
{
    for (const Change& c : kChanges) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(pin.Control(c.code, c.payload.data(), static_cast<DWORD>(c.payload.size() - 1)));
        EXPECT_FALSE(c.applied(StateOf(0)));
    }
}

TEST_F(ControlRequests, OutOfRangeSelectionsAndReservedRequestsAreRefused)
{
    const struct {
        const char* name;
        DWORD code;
        std::vector<uint8_t> payload;
    } kRefused[] = {
        {"send channel 0 (channels count from 1)", IOCTL_MIXER_SET_USB_SEND_SOURCE, {0, 0, 1, 0}},
        {"send channel 5", IOCTL_MIXER_SET_USB_SEND_SOURCE, {5, 0, 1, 0}},
        {"send source 8", IOCTL_MIXER_SET_USB_SEND_SOURCE, {1, 0, 8, 0}},
        {"receive channel 4", IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {4, 0, 0, 0}},
        {"receive route 3", IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, {1, 0, 3, 0}},
        {"boost level 4", IOCTL_MIXER_SET_BOOST_LEVEL, {4, 0}},
        {"reserved 4", IOCTL_MIXER_RESERVED_4, {}},
        {"reserved 5", IOCTL_MIXER_RESERVED_5, {}},
    };
    const VmixMixerState before = StateOf(0);
    for (const auto& r : kRefused) {
        SCOPED_TRACE(r.name);
        EXPECT_FALSE(pin.Control(r.code, r.payload.data(), static_cast<DWORD>(r.payload.size())));
    }
    const VmixMixerState after = StateOf(0);
    EXPECT_EQ(0, memcmp(before.sendSource, after.sendSource, sizeof(before.sendSource)));
    EXPECT_EQ(0, memcmp(before.receiveRoute, after.receiveRoute, sizeof(before.receiveRoute)));
    EXPECT_EQ(before.boostLevel, after.boostLevel);
}

TEST_F(ControlRequests, LaunchRequestAsksAgainTheSetNumberOfTimesBeforeAnswering)
{
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_LAUNCH_ANSWER, 0, RKX_LAUNCH_YES));
    ASSERT_TRUE(rig.SetValue(0, VMIX_VALUE_LAUNCH_ASK_AGAIN, 0, 2));
    EXPECT_EQ(Get(IOCTL_MIXER_GET_LAUNCH_REQUEST, 2), (std::vector<uint8_t>{2, 0}));
    EXPECT_EQ(Get(IOCTL_MIXER_GET_LAUNCH_REQUEST, 2), (std::vector<uint8_t>{2, 0}));
    EXPECT_EQ(Get(IOCTL_MIXER_GET_LAUNCH_REQUEST, 2), (std::vector<uint8_t>{1, 0}));
    EXPECT_EQ(Get(IOCTL_MIXER_GET_LAUNCH_REQUEST, 2), (std::vector<uint8_t>{1, 0}));
}

TEST_F(ControlRequests, RigValuesShowInTheReplies)
{
    const struct {
        const char* name;
        VmixValueId id;
        uint32_t index;
        uint32_t value;
        DWORD code;
        std::vector<uint8_t> reply;
    } kValues[] = {
        {"CH1 selector phono", VMIX_VALUE_SELECTOR, 0, RKX_SELECTOR_POSITION_PHONO, IOCTL_MIXER_GET_SELECTOR_STATUS, {0, 1, 4, 2}},
        {"AUX selector usb", VMIX_VALUE_SELECTOR, 2, RKX_SELECTOR_POSITION_USB, IOCTL_MIXER_GET_SELECTOR_STATUS, {0, 1, 4, 4}},
        {"launch answer yes", VMIX_VALUE_LAUNCH_ANSWER, 0, RKX_LAUNCH_YES, IOCTL_MIXER_GET_LAUNCH_REQUEST, {1, 0}},
        {"partner active", VMIX_VALUE_PARTNER_ACTIVE, 0, 1, IOCTL_MIXER_GET_PARTNER_ACTIVE, {1, 0}},
        {"firmware 2.16, major byte first", VMIX_VALUE_FIRMWARE, 0, 0x0210, IOCTL_MIXER_GET_FIRMWARE_VERSION, {0x02, 0x10}},
        {"port info 3", VMIX_VALUE_PORT_INFO, 0, 3, IOCTL_MIXER_GET_PORT_INFO, {3, 0}},
        {"certify level, most significant byte first", VMIX_VALUE_CERTIFY_LEVEL, 0, 0x01020304,
         IOCTL_MIXER_GET_CERTIFY_LEVEL, {1, 2, 3, 4}},
    };
    for (const auto& v : kValues) {
        SCOPED_TRACE(v.name);
        ASSERT_TRUE(rig.SetValue(0, v.id, v.index, v.value)) << "error " << GetLastError();
        EXPECT_EQ(Get(v.code, static_cast<DWORD>(v.reply.size())), v.reply);
    }
}

TEST_F(ControlRequests, JournalKeepsCodesPayloadsAndResultsInOrder)
{
    ASSERT_TRUE(rig.ClearStats());
    const RkxRoutePayload route{1, 3};
    ASSERT_TRUE(pin.Control(IOCTL_MIXER_SET_USB_SEND_SOURCE, &route, sizeof(route)));
    ASSERT_EQ(Get(IOCTL_MIXER_GET_FIRMWARE_VERSION, 2).size(), 2u);
    const uint16_t tooHigh = 9;
    EXPECT_FALSE(pin.Control(IOCTL_MIXER_SET_BOOST_LEVEL, &tooHigh, sizeof(tooHigh)));

    auto journal = std::make_unique<VmixJournal>();
    ASSERT_TRUE(rig.GetJournal(*journal));
    ASSERT_EQ(journal->count, 3u);
    const VmixJournalEntry& set = journal->entry[0];
    EXPECT_EQ(set.mixer, 0);
    EXPECT_EQ(set.code, IOCTL_MIXER_SET_USB_SEND_SOURCE);
    EXPECT_EQ(set.inputBytes, 4u);
    EXPECT_EQ((std::vector<uint8_t>(set.input, set.input + 4)), (std::vector<uint8_t>{1, 0, 3, 0}));
    EXPECT_EQ(set.status, 0);
    const VmixJournalEntry& get = journal->entry[1];
    EXPECT_EQ(get.code, IOCTL_MIXER_GET_FIRMWARE_VERSION);
    EXPECT_EQ(get.outputBytes, 2u);
    EXPECT_EQ((std::vector<uint8_t>(get.output, get.output + 2)), (std::vector<uint8_t>{0x01, 0x05}));
    const VmixJournalEntry& refused = journal->entry[2];
    EXPECT_EQ(refused.code, IOCTL_MIXER_SET_BOOST_LEVEL);
    EXPECT_LT(refused.status, 0) << "a refused request is journalled with its failure status";
    EXPECT_LT(set.sequence, get.sequence);
    EXPECT_LT(get.sequence, refused.sequence);
}

TEST_F(ControlRequests, StatusShowsTheStreamSetupAndOpenHandles)
{
    VmixMixerState state = StateOf(0);
    EXPECT_EQ(state.rate, 48000u);
    EXPECT_EQ(state.frames, 256u);
    EXPECT_EQ(state.outputPins, 1u);
    EXPECT_EQ(state.openHandles, 1u);
    EXPECT_EQ(state.streaming, 0u);
    ASSERT_TRUE(pin.Start());
    EXPECT_EQ(StateOf(0).streaming, 1u);
    ASSERT_TRUE(pin.Stop());
    EXPECT_EQ(StateOf(0).streaming, 0u);
    pin.Close();
    EXPECT_EQ(StateOf(0).openHandles, 0u);
}

}  // namespace
}  // namespace rkx::vmix::test
