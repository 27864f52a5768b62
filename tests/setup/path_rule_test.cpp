// Which device interface paths are a mixer's control filter.
#include <gtest/gtest.h>

#include "setup/mixer_paths.h"

#include <memory>
#include <string>

namespace rkx::setup {
namespace {

TEST(PathRule, ControlFilterNeedsTheDeviceTagAndWave1ConnectionAlsoAcceptsGlobal)
{
    const struct {
        const wchar_t* path;
        bool control;
        bool connection;
    } kCases[] = {
        {L"\\\\?\\usb#vid_3c1a&pid_0052&mi_00#7&1&0#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\wave1", true, true},
        {L"\\\\?\\usb#vid_3c1a&pid_0052&mi_00#7&1&0#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\global", false, true},
        {L"\\\\?\\usb#vid_3c1a&pid_0052&mi_00#7&1&0#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\wave2", false, false},
        {L"\\\\?\\USB#VID_3C1A&PID_0052&MI_00#7&1&0#{6994AD04-93EF-11D0-A3CC-00A0C9223196}\\WAVE1", false, false},
        {L"\\\\?\\usb#vid_1a2b&pid_0001&mi_00#7&1&0#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\wave1", false, false},
        {L"\\\\?\\usb#vid_3c1a&pid_0052&mi_01#7&1&0#{6994ad04-93ef-11d0-a3cc-00a0c9223196}\\wave1", false, false},
        {L"", false, false},
        {nullptr, false, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(&c - kCases);
        EXPECT_EQ(IsControlFilterPath(c.path), c.control);
        EXPECT_EQ(IsConnectionPath(c.path), c.connection);
    }
}

const std::wstring kPrefix = L"\\\\?\\usb#vid_3c1a&pid_0052&mi_00#";
const std::wstring kSuffix = L"\\wave1";

std::wstring PathOfLength(size_t length)
{
    return kPrefix + std::wstring(length - kPrefix.size() - kSuffix.size(), L'7') + kSuffix;
}

TEST(PathTable, PathsUpTo259CharactersAreKeptLongerOnesSkippedNeverCut)
{
    auto table = std::make_unique<MixerPaths>();
    const struct {
        size_t length;
        bool alias;
        size_t countAfter;
    } kCases[] = {{259, true, 1}, {260, true, 1}, {100000, true, 1}, {80, false, 1}, {80, true, 2}};
    for (const auto& c : kCases) {
        const std::wstring path = PathOfLength(c.length);
        EXPECT_TRUE(CollectPath(*table, path.c_str(), c.alias)) << c.length;
        EXPECT_EQ(table->count, c.countAfter) << c.length;
    }
    EXPECT_EQ(std::wstring(table->path[0]), PathOfLength(259));
    EXPECT_EQ(std::wstring(table->path[1]), PathOfLength(80));
}

TEST(PathTable, TableHoldsAtMost128PathsInOrder)
{
    auto table = std::make_unique<MixerPaths>();
    for (size_t i = 0; i < 127; ++i) EXPECT_TRUE(CollectPath(*table, PathOfLength(60 + i).c_str(), true)) << i;
    EXPECT_FALSE(CollectPath(*table, PathOfLength(200).c_str(), true));  // the 128th fills it
    EXPECT_FALSE(CollectPath(*table, PathOfLength(201).c_str(), true));
    EXPECT_EQ(table->count, 128u);
    EXPECT_EQ(std::wstring(table->path[0]), PathOfLength(60));
    EXPECT_EQ(std::wstring(table->path[127]), PathOfLength(200));
}

}  // namespace
}  // namespace rkx::setup
