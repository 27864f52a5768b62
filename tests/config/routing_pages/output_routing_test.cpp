// Page 1, "MIXER OUTPUT", under Wine and Xvfb with the virtual mixer: the warning balloon for a
// control tone and the three ways it goes, changes made by another program, the boost level,
// and the source highlight over the mixer picture.
#include "routing_rig.h"

#include "common/mixer_requests.h"

#include <cstdlib>
#include <optional>

namespace routing_test {
namespace {

constexpr int kBoxX = 480;
constexpr int RowY(int row) { return 292 + 32 * row; }
constexpr int kBoostY = 467;
// Selection labels inside the boxes.
constexpr int kLabelX = 407, kLabelW = 150, kLabelH = 18;
constexpr int LabelY(int row) { return 283 + 32 * row; }
constexpr int kBoostLabelY = 459;
// The warning balloon's label and the mixer picture.
constexpr int kBalloonX = 103, kBalloonY = 145, kBalloonW = 388, kBalloonH = 110;
constexpr int kMixerX = 378, kMixerY = 94, kMixerW = 160, kMixerH = 164;

class OutputRoutingPage : public RoutingPageTest {
protected:
    Capture Balloon() const { return Area(kBalloonX, kBalloonY, kBalloonW, kBalloonH); }
    Capture Label(int row) const { return Area(kLabelX, LabelY(row), kLabelW, kLabelH); }
    Capture BoostLabel() const { return Area(kLabelX, kBoostLabelY, kLabelW, kLabelH); }
    Capture MixerPicture() const { return Area(kMixerX, kMixerY, kMixerW, kMixerH); }
    // The balloon: a light label over most of the area, with dark text on it.
    static bool IsBalloon(const Capture& area)
    {
        return CountLight(area, 0xEB) > area.width * area.height * 6 / 10 && CountDark(area, 0x90) > 200;
    }
    void Choose(int row, int item)
    {
        ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(row)));
        ASSERT_NO_FATAL_FAILURE(ChooseItem(item));
    }
};

TEST_F(OutputRoutingPage, ControlToneOffUsbWarnsUntilAClickOrTheSelectorReachesUsb)
{
    rkx::test::WriteUserValue(L"Output1", 2);  // Post CH1 Fader
    SetMixerValue(VMIX_VALUE_SELECTOR, 0, RKX_SELECTOR_POSITION_PHONO);
    ASSERT_NO_FATAL_FAILURE(StartOn(1));
    const Capture noBalloon = Balloon();
    ASSERT_FALSE(IsBalloon(noBalloon));

    // Below row 0, where its menu opens: rows 1 and 2 and the help text, none of which a
    // choice for row 0 changes.
    const Capture underMenu = Area(400, 312, 190, 140);
    ASSERT_NO_FATAL_FAILURE(Choose(0, 1));  // CH1 Control Tone LINE
    ASSERT_TRUE(WaitUntil([&] { return Mixer().sendSource[0] == 1; }));
    Capture shown;
    ASSERT_TRUE(WaitUntil([&] { return IsBalloon(shown = Balloon()); })) << "the balloon appears";
    EXPECT_TRUE(WaitForPixels(400, 312, 190, 140, underMenu)) << "the closed menu's picture is gone";
    // The text sits right of the selector symbol, inside the label's right inset.
    const Capture textSide = Area(kBalloonX + 100, kBalloonY + 6, 270, 100);
    EXPECT_GT(CountDark(textSide, 0x90), 300) << "the library's warning text";

    utility.Click(150, 520);
    EXPECT_TRUE(WaitForPixels(kBalloonX, kBalloonY, kBalloonW, kBalloonH, noBalloon)) << "a click removes it";

    ASSERT_NO_FATAL_FAILURE(Choose(0, 0));  // CH1 Control Tone PHONO: the selector is still off USB
    ASSERT_TRUE(WaitUntil([&] { return Mixer().sendSource[0] == 0; }));
    ASSERT_TRUE(WaitUntil([&] { return IsBalloon(shown = Balloon()); }))
        << "light " << CountLight(shown, 0xEB) << " dark " << CountDark(shown, 0x90) << " Output1 "
        << rkx::test::ReadUserValue(L"Output1").value_or(~0ul);
    SetMixerValue(VMIX_VALUE_SELECTOR, 0, RKX_SELECTOR_POSITION_USB);
    EXPECT_TRUE(WaitForPixels(kBalloonX, kBalloonY, kBalloonW, kBalloonH, noBalloon))
        << "the selector on USB removes it";
    EXPECT_EQ(rkx::test::ReadUserValue(L"Output1"), 0u);
}

