#include "asio_drivers/asio_drivers.h"

#include <objbase.h>

#include <algorithm>
#include <cstring>

namespace config {
namespace {

// Names are compared in the form GetDriverName gives for a 64-byte buffer.
constexpr int kComparedNameBytes = 64;

}  // namespace

bool AsioDrivers::IsLoaded(long number) const
{
    return std::any_of(loaded_.begin(), loaded_.end(), [&](const LoadedDriver& d) { return d.number == number; });
}

long AsioDrivers::FindAndCreateDriver(const char* name)
{
    if (name == nullptr) return -1;
    char listed[kComparedNameBytes];
    for (const LoadedDriver& driver : loaded_)
        if (GetDriverName(driver.number, listed, sizeof listed) == 0 && std::strcmp(listed, name) == 0) return -1;

    for (AsioDriverEntry& entry : entries_) {
        if (GetDriverName(entry.number, listed, sizeof listed) != 0 || std::strcmp(listed, name) != 0) continue;
        if (entry.object != nullptr) continue;  // kAsioAlreadyCreated: try the next entry
        void* object = nullptr;
        // Drivers answer their own class id as the interface id.
        if (FAILED(CoCreateInstance(entry.classId, nullptr, CLSCTX_INPROC_SERVER, entry.classId, &object)) ||
            object == nullptr)
            continue;
        entry.object = static_cast<IUnknown*>(object);
        loaded_.push_back({entry.number, entry.object});
        mostRecent_ = entry.object;
        return entry.number;
    }
    return -1;
}

void AsioDrivers::ReleaseDriver(long number)
{
    const auto found =
        std::find_if(loaded_.begin(), loaded_.end(), [&](const LoadedDriver& d) { return d.number == number; });
    if (found == loaded_.end()) return;
    if (AsioDriverEntry* entry = EntryOf(number); entry != nullptr && entry->object == found->object)
        entry->object = nullptr;
    if (mostRecent_ == found->object) mostRecent_ = nullptr;
    found->object->Release();
    loaded_.erase(found);
}

AsioDrivers& InstalledAsioDrivers()
{
    static AsioDrivers drivers;
    return drivers;
}

bool OwnAsioDriverInstalled()
{
    AsioDrivers& drivers = InstalledAsioDrivers();
    const long number = drivers.FindAndCreateDriver(kOwnAsioDriverName);
    if (number < 0) return false;
    drivers.ReleaseDriver(number);
    return true;
}

}  // namespace config
