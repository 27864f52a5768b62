// The popup menus' numbers: where a menu opens, which item a point hits, how the arrow keys
// move, which label state an item shows and which source frame it stands for.
#include <gtest/gtest.h>

#include "popup/pop_menu_geometry.h"
#include "popup/source_highlight_table.h"

namespace {

TEST(PopMenuGeometry, WindowRectangleOfEachKind)
{
    const RECT owner = {100, 50, 700, 650};
    // An input menu with three items at client (420, 307): 117 x 85, left at owner + frame + 406.
    const RECT in = PopMenuWindowRect(owner, 3, 4, 19, 420, 307, kInPopMenuWidth, 3);
    EXPECT_EQ(in.left, 100 + 3 + 406);
    EXPECT_EQ(in.top, 50 + 19 + 4 + 307);
    EXPECT_EQ(in.right - in.left, 117);
    EXPECT_EQ(in.bottom - in.top, 85);

    const RECT out = PopMenuWindowRect(owner, 3, 4, 19, 300, 200, kOutPopMenuWidth, 8);
    EXPECT_EQ(out.right - out.left, 215);
    EXPECT_EQ(out.bottom - out.top, 18 * 8 + 31);
    const RECT level = PopMenuWindowRect(owner, 3, 4, 19, 300, 200, kLevelPopMenuWidth, 4);
    EXPECT_EQ(level.right - level.left, 196);

    // No items: the frame only. A count no menu can have is kept within the label table.
    EXPECT_EQ(PopMenuWindowRect(owner, 0, 0, 0, 0, 0, 117, 0).bottom - 50, 31);
    EXPECT_EQ(PopMenuWindowRect(owner, 0, 0, 0, 0, 0, 117, -4).bottom - 50, 31);
    EXPECT_EQ(PopMenuWindowRect(owner, 0, 0, 0, 0, 0, 117, 1 << 30).bottom - 50, 18 * kPopMaxItems + 31);
}

TEST(PopMenuGeometry, HitTestCoversTheItemsOnlyNotTheShadowMargins)
{
    struct Case {
        int x, y, expected;
    } cases[] = {
        {20, 30, 1},    // item 1 of a 117-wide, three-item menu
        {20, 5, -1},    // above the first item
        {10, 30, -1},   // left shadow margin
        {104, 30, -1},  // right shadow margin
        {103, 30, -1},  // W - 14: the first column of the right margin
        {102, 30, 1},   {14, 6, 0},    {14, 23, 0},   {14, 24, 1},
        {50, 59, 2},    {50, 60, -1},  // below the last item
    };
    for (const Case& c : cases)
        EXPECT_EQ(PopMenuHitTest(c.x, c.y, 117, 3), c.expected) << c.x << "," << c.y;
    EXPECT_EQ(PopMenuHitTest(20, 10, 117, 0), -1);
}

TEST(PopMenuKeys, StepsWrapAroundBothEnds)
{
    PopSelection fresh{0, false};
    ASSERT_TRUE(StepPopSelection(fresh, +1, 3));
    EXPECT_EQ(fresh.focus, 0);  // the first Down only switches the highlight on
    EXPECT_TRUE(fresh.highlight);
    StepPopSelection(fresh, +1, 3);
    EXPECT_EQ(fresh.focus, 1);  // Down, Down -> item 1

    PopSelection up{0, false};
    StepPopSelection(up, -1, 5);
    EXPECT_EQ(up.focus, 4);  // Up in a fresh menu highlights the last
    StepPopSelection(up, +1, 5);
    EXPECT_EQ(up.focus, 0);  // Down on the last goes to the first
    StepPopSelection(up, -1, 5);
    EXPECT_EQ(up.focus, 4);  // Up on the first goes to the last

    PopSelection same{2, true};
    EXPECT_FALSE(StepPopSelection(same, 0, 3));
    EXPECT_FALSE(StepPopSelection(same, 2, 3));
    EXPECT_FALSE(StepPopSelection(same, +1, 0));
    EXPECT_EQ(same.focus, 2);
}

TEST(PopMenuLabels, ControlToneItemsAreDisabledUnlessConnectedAndCertified)
{
    struct Case {
        int row, item;
        bool focused, connected;
        int certify, state;
    } cases[] = {
        {0, 0, false, false, 1, 2}, {0, 1, false, true, 0, 2},  {1, 0, false, true, -2, 2},
        {1, 1, false, true, 1, 0},  {0, 0, true, true, 1, 3},   {0, 1, true, false, 0, 3},
        {0, 2, false, false, 0, 0}, {0, 2, true, false, 0, 1},  {2, 0, false, false, 0, 0},
        {2, 1, true, false, 0, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoutingLabelState(c.row, c.item, c.focused, c.connected, c.certify), c.state)
            << c.row << "/" << c.item;
}

TEST(SourceHighlight, TableRowsAndOutOfRangeLookups)
{
    const int expected[4][8] = {{0, 0, 2, 4, 5, 6, 7, 8},
                                {1, 1, 3, 4, 5, 6, 7, 8},
                                {8, 2, 3, 4, 5, 6, 7, 9},
                                {9, 9, 9, 9, 9, 9, 9, 9}};
    for (int row = 0; row < 4; ++row)
        for (int item = 0; item < 8; ++item) EXPECT_EQ(SourceHighlightFrame(row, item), expected[row][item]);
    // The recording output keeps frame 9, which no page frame shows.
    EXPECT_EQ(SourceHighlightFrame(2, 7), kNoSourceFrame);
    EXPECT_FALSE(IsDrawableSourceFrame(kNoSourceFrame));
    EXPECT_FALSE(IsDrawableSourceFrame(kSourceHighlightOff));
    EXPECT_TRUE(IsDrawableSourceFrame(8));
    EXPECT_EQ(SourceHighlightFrame(5, 0), kSourceHighlightOff);
    EXPECT_EQ(SourceHighlightFrame(0, 8), kSourceHighlightOff);
    EXPECT_EQ(SourceHighlightFrame(-1, 0), kSourceHighlightOff);
}

}  // namespace
