#include "dialog/certify_state.h"

namespace config {

void ApplyCertifyReading(CertifyState& certify, bool connected, int result, int level)
{
    if (!connected || result != 100) {
        certify.state = kCertifyUndetermined;
        return;
    }
    if (level != 0) {
        certify.zeroReadings = 0;
        if (level != kCertifyUndetermined) certify.state = level & 1;
        return;
    }
    if (certify.zeroReadings < kZeroReadingsToAccept) {
        ++certify.zeroReadings;
        return;
    }
    certify.state = 0;
    certify.zeroReadings = 0;
}

}  // namespace config
