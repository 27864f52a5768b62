// Label bitmaps: a text rendered once off-screen at four times its display size inside an
// 8-pixel margin, stored, and drawn scaled down whenever the window paints.
#pragma once

#include <windows.h>

class LabelBitmap {
public:
    LabelBitmap() = default;
    ~LabelBitmap() { reset(); }
    LabelBitmap(const LabelBitmap&) = delete;
    LabelBitmap& operator=(const LabelBitmap&) = delete;
    LabelBitmap(LabelBitmap&& other) noexcept : bitmap_(other.release()) {}
    LabelBitmap& operator=(LabelBitmap&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    HBITMAP get() const { return bitmap_; }
    bool empty() const { return bitmap_ == nullptr; }
    // Bitmap size in pixels; 0 when empty.
    int width() const;
    int height() const;

    // Replaces the bitmap; the earlier one is deleted.
    void reset(HBITMAP bitmap = nullptr);
    HBITMAP release();

    // The text area as DrawLabel last scaled it to w x h; null when not kept at that size.
    HBITMAP ScaledAt(int w, int h) const { return scaled_ != nullptr && scaledW_ == w && scaledH_ == h ? scaled_ : nullptr; }
    // Keeps `scaled` (owned from now on) as the text area at w x h, replacing an earlier one.
    void KeepScaled(HBITMAP scaled, int w, int h) const;

private:
    void DropScaled() const;

    HBITMAP bitmap_ = nullptr;
    // Scaling the four-fold bitmap down is the costly part of drawing a label, and its
    // result only changes with the bitmap or the display size: it is kept.
    mutable HBITMAP scaled_ = nullptr;
    mutable int scaledW_ = 0;
    mutable int scaledH_ = 0;
};

// Size of the bitmap for a label of display size w x h.
constexpr int LabelBitmapExtent(int displaySize) { return 4 * displaySize + 16; }

// The label's text area (the bitmap without its 8-pixel margin) scaled into (x, y, w, h) with
// high-quality bilinear filtering. A null or empty label draws nothing.
void DrawLabel(HDC dc, const LabelBitmap* label, int x, int y, int w, int h);
// As DrawLabel with alpha opacity / 100, then a one-pixel grey frame around (x, y, w, h).
void DrawLabelFramed(HDC dc, const LabelBitmap* label, int x, int y, int w, int h, int opacity);

// Renders `text` into a new bitmap for display size w x h (the target's earlier bitmap is
// deleted); (x, y) places the text inside the label in display pixels. Without
// measuredWidth the text is drawn left-aligned; with it the text is centred on *measuredWidth
// (four-fold scale), which is measured first when it holds 0. `font` may be null.
void RenderLabelBitmap(HWND window, LabelBitmap& target, int x, int y, int w, int h,
                       const wchar_t* text, COLORREF textColour, COLORREF background, HFONT font,
                       int* measuredWidth);

// Renders a word-wrapped text (see label_wrap.h for the rules). Outside Chinese, Japanese and
// Korean installations the 48-pixel Arial label font is used whatever `font` is.
void RenderWrappedLabelBitmap(HWND window, LabelBitmap& target, int x, int y, int w, int h,
                              const wchar_t* text, COLORREF textColour, COLORREF background,
                              HFONT font, HFONT arialLabelFont, int rightInset);
