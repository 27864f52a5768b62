// The host-side list of installed ASIO drivers: every driver listed under "software\asio"
// whose COM class is registered with a server file that exists, in registry order.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <vector>

namespace config {

// Where the list and the COM classes are read. The system's places unless a test points
// them at keys of its own.
struct AsioRegistryPlaces {
    HKEY listRoot;
    const char* listPath;
    HKEY classRoot;
    const char* classPath;
};
AsioRegistryPlaces SystemAsioPlaces();

constexpr int kAsioServerPathBytes = 512;
constexpr int kAsioDriverNameBytes = 128;  // 127 characters and the terminator

struct AsioDriverEntry {
    long number = 0;
    CLSID classId{};  // all zero when the listed text does not parse
    char serverPath[kAsioServerPathBytes] = {};
    char name[kAsioDriverNameBytes] = {};
    IUnknown* object = nullptr;  // the created driver while it is loaded
};

// Results of GetDriverName.
constexpr long kAsioNoBuffer = -5001;
constexpr long kAsioAlreadyCreated = -5002;
constexpr long kAsioNoSuchEntry = -5003;

class AsioDriverList {
public:
    explicit AsioDriverList(const AsioRegistryPlaces& places = SystemAsioPlaces());
    // Releases every object still held; ends this thread's COM use when the list started it.
    virtual ~AsioDriverList();
    AsioDriverList(const AsioDriverList&) = delete;
    AsioDriverList& operator=(const AsioDriverList&) = delete;

    long count() const { return static_cast<long>(entries_.size()); }
    // Entry `number`'s name; a name of `size` bytes or more comes back as its first size - 4
    // bytes followed by "..." (always terminated).
    long GetDriverName(long number, char* buffer, int size) const;

protected:
    AsioDriverEntry* EntryOf(long number);

    std::vector<AsioDriverEntry> entries_;

private:
    bool comStarted_ = false;
};

}  // namespace config
