// With the virtual mixer loaded, discovery reports exactly the rig's interface list, in its
// order and with its render-alias flags, decoys included.
#include <string>
#include <utility>
#include <vector>

#include "../virtualmixer/rig_fixture.h"
#include "common/device_discovery.h"

namespace rkx::vmix::test {
namespace {

using Seen = std::vector<std::pair<std::wstring, bool>>;

Seen Discover(size_t stopAfter = SIZE_MAX)
{
    struct Walk {
        Seen seen;
        size_t stopAfter;
    } walk{{}, stopAfter};
    EXPECT_TRUE(EnumerateAudioFilterInterfaces(
        [](const wchar_t* path, bool renderAlias, void* context) {
            auto& w = *static_cast<Walk*>(context);
            w.seen.emplace_back(path, renderAlias);
            return w.seen.size() < w.stopAfter;
        },
        &walk));
    return walk.seen;
}

class DiscoverySeam : public RigTest {
protected:
    Seen RigList()
    {
        std::vector<InterfaceInfo> interfaces;
        EXPECT_TRUE(rig.ListInterfaces(interfaces));
        Seen seen;
        for (const auto& entry : interfaces) seen.emplace_back(entry.path, entry.renderAlias());
        return seen;
    }
};

TEST_F(DiscoverySeam, ActiveSourceIsTheVirtualMixer)
{
    EXPECT_EQ(ActiveDiscoverySource(), DiscoverySource::VirtualMixer);
}

TEST_F(DiscoverySeam, ReportsTheRigListInOrderForEveryPluggedMixerCount)
{
    for (uint32_t count = 1; count <= VMIX_MAX_MIXERS; ++count) {
        SCOPED_TRACE(std::to_string(count) + " mixer(s)");
        for (uint32_t mixer = 0; mixer < VMIX_MAX_MIXERS; ++mixer) ASSERT_TRUE(rig.SetPlugged(mixer, mixer < count));
        const Seen seen = Discover();
        EXPECT_EQ(seen, RigList());
        size_t mixerPaths = 0;
        for (const auto& [path, alias] : seen) {
            if (path.find(RKX_PATH_DEVICE_TAG) != std::wstring::npos && path.find(L"\\wave1") != std::wstring::npos) {
                ++mixerPaths;
                EXPECT_TRUE(alias) << "a mixer's wave1 filter is also a render interface";
            }
        }
        EXPECT_EQ(mixerPaths, count);
    }
}

TEST_F(DiscoverySeam, DecoysAreReportedWhenEnabledWithTheirOwnAliasFlags)
{
    const size_t plain = Discover().size();
    const struct {
        const char* name;
        uint32_t mask;
        bool alias;
    } kDecoys[] = {
        {"other vendor", VMIX_DECOY_OTHER_VENDOR, true},
        {"no render alias", VMIX_DECOY_NO_RENDER, false},
        {"global reference", VMIX_DECOY_GLOBAL, true},
        {"wave2 reference", VMIX_DECOY_WAVE2, true},
        {"upper case", VMIX_DECOY_UPPER_CASE, true},
    };
    for (const auto& d : kDecoys) {
        SCOPED_TRACE(d.name);
        ASSERT_TRUE(rig.SetDecoys(d.mask));
        std::vector<InterfaceInfo> interfaces;
        ASSERT_TRUE(rig.ListInterfaces(interfaces));
        const Seen seen = Discover();
        ASSERT_EQ(seen.size(), plain + 1);
        EXPECT_EQ(seen, RigList());
        size_t decoys = 0;
        for (const auto& entry : interfaces) {
            if (!entry.decoy()) continue;
            ++decoys;
            EXPECT_EQ(entry.mixer, -1);
            EXPECT_EQ(entry.renderAlias(), d.alias);
        }
        EXPECT_EQ(decoys, 1u);
    }
    ASSERT_TRUE(rig.SetDecoys(VMIX_DECOY_ALL));
    EXPECT_EQ(Discover().size(), plain + 5);
    EXPECT_EQ(Discover(), RigList());
}

TEST_F(DiscoverySeam, TheVisitorCanEndTheWalkEarly)
{
    ASSERT_TRUE(rig.SetDecoys(VMIX_DECOY_ALL));
    EXPECT_EQ(Discover(1).size(), 1u);
    EXPECT_EQ(Discover(3).size(), 3u);
}

}  // namespace
}  // namespace rkx::vmix::test
