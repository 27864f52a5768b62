// Writes a user's remembered mixer settings back into the mixer through the setup library.
#pragma once

namespace rkx::autosetup {

// Every stored routing and parameter of the user named by `userKey`, sent without announcing.
void RestoreUserSettings(int product, const wchar_t* userKey);

}  // namespace rkx::autosetup
