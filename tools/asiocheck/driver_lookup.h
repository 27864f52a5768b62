// Finds an ASIO driver by its name in the registry's driver list and creates it as hosts do.
#pragma once

#include <windows.h>

#include <string>

#include "asio/iasio.h"

namespace asiocheck {

// The class id listed under HKLM\SOFTWARE\ASIO\<name>; false with a reason.
bool FindDriverClassId(const std::string& name, CLSID& classId, std::string& error);

// CoCreateInstance with the class id as interface id; null with a reason.
IASIO* CreateDriver(const CLSID& classId, std::string& error);

}  // namespace asiocheck
