#include "virtualmixer/client/mixer_paths.h"

namespace rkx::vmix {

const char* const kAnalogSourceNames[VMIX_ANALOG_SOURCE_COUNT] = {
    "ch1-phono", "ch1-line", "ch2-phono", "ch2-line", "mic", "aux-line",
};

std::wstring MixerStreamPath(const std::vector<InterfaceInfo>& interfaces, uint32_t mixer)
{
    for (const InterfaceInfo& entry : interfaces) {
        if (entry.decoy() || entry.mixer != static_cast<int32_t>(mixer)) continue;
        if (entry.path.find(RKX_PATH_DEVICE_TAG) == std::wstring::npos) continue;
        if (entry.path.find(RKX_PATH_STREAM_REFERENCE) == std::wstring::npos) continue;
        return entry.path;
    }
    return {};
}

std::string ToPrintable(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text) out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace rkx::vmix
