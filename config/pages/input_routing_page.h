// Page 0, "MIXER INPUT": which mixer channel each of the computer's USB outputs feeds.
#pragma once

#include "dialog/dialog_page.h"
#include "skin/label_bitmap.h"

#include <array>

class InputRoutingPage : public DialogPage {
public:
    using DialogPage::DialogPage;

    void Init() override;
    void Paint(HDC memoryDc) override;
    void OnLButtonDown(int x, int y) override;

    // The row boxes' channel names and the selector positions beside them.
    void RenderChannelLabels();
    // A choice in the page's popup menu: row `row` feeds mixer input `item` (0 CH1, 1 CH2,
    // 2 AUX). The three rows stay a permutation: the row that had `item` takes the old value.
    void SelectUsbOutputRoute(int row, int item);

    // The mixer input a row shows: its selection while routing is enabled, else its default.
    int DisplayedChannel(int row) const;
    bool routingEnabled() const { return routingEnabled_; }

private:
    void RenderStaticLabels();
    void RenderMenuLabels();
    // Routing follows the certify state: locked routes go back to the mixer's defaults, and
    // the user's selections return when the lock ends.
    void FollowCertifyState();

    std::array<int, 3> outputSelection_{0, 1, 2};
    // Enabled until the first paint says otherwise: a first paint while unlocked sends nothing.
    bool routingEnabled_ = true;

    std::array<LabelBitmap, 3> channelLabels_;
    std::array<LabelBitmap, 3> selectorLabels_;
    std::array<LabelBitmap, 2> headings_;
    std::array<LabelBitmap, 3> rowCaptions_;
    std::array<LabelBitmap, 3> pairLabels_;
    LabelBitmap routingHelp_;
    LabelBitmap selectorHelp_;
    LabelBitmap lockedNotice_;
};
