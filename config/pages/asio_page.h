// Page 2, "ASIO": the ASIO driver's buffer size and the resulting latency.
#pragma once

#include "dialog/dialog_page.h"
#include "skin/label_bitmap.h"

#include <array>

class AsioPage : public DialogPage {
public:
    using DialogPage::DialogPage;

    void Init() override;
    void Refresh() override;
    void Paint(HDC memoryDc) override;
    void OnLButtonDown(int x, int y) override;
    void OnMouseMove(int x, int y) override;
    void OnLButtonUp(int x, int y) override;

    // Every 100 ms while the page is shown: which driver build streams, at what rate.
    void PollDrivers();

private:
    // The two driver builds; each has its own registry key, rate and streaming mutex.
    enum Build { k32Bit = 0, k64Bit = 1 };
    enum class Capture { None = 0, Button = 1, Knob = 2 };
    enum Look { kNormal = 0, kHover = 1, kPressed = 2 };

    void RenderStaticLabels();
    void RenderButtonLabel(Look look);
    void ReadSettings();
    // Shows `blocks` at the build's rate; writes "blockNum" of that build when `write`.
    void ShowValues(Build build, int blocks, bool write);
    // Both builds (the 64-bit one on 64-bit Windows only), with writing.
    void ApplyBlockCount(int blocks);
    void PollBuild(Build build);
    // Ends a press: the value goes to a running driver when the gesture changed it.
    void EndGesture();
    void AnnounceChange();
    void PaintButton(HDC dc);
    void PaintNotInstalled(HDC dc);

    int blocks_ = 4;
    std::array<int, 2> rate_{48000, 48000};
    int previousDriverState_ = 0;
    int shownRateColumn_ = 0;
    bool notInstalled_ = false;
    Capture capture_ = Capture::None;
    int hover_ = -1;
    int dragStartBlocks_ = 0;
    POINT dragStart_{};
    bool changed_ = false;

    LabelBitmap explanation_;
    std::array<LabelBitmap, 3> captions_;  // sampling rate, buffer size, latency
    LabelBitmap scaleMin_;
    LabelBitmap scaleMax_;
    LabelBitmap footnote_;
    LabelBitmap samples_;
    LabelBitmap latency_;
    std::array<LabelBitmap, 2> rateLabels_;
    std::array<LabelBitmap, 3> buttonLabels_;  // by Look
    LabelBitmap message_;
};
