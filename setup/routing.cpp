#include "setup/routing.h"

#include "common/mixer_requests.h"
#include "setup/control_exchange.h"
#include "setup/mixer_access.h"
#include "setup/mixer_paths.h"
#include "setup/notifications.h"
#include "setup/result_codes.h"
#include "setup/settings_store.h"

namespace rkx::setup {
namespace {

constexpr const wchar_t* kInputAudioTexts[kInputAudioChannels][kInputAudioIndexes] = {
    {L"CH1 Control Tone PHONO", L"CH1 Control Tone LINE", L"Post CH1 Fader", L"Cross Fader A", L"Cross Fader B",
     L"MIC", L"AUX", L"REC OUT"},
    {L"CH2 Control Tone PHONO", L"CH2 Control Tone LINE", L"Post CH2 Fader", L"Cross Fader A", L"Cross Fader B",
     L"MIC", L"AUX", L"REC OUT"},
    {L"REC OUT", L"Post CH1 Fader", L"Post CH2 Fader", L"Cross Fader A", L"Cross Fader B", L"MIC", L"AUX",
     L"PARAM ERROR"},
    {L"FX SEND", L"PARAM ERROR", L"PARAM ERROR", L"PARAM ERROR", L"PARAM ERROR", L"PARAM ERROR", L"PARAM ERROR",
     L"PARAM ERROR"},
};
constexpr uint32_t kInputAudioCounts[kInputAudioSetChannels] = {8, 8, 7};
constexpr const wchar_t* kOutputAudioTexts[kOutputAudioIndexes] = {L"CH1", L"CH2", L"AUX"};

struct StoredValue {
    const wchar_t* name;
    uint32_t readLimit;
};
constexpr StoredValue kInputAudioValues[kInputAudioChannels] = {
    {L"Output1", 8}, {L"Output2", 8}, {L"Output3", 7}, {L"Output4", 7}};
constexpr StoredValue kOutputAudioValues[kOutputAudioChannels] = {{L"Input1", 3}, {L"Input2", 3}, {L"Input3", 3}};

// How a routing change went: a control tone whose selector is not on USB is a warning.
enum class Outcome { None, Fine, Warning, Failed };

Outcome Merge(Outcome current, bool fine)
{
    if (!fine) return Outcome::Warning;
    return current == Outcome::Warning ? Outcome::Warning : Outcome::Fine;
}

// Byte channel + 1 of the selector reply; channel 3 has none, so it never counts as on USB.
bool SelectorOnUsb(const uint8_t (&reply)[RKX_SELECTOR_REPLY_BYTES], uint32_t channel)
{
    return channel + 1 < RKX_SELECTOR_REPLY_BYTES && reply[channel + 1] == RKX_SELECTOR_POSITION_USB;
}

// Sends a change and reads the selectors of every mixer, in order, stopping at a failure.
Outcome SendRouteAndCheck(uint32_t channel, DWORD code, const void* in, DWORD inBytes, bool fineWithoutUsb)
{
    const auto paths = CollectMixerPaths();
    Outcome outcome = Outcome::None;
    for (size_t i = 0; i < paths->count; ++i) {
        uint8_t selector[RKX_SELECTOR_REPLY_BYTES] = {};
        if (!ExchangeControl(paths->path[i], code, in, inBytes, nullptr, 0) ||
            !ExchangeControl(paths->path[i], IOCTL_MIXER_GET_SELECTOR_STATUS, nullptr, 0, selector, sizeof(selector)))
            return Outcome::Failed;  // a failed exchange never warns
        outcome = Merge(outcome, SelectorOnUsb(selector, channel) || fineWithoutUsb);
    }
    return outcome;
}

}  // namespace

const wchar_t* InputAudioText(uint32_t channel, uint32_t index) { return kInputAudioTexts[channel][index]; }
uint32_t InputAudioCount(uint32_t channel) { return kInputAudioCounts[channel]; }
const wchar_t* OutputAudioText(uint32_t index) { return kOutputAudioTexts[index]; }

uint32_t CurrentInputAudio(uint32_t channel, const wchar_t* userKey)
{
    const StoredValue& value = kInputAudioValues[channel];
    return ReadSetting(userKey, value.name, value.readLimit, 0);
}

uint32_t CurrentOutputAudio(uint32_t channel, const wchar_t* userKey)
{
    // Channel 3 has no stored value; its "selection" is its own number.
    if (channel >= kOutputAudioChannels) return channel;
    const StoredValue& value = kOutputAudioValues[channel];
    return ReadSetting(userKey, value.name, value.readLimit, channel);
}

int SetInputAudio(uint32_t channel, uint32_t index, const wchar_t* userKey, bool notify)
{
    const RkxRoutePayload payload{static_cast<uint16_t>(channel + 1), static_cast<uint16_t>(index)};
    Outcome outcome = SendRouteAndCheck(channel, IOCTL_MIXER_SET_USB_SEND_SOURCE, &payload, sizeof(payload), index >= 2);
    if (outcome == Outcome::None) outcome = index < 2 ? Outcome::Warning : Outcome::Fine;
    WriteSetting(userKey, kInputAudioValues[channel].name, index);
    if (notify) AnnounceChange(kInputAudioChanged, AudioChangeParam(channel, index));
    return outcome == Outcome::Warning ? kWarning : kSuccess;
}

int SetInputAudioDirect(uint32_t channel, uint32_t source, uint32_t mode)
{
    const uint16_t word = RkxPackDirectRoute(channel, source, mode);
    Outcome outcome = SendRouteAndCheck(channel, IOCTL_MIXER_SET_USB_SEND_DIRECT, &word, sizeof(word), mode >= 2);
    if (outcome == Outcome::None) outcome = mode < 3 ? Outcome::Warning : Outcome::Fine;
    return outcome == Outcome::Warning ? kWarning : kSuccess;
}

int SetOutputAudio(uint32_t channel, uint32_t index, const wchar_t* userKey, bool notify)
{
    const RkxRoutePayload payload{static_cast<uint16_t>(channel + 1), static_cast<uint16_t>(index)};
    SendChangeToAll(IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, &payload, sizeof(payload));
    WriteSetting(userKey, kOutputAudioValues[channel].name, index);
    if (notify) AnnounceChange(kOutputAudioChanged, AudioChangeParam(channel, index));
    return kSuccess;
}

int SetOutputAudioDefault(uint32_t channel)
{
    const RkxRoutePayload payload{static_cast<uint16_t>(channel + 1), static_cast<uint16_t>(channel)};
    SendChangeToAll(IOCTL_MIXER_SET_USB_RECEIVE_ROUTE, &payload, sizeof(payload));
    return kSuccess;
}

}  // namespace rkx::setup