TEST_F(OutputRoutingPage, BalloonShowsTheLibrarysTextOfTheInstalledLanguage)
{
    const std::optional<DWORD> installed = rkx::test::ReadInstallLanguage();
    struct Restore {
        std::optional<DWORD> language;
        ~Restore() { rkx::test::WriteInstallLanguage(language.value_or(1033)); }
    } restore{installed};
    SetMixerValue(VMIX_VALUE_SELECTOR, 1, RKX_SELECTOR_POSITION_PHONO);
    auto balloonFor = [&](DWORD language) {
        rkx::test::WriteInstallLanguage(language);
        rkx::test::WriteUserValue(L"Output2", 2);
        Capture shown;
        if (utility.window() != nullptr) {
            EXPECT_TRUE(utility.Close());
        }
        EXPECT_NO_FATAL_FAILURE(StartOn(1));
        EXPECT_NO_FATAL_FAILURE(Choose(1, 0));  // CH2 Control Tone PHONO
        EXPECT_TRUE(WaitUntil([&] { return IsBalloon(shown = Balloon()); }));
        return shown;
    };
    const Capture english = balloonFor(1033);
    const Capture german = balloonFor(1031);
    // Only the warning text differs between the two: the library chose it by the language.
    EXPECT_FALSE(english == german);
    EXPECT_GT(CountDark(german, 0x90), 300);
}

TEST_F(OutputRoutingPage, ChannelTwoNeverWarns)
{
    ASSERT_NO_FATAL_FAILURE(StartOn(1));
    const Capture noBalloon = Balloon();
    const Capture before = Label(2);
    // The library answers 101 here (index below 2 with the AUX selector on LINE).
    ASSERT_NO_FATAL_FAILURE(Choose(2, 1));
    ASSERT_TRUE(WaitUntil([&] { return Mixer().sendSource[2] == 1; }));
    WaitForChange(kLabelX, LabelY(2), kLabelW, kLabelH, before);
    EXPECT_EQ(Balloon(), noBalloon);
    // The next click on the page is not swallowed by a balloon: it opens a menu.
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(0)));
}

TEST_F(OutputRoutingPage, AnotherProgramsChangeUpdatesTheLabel)
{
    ASSERT_NO_FATAL_FAILURE(StartOn(1));
    const Capture before = Label(1);
    ASSERT_EQ(RunRkxsetup(L"set input 2 5"), 0);  // channel 2 (row 1) to MIC, announced to every program
    const Capture after = WaitForChange(kLabelX, LabelY(1), kLabelW, kLabelH, before);
    ASSERT_FALSE(after == before);
    EXPECT_EQ(rkx::test::ReadUserValue(L"Output2"), 5u);
    // Exactly what a fresh start with that route shows.
    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_TRUE(WaitForPixels(kLabelX, LabelY(1), kLabelW, kLabelH, after));

    // A change back to the value shown is drawn too.
    ASSERT_EQ(RunRkxsetup(L"set input 2 0"), 0);
    EXPECT_FALSE(WaitForChange(kLabelX, LabelY(1), kLabelW, kLabelH, after) == after);
}

