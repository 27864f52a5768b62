// The process-wide graphics start-up: GDI+ runs from static initialisation to process exit,
// and the two small text fonts of DrawCenteredText live as long.
#pragma once

#include <windows.h>

namespace Gdiplus {
class GpFont;
}

class CSkinGraphics {
public:
    CSkinGraphics();
    ~CSkinGraphics();
    CSkinGraphics(const CSkinGraphics&) = delete;
    CSkinGraphics& operator=(const CSkinGraphics&) = delete;

    bool started() const { return token_ != 0; }
    // 12-pixel regular fonts; null when neither the face nor the generic sans-serif exists.
    Gdiplus::GpFont* GuiTextFont() const { return guiTextFont_; }
    Gdiplus::GpFont* ArialTextFont() const { return arialTextFont_; }

private:
    ULONG_PTR token_ = 0;
    Gdiplus::GpFont* guiTextFont_ = nullptr;
    Gdiplus::GpFont* arialTextFont_ = nullptr;
};

// The one instance; made during static initialisation of any program that links the skin code.
CSkinGraphics& SkinGraphics();
