// The 100 ms pulse of the highlighted frame over the mixer picture.
#pragma once

namespace config {

constexpr int kBlinkSteps = 10;
// Opacity in percent for each step of the pulse.
inline constexpr int kBlinkOpacity[kBlinkSteps] = {100, 100, 100, 88, 75, 63, 50, 63, 75, 88};

}  // namespace config
