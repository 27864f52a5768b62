// The host's double buffers as IASIO hands them out: channel info, creation and disposal.
#include <cstdio>

#include "asio/copy_timing.h"
#include "asio/mmp_asio.h"
#include "common/mixer_requests.h"

namespace rkx::asio {

ASIOError MMPAsio::getChannelInfo(ASIOChannelInfo* info)
{
    if (info == nullptr) return ASE_InvalidParameter;
    const long channel = info->channel;
    if (channel < 0 || channel >= kMaxChannels) return ASE_InvalidParameter;
    const bool isInput = info->isInput != ASIOFalse;
    info->type = ASIOSTInt32LSB;
    info->channelGroup = 0;
    info->isActive = engine_.IsActive(channel, isInput) ? ASIOTrue : ASIOFalse;
    const char* direction = isInput ? "IN" : "OUT";
    if (engine_.PinCount() <= 1) {
        std::snprintf(info->name, sizeof(info->name), "RKX-T2 %s %ld", direction, channel + 1);
    } else {
        std::snprintf(info->name, sizeof(info->name), "RKX-T2 %s %ld(%ld)", direction,
                      channel % kChannelsPerPin + 1, channel / kChannelsPerPin + 1);
    }
    return ASE_OK;
}

ASIOError MMPAsio::createBuffers(ASIOBufferInfo* bufferInfos, long numChannels, long bufferSize,
                                 ASIOCallbacks* hostCallbacks)
{
    // Refused before anything changes: nothing to allocate from, or nothing sane to allocate.
    if (numChannels < 0 || (numChannels > 0 && bufferInfos == nullptr) || hostCallbacks == nullptr) {
        return ASE_InvalidParameter;
    }
    if (bufferSize < 1) return ASE_InvalidParameter;
    // The mixer streams only whole steps of 64 frames up to 4096: another size would give a
    // stream that never moves.
    if (bufferSize > long(RKX_MAX_BLOCK_FRAMES) || bufferSize % long(RKX_FRAME_STEP) != 0) return ASE_InvalidMode;
    // Buffers handed out earlier are replaced; the thread must not be streaming from them.
    if (engine_.HasHostBuffers()) disposeBuffers();

    engine_.SetBufferFrames(int32_t(bufferSize));
    engine_.copyTiming() = BeginCopyTiming();
    bool allocationFailed = false;
    for (long i = 0; i < numChannels; ++i) {
        ASIOBufferInfo& info = bufferInfos[i];
        int32_t* halves[2] = {};
        const AddBufferResult added = engine_.AddHostBuffer(info.isInput != ASIOFalse, int32_t(info.channelNum), halves);
        if (added == AddBufferResult::InvalidChannel || added == AddBufferResult::TableFull) {
            disposeBuffers();
            return ASE_InvalidParameter;
        }
        allocationFailed = allocationFailed || added == AddBufferResult::NoMemory;
        info.buffers[0] = halves[0];
        info.buffers[1] = halves[1];
    }

    callbackCopy = *hostCallbacks;
    callbacks = &callbackCopy;
    timeInfoMode = callbackCopy.asioMessage != nullptr &&
                   callbackCopy.asioMessage(kAsioSupportsTimeInfo, 0, nullptr, nullptr) != 0;
    if (timeInfoMode) {
        asioTime = ASIOTime{};
        asioTime.timeInfo.speed = 1.0;
        asioTime.timeInfo.sampleRate = kSampleRate;
        asioTime.timeInfo.flags = kSystemTimeValid | kSamplePositionValid | kSampleRateValid;
        asioTime.timeCode.speed = 1.0;
        asioTime.timeCode.flags = kTcValid | kTcRunning;
    }
    if (allocationFailed) {
        disposeBuffers();
        return ASE_NoMemory;
    }
    return ASE_OK;
}

ASIOError MMPAsio::disposeBuffers()
{
    // The thread ends first (even one that outlived stop's limit): until then it may call
    // the host through the callbacks and copy from the host's buffers.
    stop();
    // Called from the host's own callback: the thread ends after this pass, and the buffers
    // go with the next createBuffers, disposeBuffers or release.
    if (engine_.OnBufferThread()) return ASE_OK;
    engine_.AwaitAbandonedThread();
    callbacks = nullptr;
    WriteCopyTiming(engine_.copyTiming());
    engine_.copyTiming() = CopyTiming{};
    engine_.ClosePins();
    engine_.FreeHostBuffers();
    return ASE_OK;
}

}  // namespace rkx::asio
