#include "setup/mixer_paths.h"

#include <cwchar>

#include "common/device_discovery.h"

namespace rkx::setup {

bool IsControlFilterPath(const wchar_t* path)
{
    return path != nullptr && std::wcsstr(path, RKX_PATH_DEVICE_TAG) != nullptr &&
           std::wcsstr(path, RKX_PATH_STREAM_REFERENCE) != nullptr;
}

bool IsConnectionPath(const wchar_t* path)
{
    return path != nullptr && std::wcsstr(path, RKX_PATH_DEVICE_TAG) != nullptr &&
           (std::wcsstr(path, RKX_PATH_STREAM_REFERENCE) != nullptr ||
            std::wcsstr(path, RKX_PATH_GLOBAL_REFERENCE) != nullptr);
}

bool CollectPath(MixerPaths& table, const wchar_t* path, bool hasRenderAlias)
{
    if (table.count >= RKX_MAX_DEVICE_PATHS) return false;
    if (!hasRenderAlias || !IsControlFilterPath(path)) return true;
    // Longer paths would not fit the table's slots; they are skipped, never cut.
    const size_t length = wcsnlen(path, RKX_MAX_PATH_CHARS);
    if (length >= RKX_MAX_PATH_CHARS) return true;
    wmemcpy(table.path[table.count], path, length);
    table.path[table.count][length] = L'\0';
    ++table.count;
    return table.count < RKX_MAX_DEVICE_PATHS;
}

namespace {

bool CollectOne(const wchar_t* path, bool hasRenderAlias, void* context)
{
    return CollectPath(*static_cast<MixerPaths*>(context), path, hasRenderAlias);
}

bool FindConnection(const wchar_t* path, bool hasRenderAlias, void* context)
{
    if (hasRenderAlias && IsConnectionPath(path)) {
        *static_cast<bool*>(context) = true;
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<MixerPaths> CollectMixerPaths()
{
    auto table = std::make_unique<MixerPaths>();
    if (!EnumerateAudioFilterInterfaces(CollectOne, table.get())) table->count = 0;
    return table;
}

bool IsMixerConnected()
{
    bool connected = false;
    EnumerateAudioFilterInterfaces(FindConnection, &connected);
    return connected;
}

}  // namespace rkx::setup
