// Page 1, "MIXER OUTPUT": which mixer signal each of the computer's USB inputs receives, and
// the USB output level.
#pragma once

#include "dialog/dialog_page.h"
#include "skin/label_bitmap.h"

#include <array>

class OutputRoutingPage : public DialogPage {
public:
    using DialogPage::DialogPage;

    void Init() override;
    void Paint(HDC memoryDc) override;
    void OnLButtonDown(int x, int y) override;

    // A choice in the page's popup menus: rows 0 to 2 a source, row 5 the boost level.
    void SelectUsbInputRoute(int row, int item);

    // Changes announced by the setup library (another program's or our own setters).
    void OnInputAudioChanged(int channel, int index);
    void OnBoostLevelChanged(int level);

    int inputSelection(int channel) const { return inputSelection_[channel]; }
    int boostLevel() const { return boostLevel_; }

private:
    void RenderStaticLabels();
    void RenderMenuLabels();
    void RenderWarningLabel(int selectorType);
    void RenderSelectionLabels();
    // Row `channel`'s box label; false when the library has no text for the selection.
    bool RenderSelectionLabel(int channel, COLORREF colour);
    bool RenderBoostLabel();
    COLORREF SelectionColour(int channel) const;
    void PaintWarning(HDC dc, int warning);

    std::array<int, 4> inputSelection_{0, 0, 0, 0};  // channel 3 is read but never shown
    int boostLevel_ = 3;

    std::array<LabelBitmap, 3> selectionLabels_;
    LabelBitmap boostLabel_;
    std::array<LabelBitmap, 3> headings_;
    std::array<LabelBitmap, 3> rowCaptions_;
    std::array<LabelBitmap, 3> pairLabels_;
    LabelBitmap routingHelp_;
    LabelBitmap warningLabel_;
};
