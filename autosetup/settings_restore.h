// Writes the console user's remembered mixer settings back into the mixer.
#pragma once

namespace rkx::autosetup {

// True when the console user's token was available and the restore ran. Remembers the
// console session as handled and the user's identifier as the user key.
bool RestoreUserSettings();

}  // namespace rkx::autosetup