TEST_F(OutputRoutingPage, BoostLevelRoundTrips)
{
    ASSERT_NO_FATAL_FAILURE(StartOn(1));
    const Capture defaultLevel = BoostLabel();
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, kBoostY));
    RECT rect{};
    GetWindowRect(Popup(), &rect);
    EXPECT_EQ(rect.right - rect.left, 196);
    EXPECT_EQ(rect.bottom - rect.top, 18 * 4 + 31);
    ASSERT_NO_FATAL_FAILURE(ChooseItem(0));  // -5 dB
    ASSERT_TRUE(WaitUntil([&] { return Mixer().boostLevel == 0; }));
    EXPECT_EQ(rkx::test::ReadUserValue(L"Level"), 0u);
    const Capture chosen = WaitForChange(kLabelX, kBoostLabelY, kLabelW, kLabelH, defaultLevel);

    ASSERT_NO_FATAL_FAILURE(Restart());
    EXPECT_TRUE(WaitForPixels(kLabelX, kBoostLabelY, kLabelW, kLabelH, chosen)) << "read back at start";
    // Another program sets the default again: the page follows.
    ASSERT_EQ(RunRkxsetup(L"set boost 3"), 0);
    EXPECT_TRUE(WaitForPixels(kLabelX, kBoostLabelY, kLabelW, kLabelH, defaultLevel));
    // Choosing the level shown sends nothing: the mixer keeps the value another program set.
    ASSERT_TRUE(rig.ClearStats());
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, kBoostY));
    ASSERT_NO_FATAL_FAILURE(ChooseItem(3));
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, kBoostY));
    ASSERT_NO_FATAL_FAILURE(ChooseItem(2));
    ASSERT_TRUE(WaitUntil([&] { return Mixer().boostLevel == 2; }));
    EXPECT_EQ(RequestCount(IOCTL_MIXER_SET_BOOST_LEVEL), 1u);
}

TEST_F(OutputRoutingPage, SourceHighlightFollowsPointerAndKeys)
{
    ASSERT_NO_FATAL_FAILURE(StartOn(1));
    const Capture plain = MixerPicture();
    ASSERT_NO_FATAL_FAILURE(OpenMenu(kBoxX, RowY(0)));
    auto highlighted = [&](RECT& box) {
        return WaitUntil([&] {
            box = DifferenceBox(plain, MixerPicture());
            return box.right > box.left;
        });
    };
    auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
    auto elsewhere = [&](const RECT& before, RECT& now) {
        return WaitUntil([&] {
            now = DifferenceBox(plain, MixerPicture());
            const POINT a = centre(before), b = centre(now);
            return now.right > now.left && (std::abs(a.x - b.x) > 4 || std::abs(a.y - b.y) > 4);
        });
    };

    RECT fader{}, aux{}, mic{};
    ASSERT_TRUE(HoverItem(2));  // Post CH1 Fader
    ASSERT_TRUE(highlighted(fader));
    MovePointer(PopupItemPoint(6));  // AUX
    ASSERT_TRUE(elsewhere(fader, aux)) << "the frame moves with the pointer";
    utility.PressKey(VK_UP);  // MIC
    ASSERT_TRUE(elsewhere(aux, mic)) << "and with the keys";
    utility.PressKey(VK_DOWN);  // AUX again
    RECT again{};
    ASSERT_TRUE(elsewhere(mic, again));
    EXPECT_LE(std::abs(centre(again).x - centre(aux).x) + std::abs(centre(again).y - centre(aux).y), 4);

    // Into the menu's shadow margin: no item, no highlight.
    RECT menu{};
    GetWindowRect(Popup(), &menu);
    MovePointer({menu.left + 5, menu.top + 6 + 18 + 9});
    EXPECT_TRUE(WaitForPixels(kMixerX, kMixerY, kMixerW, kMixerH, plain));
    utility.PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitForNoPopup());
    EXPECT_EQ(MixerPicture(), plain);
}

}  // namespace
}  // namespace routing_test
