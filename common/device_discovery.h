// Lists the present audio filter interfaces of the system.
//
// This is the one seam between the product and the platform's device enumeration: when the
// virtual mixer's control device is present (the test rig), its list is used; otherwise the
// system's device-interface enumeration. Callers apply the device path rule and their own
// capacity limits; every interface is reported, whatever its path or length.
#pragma once

#include <windows.h>

namespace rkx {

enum class DiscoverySource {
    VirtualMixer,
    SystemDeviceInterfaces,
};

// Called once per interface in enumeration order; return false to end the walk early.
using AudioFilterVisitor = bool (*)(const wchar_t* path, bool hasRenderAlias, void* context);

// Walks the present KSCATEGORY_AUDIO interfaces. Returns false when the interface list could
// not be obtained at all (nothing was visited).
bool EnumerateAudioFilterInterfaces(AudioFilterVisitor visit, void* context);

// Where the next enumeration will come from.
DiscoverySource ActiveDiscoverySource();

}  // namespace rkx
