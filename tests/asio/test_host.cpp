#include "test_host.h"

#include <windows.h>

#include "virtualmixer/client/tone_analysis.h"

namespace rkx::asio::test {

TestHost* TestHost::current_ = nullptr;

TestHost::TestHost()
{
    current_ = this;
    records_.resize(kMaxRecords);
    callbacks_.bufferSwitch = &TestHost::BufferSwitch;
    callbacks_.sampleRateDidChange = &TestHost::SampleRateDidChange;
    callbacks_.asioMessage = &TestHost::AsioMessage;
    callbacks_.bufferSwitchTimeInfo = &TestHost::BufferSwitchTimeInfo;
}

TestHost::~TestHost()
{
    if (current_ == this) current_ = nullptr;
}

ASIOError TestHost::Create(IASIO* driver, const std::vector<HostChannel>& channels, long bufferSize)
{
    driver_ = driver;
    bufferSize_ = bufferSize;
    infos_.clear();
    inputs_.clear();
    for (const HostChannel& c : channels) {
        ASIOBufferInfo info{};
        info.isInput = c.isInput ? ASIOTrue : ASIOFalse;
        info.channelNum = c.channel;
        infos_.push_back(info);
        if (c.isInput) inputs_.emplace_back().reserve(kMaxInputFrames);
    }
    return driver->createBuffers(infos_.data(), long(infos_.size()), bufferSize, &callbacks_);
}

bool TestHost::WaitForSwitches(size_t count, unsigned limitMs) const
{
    const DWORD start = GetTickCount();
    while (switches_.load() < count) {
        if (GetTickCount() - start > limitMs) return false;
        // Keep the window's messages moving: the driver's window belongs to this thread.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(5);
    }
    return true;
}

std::vector<SwitchRecord> TestHost::Records() const
{
    const size_t n = std::min(switches_.load(), kMaxRecords);
    return std::vector<SwitchRecord>(records_.begin(), records_.begin() + long(n));
}

std::vector<int32_t> TestHost::InputOf(size_t j) const { return j < inputs_.size() ? inputs_[j] : std::vector<int32_t>{}; }

void TestHost::BufferSwitch(long half, ASIOBool)
{
    if (current_ != nullptr) current_->OnSwitch(half, nullptr);
}

void TestHost::SampleRateDidChange(ASIOSampleRate) {}

long TestHost::AsioMessage(long selector, long, void*, double*)
{
    if (current_ == nullptr) return 0;
    switch (selector) {
    case kAsioSelectorSupported:
        return 1;
    case kAsioSupportsTimeInfo:
        return current_->supportsTimeInfo ? 1 : 0;
    case kAsioResetRequest:
        ++current_->resetRequests_;
        return 1;
    default:
        return 0;
    }
}

ASIOTime* TestHost::BufferSwitchTimeInfo(ASIOTime* time, long half, ASIOBool)
{
    if (current_ != nullptr) current_->OnSwitch(half, time);
    return nullptr;
}

void TestHost::OnSwitch(long half, const ASIOTime* time)
{
    const size_t index = switches_.load();
    if (index < kMaxRecords) {
        SwitchRecord& r = records_[index];
        r.half = half;
        ASIOSamples position{};
        ASIOTimeStamp stamp{};
        driver_->getSamplePosition(&position, &stamp);
        r.samplePosition = AsioToU64(position);
        r.timeInfo = time != nullptr;
        if (time != nullptr) {
            r.timeInfoPosition = AsioToU64(time->timeInfo.samplePosition);
            r.timeInfoFlags = time->timeInfo.flags;
            r.timeCodeSamples = AsioToU64(time->timeCode.timeCodeSamples);
        }
    }
    const unsigned stall = stallMs.exchange(0);
    if (stall != 0) {
        stallStarted = true;
        Sleep(stall);
    }
    const uint64_t firstFrame = uint64_t(index) * uint64_t(bufferSize_);
    size_t input = 0;
    for (const ASIOBufferInfo& info : infos_) {
        auto* samples = static_cast<int32_t*>(info.buffers[half & 1]);
        if (samples == nullptr) continue;
        if (info.isInput) {
            std::vector<int32_t>& kept = inputs_[input++];
            for (long i = 0; i < bufferSize_ && kept.size() < kept.capacity(); ++i) kept.push_back(samples[i]);
            continue;
        }
        for (long i = 0; i < bufferSize_; ++i) {
            samples[i] = signal == OutputSignal::Ramp ? Ramp(info.channelNum, firstFrame + uint64_t(i))
                                                      : vmix::ToneSample(toneBin, tonePeak, firstFrame + uint64_t(i));
        }
    }
    switches_.store(index + 1);
    if (stall != 0) stallEnded = true;
}

}  // namespace rkx::asio::test
