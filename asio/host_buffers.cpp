// The host's double buffers: creation, disposal, channel info and the strided copies.
#include <cstdio>
#include <new>

#include "asio/mmp_asio.h"

namespace rkx::asio {

ASIOError MMPAsio::getChannelInfo(ASIOChannelInfo* info)
{
    if (info == nullptr) return ASE_InvalidParameter;
    const long channel = info->channel;
    if (channel < 0 || channel >= kMaxChannels) return ASE_InvalidParameter;
    const bool isInput = info->isInput != ASIOFalse;
    info->type = ASIOSTInt32LSB;
    info->channelGroup = 0;
    info->isActive = IsActive(channel, isInput) ? ASIOTrue : ASIOFalse;
    const char* direction = isInput ? "IN" : "OUT";
    if (pinCount <= 1) {
        std::snprintf(info->name, sizeof(info->name), "RKX-T2 %s %ld", direction, channel + 1);
    } else {
        std::snprintf(info->name, sizeof(info->name), "RKX-T2 %s %ld(%ld)", direction,
                      channel % kChannelsPerPin + 1, channel / kChannelsPerPin + 1);
    }
    return ASE_OK;
}

bool MMPAsio::IsActive(long channel, bool isInput) const
{
    const int32_t* table = isInput ? inputChannels : outputChannels;
    const int count = isInput ? inputCount : outputCount;
    for (int j = 0; j < count; ++j) {
        if (table[j] == channel) return true;
    }
    return false;
}

void MMPAsio::FreeHostBuffers()
{
    for (int j = 0; j < inputCount; ++j) {
        delete[] inputBuffers[j];
        inputBuffers[j] = nullptr;
    }
    for (int j = 0; j < outputCount; ++j) {
        delete[] outputBuffers[j];
        outputBuffers[j] = nullptr;
    }
    inputCount = 0;
    outputCount = 0;
}

ASIOError MMPAsio::createBuffers(ASIOBufferInfo* bufferInfos, long numChannels, long bufferSize,
                                 ASIOCallbacks* hostCallbacks)
{
    // Refused before anything changes: nothing to allocate from, or nothing sane to allocate.
    if (numChannels < 0 || (numChannels > 0 && bufferInfos == nullptr) || hostCallbacks == nullptr) {
        return ASE_InvalidParameter;
    }
    if (bufferSize < 1 || bufferSize > kMaxBufferFrames) return ASE_InvalidParameter;
    // Buffers handed out earlier are replaced; the thread must not be streaming from them.
    if (inputCount != 0 || outputCount != 0) disposeBuffers();

    bufferFrames = bufferSize;
    inputCount = 0;
    outputCount = 0;
    copyTiming = BeginCopyTiming();
    bool allocationFailed = false;
    for (long i = 0; i < numChannels; ++i) {
        ASIOBufferInfo& info = bufferInfos[i];
        const bool isInput = info.isInput != ASIOFalse;
        int& count = isInput ? inputCount : outputCount;
        if (info.channelNum < 0 || info.channelNum >= kMaxChannels || count >= kMaxChannels) {
            disposeBuffers();
            return ASE_InvalidParameter;
        }
        int32_t*& pair = isInput ? inputBuffers[count] : outputBuffers[count];
        (isInput ? inputChannels : outputChannels)[count] = info.channelNum;
        pair = new (std::nothrow) int32_t[size_t(bufferSize) * 2]();
        ++count;
        if (pair == nullptr) {
            allocationFailed = true;
            info.buffers[0] = info.buffers[1] = nullptr;
        } else {
            info.buffers[0] = pair;
            info.buffers[1] = pair + bufferSize;
        }
    }

    {
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
    }
    if (allocationFailed) {
        disposeBuffers();
        return ASE_NoMemory;
    }
    return ASE_OK;
}

ASIOError MMPAsio::disposeBuffers()
{
    callbacks = nullptr;
    stop();
    // A thread that outlived stop's limit may still read the host buffers.
    AwaitAbandonedBufferThread();
    WriteCopyTiming(copyTiming);
    copyTiming = CopyTiming{};
    ClosePins();
    FreeHostBuffers();
    return ASE_OK;
}

// Buffer thread only: one strided loop, nothing allocated.
void MMPAsio::input(int j, int h)
{
    if (!running_) return;
    const int n = inputChannels[j];
    const int p = n / kChannelsPerPin;
    const int c = n % kChannelsPerPin;
    if (p >= pinCount) return;
    const int32_t* src = inSlot[p * kSlotsPerPin + h].block;
    int32_t* dst = inputBuffers[j] == nullptr ? nullptr : inputBuffers[j] + size_t(h) * bufferFrames;
    if (src == nullptr || dst == nullptr) {
        OutputDebugStringA("MMPAsio::input(): src == NULL || dst == NULL\n");
        return;
    }
    for (long i = 0; i < bufferFrames; ++i) dst[i] = src[kChannelsPerPin * i + c];
}

void MMPAsio::output(int j, int h, int k)
{
    if (!running_) return;
    const int n = outputChannels[j];
    const int p = n / kChannelsPerPin;
    const int c = n % kChannelsPerPin;
    if (p >= pinCount) return;
    const int32_t* src = outputBuffers[j] == nullptr ? nullptr : outputBuffers[j] + size_t(h) * bufferFrames;
    int32_t* dst = outSlot[p * kSlotsPerPin + k].block;
    if (src == nullptr || dst == nullptr) {
        OutputDebugStringA("MMPAsio::output(): src == NULL || dst == NULL\n");
        return;
    }
    for (long i = 0; i < bufferFrames; ++i) dst[kChannelsPerPin * i + c] = src[i];
}

// Buffer thread only: the copies of one half, timed while diagnostics are on.
void MMPAsio::CopyInputs(int h)
{
    const uint64_t started = copyTiming.Start();
    for (int j = 0; j < inputCount; ++j) input(j, h);
    copyTiming.Stop(started);
}

void MMPAsio::CopyOutputs(int h, int k)
{
    const uint64_t started = copyTiming.Start();
    for (int j = 0; j < outputCount; ++j) output(j, h, k);
    copyTiming.Stop(started);
    copyTiming.EndSwitch();
}

}  // namespace rkx::asio
