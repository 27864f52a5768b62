// Label bitmaps: their size, the exact four-to-one reduction of DrawLabel, the centring width
// shared by a column of labels, and wrapped lines 56 pixels apart.
#include <gtest/gtest.h>

#include <vector>

#include "pixel_canvas.h"
#include "skin/label_bitmap.h"
#include "tests/support/bitmap_info.h"

namespace {

// The label bitmap's pixels as 0x00RRGGBB, top-down.
std::vector<uint32_t> PixelsOf(const LabelBitmap& label)
{
    const int width = label.width();
    const int height = label.height();
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO info = rkx::test::TopDownBitmapInfo(width, height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, label.get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// Rows of the label that hold a pixel other than `background`.
std::vector<int> InkRows(const LabelBitmap& label, uint32_t background)
{
    const auto pixels = PixelsOf(label);
    std::vector<int> rows;
    for (int y = 0; y < label.height(); ++y)
        for (int x = 0; x < label.width(); ++x)
            if (pixels[static_cast<size_t>(y) * label.width() + x] != background) {
                rows.push_back(y);
                break;
            }
    return rows;
}

struct LabelFont {
    LabelFont() : font(CreateFontW(-48, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial")) {}
    ~LabelFont() { DeleteObject(font); }
    HFONT font;
};

TEST(LabelBitmaps, ALabelIsRenderedAtFourTimesItsSizeInsideAnEightPixelMargin)
{
    LabelFont font;
    LabelBitmap label;
    RenderLabelBitmap(nullptr, label, 0, 0, 50, 14, L"Deck 1", RGB(1, 0, 0), RGB(0xE8, 0xE8, 0xE8), font.font,
                      nullptr);
    ASSERT_FALSE(label.empty());
    EXPECT_EQ(label.width(), 216);
    EXPECT_EQ(label.height(), 72);
    EXPECT_FALSE(InkRows(label, 0xE8E8E8).empty());

    // Rendering again replaces the bitmap; the earlier one is deleted.
    const HBITMAP first = label.get();
    RenderLabelBitmap(nullptr, label, 0, 0, 117, 14, L"+6 dB", 0, 0xFFFFFF, nullptr, nullptr);
    EXPECT_NE(label.get(), first);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(label.width(), 4 * 117 + 16);
}

TEST(LabelBitmaps, DrawLabelShowsTheTextAreaReducedExactlyWithoutTheMargin)
{
    // A 50 x 14 label: red margin, text area white in its left half and black in its right.
    HDC screen = GetDC(nullptr);
    LabelBitmap label;
    label.reset(CreateCompatibleBitmap(screen, 216, 72));
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, label.get());
    const RECT all = {0, 0, 216, 72};
    const RECT left = {8, 8, 108, 64};
    const RECT right = {108, 8, 208, 64};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(memory, &all, red);
    FillRect(memory, &left, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(memory, &right, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(memory, previous);
    DeleteObject(red);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    PixelCanvas canvas(70, 30, 0x00FF00);
    DrawLabel(canvas.dc(), &label, 10, 8, 50, 14);
    for (int y = 8; y < 22; ++y) {
        for (int x = 10; x < 60; ++x) {
            const uint32_t p = canvas.Pixel(x, y);
            EXPECT_LT(Channel(p, 16) - Channel(p, 8), 48) << "margin shows at " << x << "," << y;
            if (x < 34) {
                EXPECT_TRUE(NearColour(p, 0xFFFFFF, 24)) << x << "," << y;
            } else if (x > 35) {
                EXPECT_TRUE(NearColour(p, 0x000000, 24)) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(canvas.Pixel(9, 15), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(60, 15), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(30, 7), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(30, 22), 0x00FF00u);

    // Framed at full opacity: the same area plus a grey outline touching it on every side.
    canvas.Fill(0x00FF00);
    DrawLabelFramed(canvas.dc(), &label, 10, 8, 50, 14, 100);
    EXPECT_TRUE(NearColour(canvas.Pixel(9, 15), 0x606060, 24)) << std::hex << canvas.Pixel(9, 15);
    EXPECT_TRUE(NearColour(canvas.Pixel(30, 7), 0x606060, 24));
    EXPECT_TRUE(NearColour(canvas.Pixel(60, 15), 0x606060, 24));
    EXPECT_TRUE(NearColour(canvas.Pixel(30, 22), 0x606060, 24));
    EXPECT_TRUE(NearColour(canvas.Pixel(20, 15), 0xFFFFFF, 24));
    EXPECT_EQ(canvas.Pixel(8, 15), 0x00FF00u);

    DrawLabel(canvas.dc(), nullptr, 0, 0, 50, 14);
    LabelBitmap empty;
    DrawLabel(canvas.dc(), &empty, 0, 0, 50, 14);
    EXPECT_EQ(canvas.Pixel(0, 0), 0x00FF00u);
}

TEST(LabelBitmaps, OneMeasuredWidthCentresAWholeColumnOfLabels)
{
    LabelFont font;
    LabelBitmap wide;
    LabelBitmap narrow;
    int width = 0;
    RenderLabelBitmap(nullptr, wide, 0, 0, 82, 14, L"Not Connected", 0, 0xFFFFFF, font.font, &width);
    ASSERT_GT(width, 0);
    const int measured = width;
    RenderLabelBitmap(nullptr, narrow, 0, 0, 82, 14, L"On", 0, 0xFFFFFF, font.font, &width);
    EXPECT_EQ(width, measured);  // not measured again

    // "On" is centred on the first label's width: its ink sits around 10 + measured / 2.
    const auto pixels = PixelsOf(narrow);
    int first = -1;
    int last = -1;
    for (int x = 0; x < narrow.width(); ++x)
        for (int y = 0; y < narrow.height(); ++y)
            if (pixels[static_cast<size_t>(y) * narrow.width() + x] != 0xFFFFFF) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    ASSERT_GE(first, 0);
    EXPECT_NEAR((first + last) / 2.0, 10 + (measured + 6) / 2.0, 12.0);

    int preset = 40;
    RenderLabelBitmap(nullptr, narrow, 0, 0, 82, 14, L"On", 0, 0xFFFFFF, font.font, &preset);
    EXPECT_EQ(preset, 40);
}

TEST(LabelBitmaps, WrappedLabelLeavesAnEmptyLineForTwoLineFeeds)
{
    LabelFont font;
    LabelBitmap label;
    RenderWrappedLabelBitmap(nullptr, label, 0, 0, 200, 60, L"A\n\nB", 0, 0xFFFFFF, font.font, font.font, 0);
    ASSERT_EQ(label.height(), 4 * 60 + 16);
    const auto rows = InkRows(label, 0xFFFFFF);
    ASSERT_FALSE(rows.empty());
    // Two blocks of ink: A at the top, B starting 112 pixels (two lines) lower.
    int secondBlock = -1;
    for (size_t i = 1; i < rows.size(); ++i)
        if (rows[i] - rows[i - 1] > 1) {
            secondBlock = rows[i];
            break;
        }
    ASSERT_GT(secondBlock, 0);
    EXPECT_EQ(secondBlock - rows.front(), 112);
}

TEST(LabelBitmaps, ANarrowWrapWidthAndAnOverlongLineFinish)
{
    LabelFont font;
    LabelBitmap label;
    // Right inset leaves no room even for one character: one character per line, no hang.
    RenderWrappedLabelBitmap(nullptr, label, 0, 0, 20, 40, L"abcdef", 0, 0xFFFFFF, font.font, font.font, 19);
    EXPECT_FALSE(label.empty());
    const std::wstring longWord(1000, L'x');
    RenderWrappedLabelBitmap(nullptr, label, 0, 0, 100, 40, longWord.c_str(), 0, 0xFFFFFF, font.font,
                             font.font, 0);
    EXPECT_FALSE(label.empty());
    EXPECT_FALSE(InkRows(label, 0xFFFFFF).empty());
}

}  // namespace
