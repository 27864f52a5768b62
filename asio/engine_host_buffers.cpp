// The host's double buffers and the strided copies between them and the pins' blocks.
#include <new>

#include "asio/stream_engine.h"

namespace rkx::asio {
namespace {

constexpr char kInputMissingText[] = "MMPAsio::input(): src == NULL || dst == NULL\n";
constexpr char kOutputMissingText[] = "MMPAsio::output(): src == NULL || dst == NULL\n";

}  // namespace

AddBufferResult StreamEngine::AddHostBuffer(bool isInput, int32_t channel, int32_t* halves[2])
{
    halves[0] = halves[1] = nullptr;
    if (channel < 0 || channel >= kMaxChannels) return AddBufferResult::InvalidChannel;
    const Direction d = isInput ? kIn : kOut;
    if (count_[d] >= kMaxChannels) return AddBufferResult::TableFull;
    int32_t* pair = new (std::nothrow) int32_t[size_t(bufferFrames_) * 2]();
    channels_[d][count_[d]] = channel;
    buffers_[d][count_[d]] = pair;
    ++count_[d];
    if (pair == nullptr) return AddBufferResult::NoMemory;
    halves[0] = pair;
    halves[1] = pair + bufferFrames_;
    return AddBufferResult::Ok;
}

void StreamEngine::FreeHostBuffers()
{
    for (Direction d : {kOut, kIn}) {
        for (int j = 0; j < count_[d]; ++j) {
            delete[] buffers_[d][j];
            buffers_[d][j] = nullptr;
        }
        count_[d] = 0;
    }
}

bool StreamEngine::IsActive(int32_t channel, bool isInput) const
{
    const Direction d = isInput ? kIn : kOut;
    for (int j = 0; j < count_[d]; ++j) {
        if (channels_[d][j] == channel) return true;
    }
    return false;
}

// Buffer thread only: one strided loop, nothing allocated.
void StreamEngine::input(int j, int h)
{
    if (!running_.load()) return;
    const int n = channels_[kIn][j];
    const int p = n / kChannelsPerPin;
    const int c = n % kChannelsPerPin;
    if (p >= pinCount_) return;
    const int32_t* src = SlotOf(kIn, p, h).block;
    int32_t* dst = buffers_[kIn][j] == nullptr ? nullptr : buffers_[kIn][j] + size_t(h) * size_t(bufferFrames_);
    if (src == nullptr || dst == nullptr) {
        threads_.DebugText(kInputMissingText);
        return;
    }
    for (int32_t i = 0; i < bufferFrames_; ++i) dst[i] = src[kChannelsPerPin * i + c];
}

void StreamEngine::output(int j, int h, int k)
{
    if (!running_.load()) return;
    const int n = channels_[kOut][j];
    const int p = n / kChannelsPerPin;
    const int c = n % kChannelsPerPin;
    if (p >= pinCount_) return;
    const int32_t* src = buffers_[kOut][j] == nullptr ? nullptr : buffers_[kOut][j] + size_t(h) * size_t(bufferFrames_);
    int32_t* dst = SlotOf(kOut, p, k).block;
    if (src == nullptr || dst == nullptr) {
        threads_.DebugText(kOutputMissingText);
        return;
    }
    for (int32_t i = 0; i < bufferFrames_; ++i) dst[kChannelsPerPin * i + c] = src[i];
}

// The copies of one half, timed while diagnostics are on.
void StreamEngine::CopyInputs(int h)
{
    const uint64_t started = copyTiming_.Start();
    for (int j = 0; j < count_[kIn]; ++j) input(j, h);
    copyTiming_.Stop(started);
}

void StreamEngine::CopyOutputs(int h, int k)
{
    const uint64_t started = copyTiming_.Start();
    for (int j = 0; j < count_[kOut]; ++j) output(j, h, k);
    copyTiming_.Stop(started);
    copyTiming_.EndSwitch();
}

}  // namespace rkx::asio
