#include "autosetup/settings_restore.h"

#include "include/rkx_t2_setup.h"

namespace rkx::autosetup {
namespace {

constexpr int kRestoredChannels = 5;  // the library refuses the channels it does not have

void RestoreRouting(int product, const wchar_t* userKey)
{
    for (int channel = 0; channel < kRestoredChannels; ++channel) {
        int index = 0;
        if (QVR_GetCurrentUSBInputAudioIndex2(product, channel, &index, userKey) == QVR_SUCCESS)
            QVR_SetUSBInputAudio2(product, channel, index, userKey, 0);
    }
    for (int channel = 0; channel < kRestoredChannels; ++channel) {
        int index = 0;
        if (QVR_GetCurrentUSBOutputAudioIndex2(product, channel, &index, userKey) == QVR_SUCCESS)
            QVR_SetUSBOutputAudio2(product, channel, index, userKey, 0);
    }
}

void RestoreParameters(int product, const wchar_t* userKey)
{
    int index = 0;
    if (QVR_GetCurrentBoostLevelIndex2(product, &index, userKey) == QVR_SUCCESS)
        QVR_SetBoostLevelIndex2(product, index, userKey, 0);
    if (QVR_GetCurrentMidiChannelIndex2(product, &index, userKey) == QVR_SUCCESS)
        QVR_SetMidiChannelIndex2(product, index, userKey, 0);
    if (QVR_GetCurrentMidiKeyModeIndex2(product, &index, userKey) == QVR_SUCCESS)
        QVR_SetMidiKeyModeIndex2(product, index, userKey, 0);
}

}  // namespace

void RestoreUserSettings(int product, const wchar_t* userKey)
{
    // Asked before restoring; the restore runs whatever the answer.
    int partnerActive = 0;
    QVR_GetMixerVantorActiveStatus(product, &partnerActive);
    // Notify flag 0 everywhere: a restore is not a change other programs need to hear of.
    RestoreRouting(product, userKey);
    RestoreParameters(product, userKey);
}

}  // namespace rkx::autosetup
