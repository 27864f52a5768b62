#include "skin/label_bitmap.h"

#include <cwchar>
#include <string_view>

#include "skin/gdi_owners.h"
#include "skin/install_language.h"
#include "skin/wrapped_label_layout.h"

using namespace skin;

namespace {

// A fresh label bitmap attached to `target` and selected into a memory context, filled with
// the background, text mode set. The caller draws the text; the destructor releases the
// contexts while the target keeps the bitmap.
class LabelCanvas {
public:
    LabelCanvas(HWND window, LabelBitmap& target, int w, int h, COLORREF textColour,
                COLORREF background)
        : windowDc_(window), memory_(windowDc_.get())
    {
        width_ = LabelBitmapExtent(w);
        height_ = LabelBitmapExtent(h);
        // A label that cannot be rendered shows nothing rather than its earlier text.
        target.reset();
        if (windowDc_.get() == nullptr || memory_.get() == nullptr || w < 0 || h < 0) return;
        HBITMAP bitmap = CreateCompatibleBitmap(windowDc_.get(), width_, height_);
        if (bitmap == nullptr) return;
        target.reset(bitmap);
        previousBitmap_ = SelectObject(memory_.get(), bitmap);
        SetBkMode(memory_.get(), TRANSPARENT);
        SetTextColor(memory_.get(), textColour);
        GdiObject<HBRUSH> brush(CreateSolidBrush(background));
        const RECT all = {0, 0, width_, height_};
        if (brush.get() != nullptr) FillRect(memory_.get(), &all, brush.get());
        ready_ = true;
    }
    ~LabelCanvas()
    {
        if (previousFont_ != nullptr) SelectObject(memory_.get(), previousFont_);
        if (previousBitmap_ != nullptr) SelectObject(memory_.get(), previousBitmap_);
    }
    LabelCanvas(const LabelCanvas&) = delete;
    LabelCanvas& operator=(const LabelCanvas&) = delete;

    bool ready() const { return ready_; }
    HDC dc() const { return memory_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    void UseFont(HFONT font)
    {
        if (font == nullptr) return;
        HGDIOBJ previous = SelectObject(memory_.get(), font);
        if (previousFont_ == nullptr) previousFont_ = previous;
    }

private:
    WindowDc windowDc_;
    MemoryDc memory_;
    HGDIOBJ previousBitmap_ = nullptr;
    HGDIOBJ previousFont_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool ready_ = false;
};

}  // namespace

void RenderLabelBitmap(HWND window, LabelBitmap& target, int x, int y, int w, int h,
                       const wchar_t* text, COLORREF textColour, COLORREF background, HFONT font,
                       int* measuredWidth)
{
    LabelCanvas canvas(window, target, w, h, textColour, background);
    if (!canvas.ready()) return;
    canvas.UseFont(font);
    if (text == nullptr) return;
    const int length = static_cast<int>(wcslen(text));
    if (measuredWidth == nullptr) {
        RECT area = {4 * x + 10, 4 * y + 10, canvas.width(), canvas.height()};
        DrawTextW(canvas.dc(), text, length, &area, 0);
        return;
    }
    if (*measuredWidth == 0) {
        SIZE extent = {};
        if (GetTextExtentPoint32W(canvas.dc(), text, length, &extent)) *measuredWidth = extent.cx;
    }
    RECT area = {4 * x + 10, 4 * y + 10, *measuredWidth + 16, canvas.height()};
    DrawTextW(canvas.dc(), text, length, &area, DT_CENTER);
}

void RenderWrappedLabelBitmap(HWND window, LabelBitmap& target, int x, int y, int w, int h,
                              const wchar_t* text, COLORREF textColour, COLORREF background,
                              HFONT font, HFONT arialLabelFont, int rightInset)
{
    LabelCanvas canvas(window, target, w, h, textColour, background);
    if (!canvas.ready()) return;
    const DWORD language = ReadInstallLanguage();
    canvas.UseFont(WrappedLabelFont(language, font, arialLabelFont));
    if (text == nullptr) return;

    RECT area = WrappedLabelTextArea(x, y, w, h, rightInset);
    const std::wstring_view whole(text);
    const HDC dc = canvas.dc();
    for (const WrappedLine& line : LayOutWrappedLabel(dc, whole, language, area)) {
        if (line.length > 0)
            DrawTextW(dc, whole.data() + line.start, static_cast<int>(line.length), &area, 0);
        area.top += kWrappedLineStep;
    }
}
