// Skin images: every catalogue image loads from the program's resources at its size and pixel
// kind, names match in any case, and the primitives composite as they should (pixels compared
// in a 32-bit DIB).
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <memory>

#include "pixel_canvas.h"
#include "skin/skin_graphics.h"
#include "skin/skin_image.h"

namespace {

namespace gp = Gdiplus::DllExports;

struct CatalogueEntry {
    const wchar_t* name;
    int width;
    int height;
    bool alpha;
};

constexpr bool RGBA = true;
constexpr bool RGB_ = false;

const CatalogueEntry kCatalogue[] = {
    {L"LOGO", 150, 30, RGBA}, {L"TOOL-ICON", 48, 48, RGBA}, {L"CAUTION", 24, 24, RGBA},
    {L"L_LINE", 84, 16, RGBA}, {L"INPUTSELECTOR", 68, 68, RGBA}, {L"PC", 160, 164, RGBA},
    {L"MIXER", 160, 164, RGBA}, {L"CONNECT_IN", 203, 164, RGBA}, {L"CONNECT_OUT", 203, 164, RGBA},
    {L"CENTERLINE_T2", 3, 460, RGBA}, {L"CENTERLINE_OUT_T2", 3, 460, RGBA},
    {L"FRAME_INPUTSELECTOR", 160, 164, RGBA}, {L"FRAME_TC1", 160, 164, RGBA},
    {L"FRAME_TC2", 160, 164, RGBA}, {L"FRAME_CH1FD", 160, 164, RGBA}, {L"FRAME_CH2FD", 160, 164, RGBA},
    {L"FRAME_CFA", 160, 164, RGBA}, {L"FRAME_CFB", 160, 164, RGBA}, {L"FRAME_TMIC", 160, 164, RGBA},
    {L"FRAME_AUX", 160, 164, RGBA}, {L"FRAME_MASTER", 160, 164, RGBA},
    {L"ROUTE_AI_IN_GRAY_T2", 160, 126, RGBA}, {L"ROUTE_AI_IN_BLUE_T2", 160, 126, RGBA},
    {L"ROUTE_AI_IN_QVR_GRAY_T2", 160, 126, RGBA}, {L"ROUTE_AI_IN_QVR_BLUE_T2", 160, 126, RGBA},
    {L"ROUTE_AI_OUT_GRAY_T2", 160, 126, RGBA}, {L"ROUTE_AI_OUT_BLUE_T2", 160, 126, RGBA},
    {L"ROUTE_AI_OUT_QVR_GRAY_T2", 160, 126, RGBA}, {L"ROUTE_AI_OUT_QVR_BLUE_T2", 160, 126, RGBA},
    {L"ROUTE_PC_IN_T2", 116, 144, RGBA}, {L"ROUTE_PC_OUT_T2", 116, 144, RGBA},
    {L"ROUTE_MIXER_IN_GRAY", 40, 20, RGBA}, {L"ROUTE_MIXER_IN_BLUE", 40, 20, RGBA},
    {L"ROUTE_MIXER_IN_QVR_GRAY", 40, 20, RGBA}, {L"ROUTE_MIXER_OUT_GRAY", 26, 20, RGBA},
    {L"ROUTE_MIXER_OUT_BLUE", 26, 20, RGBA}, {L"ROUTE_MIXER_OUT_QVR_GRAY", 26, 20, RGBA},
    {L"TAB_L_ON", 22, 26, RGB_}, {L"TAB_L_OFF", 22, 26, RGB_}, {L"TAB_R_ON", 22, 26, RGB_},
    {L"TAB_R_OFF", 22, 26, RGB_}, {L"TAB_L-END_ON", 22, 26, RGB_}, {L"TAB_L-END_OFF", 22, 26, RGB_},
    {L"TAB_R-END_ON", 22, 26, RGB_}, {L"TAB_R-END_OFF", 22, 26, RGB_}, {L"TAB_C_ON", 2, 26, RGB_},
    {L"TAB_C_OFF", 2, 26, RGB_}, {L"BUTTON_NORMAL_L", 20, 25, RGB_}, {L"BUTTON_NORMAL_R", 20, 25, RGB_},
    {L"BUTTON_ON_L", 20, 25, RGB_}, {L"BUTTON_ON_R", 20, 25, RGB_}, {L"BUTTON_OVER_L", 20, 25, RGB_},
    {L"BUTTON_OVER_R", 20, 25, RGB_}, {L"BUTTON_NORMAL_C", 2, 25, RGB_}, {L"BUTTON_ON_C", 2, 25, RGB_},
    {L"BUTTON_OVER_C", 2, 25, RGB_}, {L"SLIDER_BASE", 177, 27, RGBA}, {L"SLIDER_KNOB", 9, 24, RGBA},
    {L"PULLDOWN_ARROW", 16, 20, RGB_}, {L"PULLDOWN_ARROW_DIS", 16, 20, RGB_},
    {L"PLDWN_SHADOW_LU", 28, 25, RGBA}, {L"PLDWN_SHADOW_RU", 28, 25, RGBA},
    {L"PLDWN_SHADOW_CU", 2, 25, RGBA}, {L"PLDWN_SHADOW_LC", 28, 2, RGBA},
    {L"PLDWN_SHADOW_RC", 28, 2, RGBA}, {L"PLDWN_SHADOW_LD", 28, 28, RGBA},
    {L"PLDWN_SHADOW_RD", 28, 28, RGBA}, {L"PLDWN_SHADOW_CD", 2, 28, RGBA},
    {L"PLDWN_CHECK_NORMAL", 22, 18, RGB_}, {L"PLDWN_CHECK_FOCUS", 22, 18, RGB_},
};

HMODULE Self() { return GetModuleHandleW(nullptr); }

// An image of one ARGB colour, made in memory.
std::unique_ptr<SkinImage> SolidImage(int width, int height, Gdiplus::ARGB colour)
{
    SkinGraphics();
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok)
        return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) gp::GdipBitmapSetPixel(bitmap, x, y, colour);
    return std::make_unique<SkinImage>(bitmap);
}

