#include "setup/boost_level.h"

#include "common/mixer_requests.h"
#include "setup/mixer_access.h"
#include "setup/notifications.h"
#include "setup/result_codes.h"
#include "setup/settings_store.h"

namespace rkx::setup {
namespace {
constexpr const wchar_t* kBoostTexts[kBoostLevels] = {L"-5 dB", L"-10 dB", L"-15 dB", L"-19 dB"};
constexpr wchar_t kLevelValue[] = L"Level";
}  // namespace

const wchar_t* BoostLevelText(uint32_t index) { return kBoostTexts[index]; }

uint32_t CurrentBoostLevel(const wchar_t* userKey)
{
    return ReadSetting(userKey, kLevelValue, kBoostLevels, kDefaultBoostLevel);
}

int SetBoostLevel(uint32_t index, const wchar_t* userKey, bool notify)
{
    const uint16_t payload = static_cast<uint16_t>(index);
    SendChangeToAll(IOCTL_MIXER_SET_BOOST_LEVEL, &payload, sizeof(payload));
    WriteSetting(userKey, kLevelValue, index);
    if (notify) AnnounceChange(kBoostLevelChanged, ValueChangeParam(index));
    return kSuccess;
}

}  // namespace rkx::setup
