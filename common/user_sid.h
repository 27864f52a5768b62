// The user key that names a user's hive under HKEY_USERS. Only the canonical text of an
// account's security identifier is taken: a local or domain account ("S-1-5-21-" and four
// numbers) or a cloud account ("S-1-12-1-" and four numbers). Anything else - ".DEFAULT",
// the system's own accounts such as "S-1-5-18", a path below a hive, a "_Classes" hive -
// would make another profile, or no profile at all, the settings root.
#pragma once

namespace rkx {

// True for "S-1-5-21-a-b-c-d" and "S-1-12-1-a-b-c-d" with a..d decimal 32-bit numbers written
// without sign or leading zeros. Null is no user SID.
bool IsUserSid(const wchar_t* text);

}  // namespace rkx
