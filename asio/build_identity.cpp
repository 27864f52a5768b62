#include "asio/build_identity.h"

#include "common/diagnostics.h"
#include "common/package_names.h"

namespace rkx::asio {
namespace {

#ifdef _WIN64
constexpr BuildIdentity kBuild = {
    "RKX-T2_ASIO64.DLL",
    {0x5A3C9E21, 0x7B4D, 0x4F08, {0x9C, 0x62, 0x1D, 0x8E, 0x0B, 0x7A, 0x4F, 0x35}},
    names::kAsio64DriverName,
    names::kAsio64KeyName,
    "Apartment",
    "RKX-T2 ASIO 64bit Driver open Failure!",
    names::kAsio64StreamingMutex,
    // The utility's command line lives in the 32-bit registry view.
    names::kSettingsKeyPath32View,
    diagnostics::kAsio64CopyTimingFile,
};
#else
constexpr BuildIdentity kBuild = {
    "RKX-T2_ASIO.DLL",
    {0x2E7F4B90, 0xC1A6, 0x4D3E, {0x8B, 0x25, 0x6F, 0x09, 0xD4, 0xC8, 0xA1, 0x72}},
    names::kAsio32DriverName,
    names::kAsio32KeyName,
    "Apartment",
    "RKX-T2 ASIO Driver open Failure!",
    names::kAsio32StreamingMutex,
    names::kSettingsKeyPath,
    diagnostics::kAsio32CopyTimingFile,
};
#endif

}  // namespace

const BuildIdentity& Build() { return kBuild; }

}  // namespace rkx::asio