// Expected result of compositing `colour` at `alpha` over `background`.
uint32_t Blend(uint32_t colour, uint32_t background, int alpha)
{
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const int c = Channel(colour, shift) * alpha + Channel(background, shift) * (255 - alpha);
        out |= static_cast<uint32_t>((c + 127) / 255) << shift;
    }
    return out;
}

TEST(SkinImages, EveryCatalogueImageLoadsAtItsSizeAndPixelKind)
{
    ASSERT_EQ(std::size(kCatalogue), 70u);
    for (const CatalogueEntry& entry : kCatalogue) {
        char name[64];
        std::snprintf(name, sizeof name, "%ls", entry.name);
        const auto image = LoadSkinImage(Self(), entry.name);
        ASSERT_NE(image, nullptr) << name;
        ASSERT_FALSE(image->empty()) << name;
        EXPECT_EQ(image->width(), entry.width) << name;
        EXPECT_EQ(image->height(), entry.height) << name;
        Gdiplus::PixelFormat format = 0;
        gp::GdipGetImagePixelFormat(image->native(), &format);
        EXPECT_EQ((format & PixelFormatAlpha) != 0, entry.alpha) << name << " format " << std::hex << format;
    }
}

TEST(SkinImages, NamesMatchInAnyCaseAndMissingOrBrokenDataGiveNothingToDraw)
{
    for (const wchar_t* name : {L"logo", L"tab_L-end_off", L"Tool-Icon", L"pc", L"caution"})
        EXPECT_NE(LoadSkinImage(Self(), name), nullptr);
    const auto endPiece = LoadSkinImage(Self(), L"tab_L-end_off");
    ASSERT_NE(endPiece, nullptr);
    EXPECT_EQ(endPiece->width(), 22);

    // Stored in lower case by the resource compiler: found all the same.
    EXPECT_NE(LoadSkinImage(Self(), L"TEST_lower_case_image"), nullptr);
    EXPECT_EQ(LoadSkinImage(Self(), L"NO_SUCH_IMAGE"), nullptr);
    EXPECT_EQ(LoadSkinImage(Self(), nullptr), nullptr);

    const auto broken = LoadSkinImage(Self(), L"TEST_BROKEN_IMAGE");
    ASSERT_NE(broken, nullptr);
    EXPECT_TRUE(broken->empty());
    PixelCanvas canvas(8, 8, 0x123456);
    DrawSkinImage(canvas.dc(), broken.get(), 0, 0);
    DrawSkinImageFaded(canvas.dc(), nullptr, 0, 0, 100);
    DrawSkinImageStretchedH(canvas.dc(), broken.get(), 0, 0, 8);
    EXPECT_EQ(canvas.Pixel(2, 2), 0x123456u);
}

