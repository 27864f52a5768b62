// The installed ASIO drivers with the means to create one by name and release it again. The
// utility uses it only to learn whether its own driver can really be created.
#pragma once

#include "asio_drivers/asio_driver_list.h"
#include "common/package_names.h"

#include <vector>

namespace config {

class AsioDrivers : public AsioDriverList {
public:
    using AsioDriverList::AsioDriverList;
    ~AsioDrivers() override = default;

    // Creates the first listed driver of exactly this name that can be created; its entry
    // number, or -1 (none, or a driver of that name is loaded already).
    long FindAndCreateDriver(const char* name);
    // Releases the loaded driver of entry `number`; other numbers are ignored.
    void ReleaseDriver(long number);

    bool IsLoaded(long number) const;

private:
    struct LoadedDriver {
        long number;
        IUnknown* object;
    };
    std::vector<LoadedDriver> loaded_;
    IUnknown* mostRecent_ = nullptr;
};

// The process-wide list, built on the first call (on the user-interface thread) and kept to
// the end of the process.
AsioDrivers& InstalledAsioDrivers();

// The name this build of the utility checks for: the driver build it can load in-process.
#if defined(_WIN64)
inline constexpr const char* kOwnAsioDriverName = rkx::names::kAsio64DriverName;
#else
inline constexpr const char* kOwnAsioDriverName = rkx::names::kAsio32DriverName;
#endif

// True when the utility's own ASIO driver is listed and can be created; the object made for
// the check is released at once.
bool OwnAsioDriverInstalled();

}  // namespace config
