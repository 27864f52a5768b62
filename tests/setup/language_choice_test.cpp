// Which string table the routing warning comes from.
#include <gtest/gtest.h>

#include "setup/warning_text.h"

namespace rkx::setup {
namespace {

TEST(WarningLanguage, InstalledLanguageMapsByPrimaryLanguage)
{
    const struct {
        uint32_t installLanguage;
        LANGID table;
    } kCases[] = {
        {9, 1033},      {1033, 1033},   {3081, 1033},   {1031, 1031},  {2055, 1031},  {3082, 3082}, {1034, 3082},
        {1036, 1036},   {3084, 1036},   {1040, 1040},   {1041, 1041},  {1042, 1042},  {1043, 1043}, {2070, 2070},
        {1046, 2070},   {1049, 1049},   {2052, 2052},   {1028, 1028},  {3076, 3076},  {0, 1033},    {1053, 1033},
        // Bits above the primary language that are not a sublanguage still choose by primary language.
        {0x10407, 1031}, {0xFFFFFFFF, 1033},
    };
    for (const auto& c : kCases) EXPECT_EQ(InstalledLanguage(c.installLanguage), c.table) << c.installLanguage;
}

TEST(WarningLanguage, ArgumentZeroToElevenOverridesTheInstalledLanguage)
{
    const LANGID kByArgument[] = {1033, 1041, 1036, 1031, 1040, 1043, 3082, 1049, 2070, 2052, 1028, 1042};
    for (int argument = 0; argument < 12; ++argument)
        EXPECT_EQ(WarningLanguage(argument, 1031), kByArgument[argument]) << argument;
    for (int argument : {-1, 12, 99, 0x7FFFFFFF, static_cast<int>(0x80000000)})
        EXPECT_EQ(WarningLanguage(argument, 1049), 1049) << argument;
}

}  // namespace
}  // namespace rkx::setup