TEST(SkinImages, OpacityHundredEqualsUnfadedZeroDrawsNothingFiftyHalvesAlpha)
{
    const uint32_t background = 0x204060;
    const uint32_t colour = 0xC86432;  // R C8, G 64, B 32
    const auto image = SolidImage(10, 10, 0xC8000000 | colour);  // alpha 200
    ASSERT_NE(image, nullptr);

    PixelCanvas plain(12, 12, background);
    DrawSkinImage(plain.dc(), image.get(), 1, 1);
    EXPECT_TRUE(NearColour(plain.Pixel(5, 5), Blend(colour, background, 200), 2)) << std::hex << plain.Pixel(5, 5);
    EXPECT_EQ(plain.Pixel(0, 0), background);
    EXPECT_EQ(plain.Pixel(11, 11), background);

    PixelCanvas full(12, 12, background);
    DrawSkinImageFaded(full.dc(), image.get(), 1, 1, 100);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_TRUE(NearColour(full.Pixel(x, y), plain.Pixel(x, y), 1)) << x << "," << y;

    PixelCanvas none(12, 12, background);
    DrawSkinImageFaded(none.dc(), image.get(), 1, 1, 0);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(none.Pixel(x, y), background) << x << "," << y;

    PixelCanvas half(12, 12, background);
    DrawSkinImageFaded(half.dc(), image.get(), 1, 1, 50);
    EXPECT_TRUE(NearColour(half.Pixel(5, 5), Blend(colour, background, 100), 2)) << std::hex << half.Pixel(5, 5);

    PixelCanvas stretchedHalf(40, 12, background);
    DrawSkinImageStretchedHFaded(stretchedHalf.dc(), image.get(), 0, 1, 40, 50);
    EXPECT_TRUE(NearColour(stretchedHalf.Pixel(20, 5), Blend(colour, background, 100), 2));
}

TEST(SkinImages, StretchedPiecesCoverExactlyTheirTargetAndKeepTheOtherDimension)
{
    const auto piece = SolidImage(2, 4, 0xFFFF0000);
    PixelCanvas canvas(60, 60, 0x000000);
    DrawSkinImageStretchedH(canvas.dc(), piece.get(), 5, 0, 40);
    for (int x : {6, 25, 43}) EXPECT_TRUE(NearColour(canvas.Pixel(x, 2), 0xFF0000, 8)) << x;
    EXPECT_EQ(canvas.Pixel(4, 2), 0u);
    EXPECT_EQ(canvas.Pixel(46, 2), 0u);
    EXPECT_EQ(canvas.Pixel(25, 5), 0u);  // natural height kept

    const auto side = SolidImage(3, 2, 0xFF00FF00);
    canvas.Fill(0);
    DrawSkinImageStretchedV(canvas.dc(), side.get(), 5, 0, 50);
    for (int y : {1, 25, 48}) EXPECT_TRUE(NearColour(canvas.Pixel(6, y), 0x00FF00, 8)) << y;
    EXPECT_EQ(canvas.Pixel(9, 25), 0u);  // natural width kept
    EXPECT_EQ(canvas.Pixel(6, 51), 0u);

    canvas.Fill(0);
    DrawSkinImageStretched(canvas.dc(), side.get(), 10, 10, 30, 20);
    EXPECT_TRUE(NearColour(canvas.Pixel(25, 20), 0x00FF00, 8));
    EXPECT_EQ(canvas.Pixel(41, 20), 0u);
    EXPECT_EQ(canvas.Pixel(25, 31), 0u);
}

TEST(SkinImages, VeilIsLightGreyAtAlphaCC)
{
    PixelCanvas canvas(20, 20, 0x000000);
    FillVeil(canvas.dc(), 5, 5, 10, 10);
    EXPECT_TRUE(NearColour(canvas.Pixel(10, 10), Blend(0xE8E8E8, 0, 0xCC), 2)) << std::hex << canvas.Pixel(10, 10);
    EXPECT_EQ(canvas.Pixel(4, 10), 0u);
    EXPECT_EQ(canvas.Pixel(15, 10), 0u);
}

// First and last columns that hold ink (pixels different from the background).
void InkSpan(const PixelCanvas& canvas, uint32_t background, int& first, int& last)
{
    first = -1;
    last = -1;
    for (int x = 0; x < canvas.width(); ++x)
        for (int y = 0; y < canvas.height(); ++y)
            if (canvas.Pixel(x, y) != background) {
                if (first < 0) first = x;
                last = x;
                break;
            }
}

TEST(SkinImages, CenteredTextWiderThanItsWidthStartsLeftOfXByHalfTheExcess)
{
    ASSERT_NE(SkinGraphics().ArialTextFont(), nullptr);
    PixelCanvas canvas(400, 40, 0xFFFFFF);
    DrawCenteredText(canvas.dc(), L"MIXER OUTPUT ROUTING", 0, 200, 10, 20, false);
    int first = 0;
    int last = 0;
    InkSpan(canvas, 0xFFFFFF, first, last);
    ASSERT_GE(first, 0) << "no text drawn";
    EXPECT_LT(first, 200);
    EXPECT_NEAR((first + last) / 2.0, 210.0, 4.0);

    canvas.Fill(0xFFFFFF);
    DrawCenteredText(canvas.dc(), L"ASIO", 0x40, 100, 10, 200, true);
    InkSpan(canvas, 0xFFFFFF, first, last);
    ASSERT_GE(first, 0);
    EXPECT_GT(first, 100);
    EXPECT_NEAR((first + last) / 2.0, 200.0, 4.0);
}

}  // namespace
