// One buffer switch of the engine, as the host's bufferSwitch or bufferSwitchTimeInfo.
#include "asio/mmp_asio.h"

namespace rkx::asio {

// Buffer thread only. The callbacks stay in place while the thread exists.
void MMPAsio::SwitchHost(int half, uint64_t position, uint64_t systemTimeNs)
{
    samplePosition = position;
    systemTime = systemTimeNs;
    const ASIOCallbacks* host = callbacks;
    if (host == nullptr) return;
    if (!timeInfoMode) {
        if (host->bufferSwitch != nullptr) host->bufferSwitch(half, ASIOFalse);
        return;
    }
    getSamplePosition(&asioTime.timeInfo.samplePosition, &asioTime.timeInfo.systemTime);
    asioTime.timeInfo.flags |= pendingTimeFlags.exchange(0);
    if (timeCodeRead) {
        // 600 seconds ahead, in 64 bits in both builds.
        asioTime.timeCode.timeCodeSamples = AsioSamplesOf(position + 48000u * 600u);
    }
    if (host->bufferSwitchTimeInfo != nullptr) host->bufferSwitchTimeInfo(&asioTime, half, ASIOFalse);
    // A change flagged by setClockSource is reported in exactly one call.
    asioTime.timeInfo.flags &= ~static_cast<unsigned long>(kSampleRateChanged | kClockSourceChanged);
}

}  // namespace rkx::asio
