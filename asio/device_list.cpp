#include "asio/device_list.h"

#include <windows.h>

#include <cwchar>

#include "common/device_discovery.h"
#include "common/mixer_requests.h"

namespace rkx::asio {
namespace {

bool VisitInterface(const wchar_t* path, bool hasRenderAlias, void* context)
{
    auto& list = *static_cast<PathList*>(context);
    if (list.count >= kMaxPins) return false;
    if (!hasRenderAlias || std::wcsstr(path, RKX_PATH_DEVICE_TAG) == nullptr ||
        std::wcsstr(path, RKX_PATH_STREAM_REFERENCE) == nullptr) {
        return true;
    }
    // Paths are ASCII; at most 259 characters are kept.
    wchar_t cut[kPathBytes];
    std::wcsncpy(cut, path, kPathBytes - 1);
    cut[kPathBytes - 1] = L'\0';
    char* target = list.path[list.count];
    if (WideCharToMultiByte(CP_ACP, 0, cut, -1, target, kPathBytes, nullptr, nullptr) == 0) return true;
    target[kPathBytes - 1] = '\0';
    ++list.count;
    return true;
}

}  // namespace

bool CollectMixerPaths(PathList& list)
{
    list.count = 0;
    return rkx::EnumerateAudioFilterInterfaces(VisitInterface, &list);
}

}  // namespace rkx::asio
