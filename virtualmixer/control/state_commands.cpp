// Commands that change the rig: plugging, values, faults, decoys, clear, reset.
#include <cstdio>
#include <string>

#include "rig.h"
#include "virtualmixer/client/device_change_broadcast.h"
#include "virtualmixer/client/mixer_paths.h"
#include "virtualmixer/client/request_names.h"

namespace vmixctl {
namespace {

using rkx::vmix::ParseUnsigned;

int ChangePlug(rkx::vmix::VirtualMixerClient& client, uint32_t mixer, bool plugged)
{
    if (!client.SetPlugged(mixer, plugged))
        return Rig::Failed(std::string(plugged ? "plugging" : "unplugging") + " mixer " + std::to_string(mixer));
    const int reached = rkx::vmix::BroadcastMixerDeviceChange(plugged, mixer);
    std::printf("mixer %u %s; device change sent to %d window(s)\n", mixer, plugged ? "plugged" : "unplugged", reached);
    return kOk;
}

int PlugCommand(Rig& rig, bool plugged)
{
    if (rig.args().size() != 1) return Rig::Usage(plugged ? "usage: plug N" : "usage: unplug N");
    const auto mixer = Rig::Mixer(rig.args()[0]);
    if (!mixer) return Rig::Usage("mixer must be 0..3");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    return ChangePlug(*client, *mixer, plugged);
}

std::optional<uint32_t> SelectorPosition(const std::wstring& text)
{
    if (text == L"phono") return RKX_SELECTOR_POSITION_PHONO;
    if (text == L"line") return RKX_SELECTOR_POSITION_LINE;
    if (text == L"usb") return RKX_SELECTOR_POSITION_USB;
    return ParseUnsigned(text, 0xFF);
}

// A request code by number or by its name (STREAM_START, GET_FIRMWARE_VERSION, ...).
std::optional<uint32_t> RequestCode(const std::wstring& text)
{
    const std::string name = rkx::vmix::ToPrintable(text);
    for (uint32_t i = 0; i < RKX_CONTROL_REQUEST_COUNT + RKX_STREAM_REQUEST_COUNT; ++i) {
        const uint32_t code = i < RKX_CONTROL_REQUEST_COUNT ? RKX_FIRST_CONTROL_REQUEST + 4 * i
                                                             : RKX_FIRST_STREAM_REQUEST + 4 * (i - RKX_CONTROL_REQUEST_COUNT);
        if (name == rkx::vmix::MixerRequestName(code)) return code;
    }
    return ParseUnsigned(text);
}

struct ValueSyntax {
    const wchar_t* name;
    VmixValueId id;
    bool indexed;
    uint32_t maxIndex;
    uint32_t maxValue;
    const char* usage;
};

constexpr ValueSyntax kValues[] = {
    {L"selector", VMIX_VALUE_SELECTOR, true, RKX_SELECTOR_CHANNELS - 1, 0xFF, "set N selector CH(0..2) phono|line|usb|POS"},
    {L"launch", VMIX_VALUE_LAUNCH_ANSWER, false, 0, 0xFF, "set N launch V(0..255)"},
    {L"ask-again", VMIX_VALUE_LAUNCH_ASK_AGAIN, false, 0, UINT32_MAX, "set N ask-again COUNT"},
    {L"firmware", VMIX_VALUE_FIRMWARE, false, 0, 0xFFFF, "set N firmware 0xMMmm"},
    {L"partner", VMIX_VALUE_PARTNER_ACTIVE, false, 0, 1, "set N partner 0|1"},
    {L"port", VMIX_VALUE_PORT_INFO, false, 0, 0xFF, "set N port V(0..255)"},
    {L"certify", VMIX_VALUE_CERTIFY_LEVEL, false, 0, UINT32_MAX, "set N certify V"},
    {L"send", VMIX_VALUE_SEND_SOURCE, true, RKX_USB_SEND_CHANNELS - 1, 7, "set N send CH(0..3) SRC(0..7)"},
    {L"receive", VMIX_VALUE_RECEIVE_ROUTE, true, RKX_USB_RECEIVE_CHANNELS - 1, 2, "set N receive CH(0..2) ROUTE(0..2)"},
    {L"boost", VMIX_VALUE_BOOST_LEVEL, false, 0, 3, "set N boost L(0..3)"},
};

}  // namespace

int Plug(Rig& rig) { return PlugCommand(rig, true); }
int Unplug(Rig& rig) { return PlugCommand(rig, false); }

int Mixers(Rig& rig)
{
    if (rig.args().size() != 1) return Rig::Usage("usage: mixers N (1..4)");
    const auto count = ParseUnsigned(rig.args()[0], VMIX_MAX_MIXERS);
    if (!count || *count == 0) return Rig::Usage("mixers takes a count of 1..4");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    VmixStatus status{};
    if (!client->GetStatus(status)) return Rig::Failed("reading the status");
    for (uint32_t mixer = 0; mixer < VMIX_MAX_MIXERS; ++mixer) {
        const bool want = mixer < *count;
        if ((status.mixer[mixer].plugged != 0) == want) continue;
        if (const int code = ChangePlug(*client, mixer, want); code != kOk) return code;
    }
    std::printf("%u mixer(s) plugged\n", *count);
    return kOk;
}

int Set(Rig& rig)
{
    const auto& a = rig.args();
    if (a.size() < 3) return Rig::Usage("usage: set N NAME [INDEX] VALUE (see --help)");
    const auto mixer = Rig::Mixer(a[0]);
    if (!mixer) return Rig::Usage("mixer must be 0..3");
    for (const ValueSyntax& syntax : kValues) {
        if (a[1] != syntax.name) continue;
        if (a.size() != (syntax.indexed ? 4u : 3u)) return Rig::Usage(std::string("usage: ") + syntax.usage);
        uint32_t index = 0;
        if (syntax.indexed) {
            const auto parsed = ParseUnsigned(a[2], syntax.maxIndex);
            if (!parsed) return Rig::Usage(std::string("usage: ") + syntax.usage);
            index = *parsed;
        }
        const std::wstring& valueText = a.back();
        const auto value = syntax.id == VMIX_VALUE_SELECTOR ? SelectorPosition(valueText)
                                                            : ParseUnsigned(valueText, syntax.maxValue);
        if (!value) return Rig::Usage(std::string("usage: ") + syntax.usage);
        auto* client = rig.Client();
        if (client == nullptr) return kRigFailure;
        const std::string what = "setting " + rkx::vmix::ToPrintable(a[1]) + " of mixer " + std::to_string(*mixer);
        if (!client->SetValue(*mixer, syntax.id, index, *value)) return Rig::Failed(what);
        const std::string indexText = syntax.indexed ? " " + std::to_string(index) : "";
        std::printf("mixer %u %s%s = %u (0x%X)\n", *mixer, rkx::vmix::ToPrintable(a[1]).c_str(), indexText.c_str(),
                    *value, *value);
        return kOk;
    }
    return Rig::Usage("unknown value '" + rkx::vmix::ToPrintable(a[1]) + "'");
}

int Fault(Rig& rig)
{
    const auto& a = rig.args();
    if (a.size() < 3)
        return Rig::Usage("usage: fault N fail CODE COUNT | start-async 0|1 | control-delay MS [CODE] | stall MS");
    const auto mixer = Rig::Mixer(a[0]);
    if (!mixer) return Rig::Usage("mixer must be 0..3");
    VmixFaultId id = VMIX_FAULT_FAIL_NEXT;
    uint32_t code = 0;
    std::optional<uint32_t> count;
    if (a[1] == L"fail") {
        if (a.size() != 4) return Rig::Usage("usage: fault N fail CODE COUNT");
        const auto parsed = RequestCode(a[2]);
        if (!parsed) return Rig::Usage("unknown request code '" + rkx::vmix::ToPrintable(a[2]) + "'");
        code = *parsed;
        count = ParseUnsigned(a[3]);
    } else if (a[1] == L"control-delay" && a.size() == 4) {
        // Only one request is late; the others answer at once.
        const auto parsed = RequestCode(a[3]);
        if (!parsed) return Rig::Usage("unknown request code '" + rkx::vmix::ToPrintable(a[3]) + "'");
        id = VMIX_FAULT_CONTROL_DELAY_MS;
        code = *parsed;
        count = ParseUnsigned(a[2], 3600000);
    } else if (a.size() != 3) {
        return Rig::Usage("usage: fault N " + rkx::vmix::ToPrintable(a[1]) + " VALUE");
    } else if (a[1] == L"start-async") {
        id = VMIX_FAULT_START_ASYNC;
        count = ParseUnsigned(a[2], 1);
    } else if (a[1] == L"control-delay") {
        id = VMIX_FAULT_CONTROL_DELAY_MS;
        count = ParseUnsigned(a[2], 60000);
    } else if (a[1] == L"stall") {
        id = VMIX_FAULT_STALL_ONCE_MS;
        count = ParseUnsigned(a[2], 60000);
    } else {
        return Rig::Usage("unknown fault '" + rkx::vmix::ToPrintable(a[1]) + "'");
    }
    if (!count) return Rig::Usage("bad fault value '" + rkx::vmix::ToPrintable(a.back()) + "'");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    if (!client->SetFault(*mixer, id, code, *count)) return Rig::Failed("setting the fault");
    std::printf("mixer %u fault %s set (%u)\n", *mixer, rkx::vmix::ToPrintable(a[1]).c_str(), *count);
    return kOk;
}

int Decoys(Rig& rig)
{
    static const struct {
        const wchar_t* name;
        uint32_t bit;
    } kDecoys[] = {
        {L"none", 0},
        {L"all", VMIX_DECOY_ALL},
        {L"other-vendor", VMIX_DECOY_OTHER_VENDOR},
        {L"no-render", VMIX_DECOY_NO_RENDER},
        {L"global", VMIX_DECOY_GLOBAL},
        {L"wave2", VMIX_DECOY_WAVE2},
        {L"upper-case", VMIX_DECOY_UPPER_CASE},
    };
    if (rig.args().empty()) return Rig::Usage("usage: decoys none|all|NAME...");
    uint32_t mask = 0;
    for (const std::wstring& word : rig.args()) {
        bool known = false;
        for (const auto& decoy : kDecoys) {
            if (word == decoy.name) {
                mask |= decoy.bit;
                known = true;
            }
        }
        if (!known) return Rig::Usage("unknown decoy '" + rkx::vmix::ToPrintable(word) + "'");
    }
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    if (!client->SetDecoys(mask)) return Rig::Failed("setting the decoys");
    std::printf("decoys set (mask 0x%02X)\n", mask);
    return kOk;
}

int Clear(Rig& rig)
{
    if (!rig.args().empty()) return Rig::Usage("clear takes no arguments");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    if (!client->ClearStats()) return Rig::Failed("clearing the counters");
    std::printf("counters and journal cleared\n");
    return kOk;
}

int Reset(Rig& rig)
{
    if (!rig.args().empty()) return Rig::Usage("reset takes no arguments");
    auto* client = rig.Client();
    if (client == nullptr) return kRigFailure;
    VmixStatus before{};
    const bool knewBefore = client->GetStatus(before);
    if (!client->Reset()) return Rig::Failed("resetting the virtual mixer");
    std::printf("virtual mixer reset to defaults\n");
    // Programs hear about mixers the reset plugged or unplugged.
    VmixStatus after{};
    if (knewBefore && client->GetStatus(after)) {
        for (uint32_t mixer = 0; mixer < VMIX_MAX_MIXERS; ++mixer) {
            const bool plugged = after.mixer[mixer].plugged != 0;
            if ((before.mixer[mixer].plugged != 0) == plugged) continue;
            const int reached = rkx::vmix::BroadcastMixerDeviceChange(plugged, mixer);
            std::printf("mixer %u %s; device change sent to %d window(s)\n", mixer, plugged ? "plugged" : "unplugged",
                        reached);
        }
    }
    return kOk;
}

}  // namespace vmixctl
