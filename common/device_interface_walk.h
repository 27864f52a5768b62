// The walk over the system's device interfaces behind EnumerateAudioFilterInterfaces, with the
// platform functions it calls gathered in one table so that tests can stand in for them.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <memory>

#include "common/device_discovery.h"

namespace rkx {

struct DeviceInterfaceFunctions {
    decltype(&SetupDiGetClassDevsW) getClassDevs = nullptr;
    decltype(&SetupDiEnumDeviceInterfaces) enumInterfaces = nullptr;
    decltype(&SetupDiGetDeviceInterfaceDetailW) interfaceDetail = nullptr;
    // Null where asking would end the process (Wine exports it as an aborting stub): then no
    // interface has a render alias.
    decltype(&SetupDiGetDeviceInterfaceAlias) interfaceAlias = nullptr;
    decltype(&SetupDiDestroyDeviceInfoList) destroyList = nullptr;
    // Memory for one interface's detail record; null when it cannot be had.
    std::unique_ptr<BYTE[]> (*allocate)(DWORD bytes) = nullptr;
};

// The system's own functions.
DeviceInterfaceFunctions SystemDeviceInterfaceFunctions();

// Visits the present KSCATEGORY_AUDIO interfaces in enumeration order. An interface whose
// path cannot be read is passed over. False when the list cannot be obtained, or when the
// walk had to end before its end for want of memory: what was visited then is not the whole.
bool WalkDeviceInterfaces(const DeviceInterfaceFunctions& functions, AudioFilterVisitor visit, void* context);

}  // namespace rkx
