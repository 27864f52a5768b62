// The service's work on the system's own operations: console users, the setup library, the
// mixer's launch question (ended by the stop signal) and process creation.
#pragma once

#include "autosetup/console_work.h"

namespace rkx::autosetup {

const ServiceWork& SystemServiceWork();

}  // namespace rkx::autosetup
