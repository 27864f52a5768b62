// The mixer's certify state as the window shows it. A level of 0 takes effect only after 50
// consecutive readings, so a brief dropout does not unlock the routing page.
#pragma once

namespace config {

constexpr int kCertifyUndetermined = -2;
constexpr int kZeroReadingsToAccept = 50;

struct CertifyState {
    int state = kCertifyUndetermined;
    int zeroReadings = 0;
};

// One reading: `result` and `level` are what QVR_GetMixerCertifyLevel gave (the level preset to
// -2); a reading while not connected makes the state undetermined.
void ApplyCertifyReading(CertifyState& certify, bool connected, int result, int level);

}  // namespace config
