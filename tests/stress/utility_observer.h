// What the settings utility and the auto-setup service make of the registry, seen from
// outside, for the registry garbage suite.
#pragma once

#include <windows.h>

#include <string>

namespace rkx::stress {

// Starts the settings utility as a user does and waits for its painted window; after
// `settleMs` more, tells where the window is, which tab shows and whether it was made topmost:
//   "tab 0 at (0,0)", "tab 2 at (40,20) topmost", "tab unseen, at (1279,0)" (its tab strip is
//   off the screen), "... off the desktop", "no window", "ended with 0x..."
// With `tab` >= 0 "Tab" holds that tab during the start. The utility is ended from outside,
// so it saves nothing over what the registry holds.
std::string UtilityWindow(DWORD settleMs, int tab = -1);
// True for an outcome with a painted window of which some part lies on the desktop.
bool UtilityWindowOnDesktop(const std::string& outcome);

// The running auto-setup service (started when needed) told of an unplug and a plug-in with
// the mixer asking for the utility: "running" when it took both and still runs.
std::string ServiceAfterPlugIn();
void StopServiceAfterObservation();

}  // namespace rkx::stress
