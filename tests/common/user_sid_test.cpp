// The user-key rule shared by the setup library, the settings utility and rkxsetup: only an
// account's canonical SID names a settings root under HKEY_USERS.
#include <gtest/gtest.h>

#include <string>

#include "common/user_sid.h"

namespace {

TEST(UserSid, AccountIdentifiersInCanonicalFormAreTaken)
{
    for (const wchar_t* sid : {L"S-1-5-21-0-0-0-1000", L"S-1-5-21-1004336348-1177238915-682003330-512",
                               L"S-1-5-21-4294967295-4294967295-4294967295-4294967295", L"S-1-12-1-1-2-3-4"})
        EXPECT_TRUE(rkx::IsUserSid(sid)) << std::wstring(sid).size();
}

TEST(UserSid, OtherProfilesPathsAndMalformedTextsAreRefused)
{
    const wchar_t* const kRefused[] = {
        // other profiles: the default one, the system's own accounts, a well-known group
        L".DEFAULT", L"S-1-5-18", L"S-1-5-19", L"S-1-5-20", L"S-1-1-0", L"S-1-5-32-544",
        // a path below or beside a hive
        L"S-1-5-21-0-0-0-1000\\Software", L"S-1-5-21-0-0-0-1000_Classes", L"..\\S-1-5-21-0-0-0-1000",
        L"S-1-5-21-0-0-0-1000\\", L"\\S-1-5-21-0-0-0-1000",
        // the wrong number of parts, or parts that are no canonical 32-bit numbers
        L"", L"S-1-5-21", L"S-1-5-21-", L"S-1-5-21-1-2-3", L"S-1-5-21-1-2-3-", L"S-1-5-21-1-2-3-4-5",
        L"S-1-5-21-1--3-4", L"S-1-5-21-01-2-3-4", L"S-1-5-21-1-2-3-4294967296", L"S-1-5-21-+1-2-3-4",
        L"S-1-5-21-0x1-2-3-4", L"S-1-5-21-1-2-3-4 ", L" S-1-5-21-1-2-3-4", L"s-1-5-21-1-2-3-4",
        L"S-1-5-21-99999999999999999999-2-3-4", L"S-2-5-21-1-2-3-4", L"S-1-12-2-1-2-3-4",
    };
    for (const wchar_t* text : kRefused) EXPECT_FALSE(rkx::IsUserSid(text)) << (&text - kRefused);
    EXPECT_FALSE(rkx::IsUserSid(nullptr));
    EXPECT_FALSE(rkx::IsUserSid(std::wstring(70000, L'1').c_str()));
}

}  // namespace
