// The main window's rules that need no window: tab hit regions, the certify-state counter and
// the placement of the saved position.
#include "dialog/certify_state.h"
#include "dialog/placement.h"
#include "dialog/tab_strip.h"

#include <gtest/gtest.h>

namespace {

TEST(TabStrip, RegionsOfTabsThatAreNotCurrent)
{
    struct Case {
        int x, y, current, expected;
    } cases[] = {
        {16, 70, 3, 0},   {132, 70, 3, 0},  {133, 70, 3, 1},  {244, 70, 3, 1},  {245, 70, 0, 2},
        {356, 70, 0, 2},  {357, 70, 0, 3},  {468, 70, 0, 3},  {15, 70, 1, -1},  {469, 70, 0, -1},
        {100, 58, 1, -1}, {100, 59, 1, 0},  {100, 84, 1, 0},  {100, 85, 1, -1},
        // The current tab's own region does nothing.
        {100, 70, 0, -1}, {200, 70, 1, -1}, {300, 70, 2, -1}, {400, 70, 3, -1},
        // The current next tab's raised edge covers the last pixels of the tab before it.
        {130, 70, 1, -1}, {130, 70, 2, 0},  {130, 70, 3, 0},  {127, 70, 1, 0},  {128, 70, 1, -1},
        {240, 70, 2, -1}, {239, 70, 2, 1},  {240, 70, 3, 1},  {352, 70, 3, -1}, {351, 70, 3, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(config::TabAt(c.x, c.y, c.current), c.expected) << c.x << "," << c.y << " current " << c.current;
}

TEST(TabStrip, PiecesJoinWithoutGaps)
{
    EXPECT_EQ(config::kTabLeftEndX + 22, config::TabMiddleX(0));
    for (int tab = 0; tab < config::kTabCount - 1; ++tab) {
        EXPECT_EQ(config::TabMiddleX(tab) + config::kTabMiddleWidth, config::TabJoinX(tab));
        EXPECT_EQ(config::TabJoinX(tab) + 22, config::TabMiddleX(tab + 1));
    }
    EXPECT_EQ(config::TabMiddleX(3) + config::kTabMiddleWidth, config::kTabRightEndX);
}

config::CertifyState Feed(config::CertifyState certify, int level, int readings)
{
    for (int i = 0; i < readings; ++i) config::ApplyCertifyReading(certify, true, 100, level);
    return certify;
}

TEST(CertifyState, LevelZeroTakesEffectAfterFiftyReadings)
{
    config::CertifyState certify = Feed({}, 1, 1);
    EXPECT_EQ(certify.state, 1);
    certify = Feed(certify, 0, 50);
    EXPECT_EQ(certify.state, 1) << "50 zero readings keep the old state";
    certify = Feed(certify, 0, 1);
    EXPECT_EQ(certify.state, 0);
    EXPECT_EQ(certify.zeroReadings, 0);
}

TEST(CertifyState, ANonZeroReadingRestartsTheCount)
{
    config::CertifyState certify = Feed(Feed({}, 1, 1), 0, 49);
    certify = Feed(certify, 3, 1);  // bit 0 of the level
    EXPECT_EQ(certify.state, 1);
    certify = Feed(certify, 0, 50);
    EXPECT_EQ(certify.state, 1);
    certify = Feed(certify, 2, 1);
    EXPECT_EQ(certify.state, 0);
}

TEST(CertifyState, FailuresAndAbsenceMakeItUndetermined)
{
    config::CertifyState certify = Feed({}, 1, 1);
    config::ApplyCertifyReading(certify, true, 102, 1);
    EXPECT_EQ(certify.state, config::kCertifyUndetermined);
    certify = Feed(certify, 1, 1);
    config::ApplyCertifyReading(certify, false, 100, 1);
    EXPECT_EQ(certify.state, config::kCertifyUndetermined);
    // A level left at its preset -2 resets the count but sets nothing.
    certify = Feed(Feed({}, 1, 1), 0, 10);
    config::ApplyCertifyReading(certify, true, 100, config::kCertifyUndetermined);
    EXPECT_EQ(certify.state, 1);
    EXPECT_EQ(certify.zeroReadings, 0);
}

TEST(Placement, SavedPositionIsUsedWhileAnyPartStaysOnTheDesktop)
{
    const RECT current{30, 40, 330, 340};
    const SIZE size{602, 581};
    const RECT desktop{0, 0, 1920, 1080};
    const auto moved = config::PlaceWindow(current, size, -100, 100, desktop);
    EXPECT_TRUE(moved.move);
    EXPECT_EQ(moved.rect.left, -100);
    EXPECT_EQ(moved.rect.top, 100);
    EXPECT_EQ(moved.rect.right - moved.rect.left, size.cx);
    EXPECT_EQ(moved.rect.bottom - moved.rect.top, size.cy);

    const auto offScreen = config::PlaceWindow(current, size, 5000, 100, desktop);
    EXPECT_FALSE(offScreen.move);
    EXPECT_EQ(offScreen.rect.left, 30);
    EXPECT_EQ(offScreen.rect.right - offScreen.rect.left, size.cx);

    EXPECT_FALSE(config::PlaceWindow(current, size, 10, -700, desktop).move);
    EXPECT_FALSE(config::PlaceWindow(current, size, 10, -581, desktop).move);  // bottom edge only touches
    EXPECT_TRUE(config::PlaceWindow(current, size, 10, -580, desktop).move);   // one row shows
    EXPECT_FALSE(config::PlaceWindow(current, size, 1920, 100, desktop).move);  // first column past the right
    EXPECT_TRUE(config::PlaceWindow(current, size, 1919, 100, desktop).move);
    const auto onlyX = config::PlaceWindow(current, size, 200, std::nullopt, desktop);
    EXPECT_TRUE(onlyX.move);
    EXPECT_EQ(onlyX.rect.left, 200);
    EXPECT_EQ(onlyX.rect.top, 40);
}

}  // namespace
