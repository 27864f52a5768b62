#include "pages/asio_page_rules.h"

#include <algorithm>

namespace config::asio_page {

int AcceptedBlockCount(std::optional<DWORD> stored)
{
    return stored && *stored >= 1 && *stored <= static_cast<DWORD>(kStoredMaxBlocks) ? static_cast<int>(*stored)
                                                                                      : kDefaultBlocks;
}

int AcceptedSampleRate(std::optional<DWORD> stored)
{
    return stored && (*stored == 44100 || *stored == 96000) ? static_cast<int>(*stored) : kDefaultRate;
}

int LatencyTenths(int blocks, int rate)
{
    const int hundredHz = rate / 100;
    return hundredHz > 0 ? (blocks * 6400) / hundredHz : 0;
}

int DraggedBlockCount(int startBlocks, int startX, int nowX)
{
    return std::clamp(startBlocks + (nowX - startX) / kKnobPixelsPerBlock, kSliderMinBlocks, kSliderMaxBlocks);
}

int KnobLeft(int blocks) { return 312 + kKnobPixelsPerBlock * blocks; }

bool IsOnKnob(int x, int y, int blocks)
{
    return y >= 386 && y <= 409 && x >= KnobLeft(blocks) && x < KnobLeft(blocks) + 9;
}

bool IsOnStandardButton(int x, int y) { return x >= 206 && x <= 388 && y >= 460 && y <= 484; }

std::wstring FormatIntegers(const std::wstring& pattern, std::initializer_list<int> values)
{
    std::wstring text;
    auto next = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == L'%') {
                text += L'%';
                ++i;
                continue;
            }
            if (pattern[i + 1] == L'd' && next != values.end()) {
                text += std::to_wstring(*next++);
                ++i;
                continue;
            }
        }
        text += pattern[i];
    }
    return text;
}

}  // namespace config::asio_page
