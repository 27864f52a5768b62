#include "pages/input_routing_page.h"

#include "app/setup_binding.h"
#include "app/ui_strings.h"
#include "dialog/mixer_config_dlg.h"
#include "dialog/placement.h"
#include "pages/routing_layout.h"
#include "popup/in_pop_menu.h"
#include "strings/string_ids.h"

#include <iterator>
#include <memory>
#include <string>

using namespace routing;

namespace {

constexpr int kMixerInputCount = 3;  // CH1, CH2, AUX
constexpr int kBoxLeft = 424, kBoxRight = 490;
constexpr int kHitLeft = 420, kHitRight = 485;
constexpr int kChannelLabelWidth = 50, kChannelLabelHeight = 18;
constexpr int kSelectorLabelWidth = 90, kSelectorLabelHeight = 14;

bool IsMixerInput(int value) { return value >= 0 && value < kMixerInputCount; }

// Name of the mixer input `channel` as the boxes and menu items show it.
std::wstring MixerInputName(int channel)
{
    return FirstWord(config::LoadUiString(kStrChannelCh1 + channel));
}

}  // namespace

void InputRoutingPage::Init()
{
    CMixerConfigDlg& d = dialog_;
    for (const wchar_t* name : {L"CONNECT_IN", L"ROUTE_PC_IN_T2", L"ROUTE_AI_IN_BLUE_T2", L"ROUTE_AI_IN_QVR_GRAY_T2",
                                L"ROUTE_AI_IN_QVR_BLUE_T2", L"ROUTE_MIXER_IN_GRAY", L"ROUTE_MIXER_IN_BLUE",
                                L"FRAME_INPUTSELECTOR", L"PULLDOWN_ARROW", L"PULLDOWN_ARROW_DIS"})
        d.LoadImage(name);
    RenderStaticLabels();
    d.selectorStatusForDrawing.fill(CMixerConfigDlg::kSelectorNotReported);
    d.ReadInputSelectorStatuses();
    RenderChannelLabels();
    RenderMenuLabels();
    for (int channel = 0; channel < kRowCount; ++channel) {
        int selection = channel;
        if (setup::QVR_GetCurrentUSBOutputAudioIndex2(d.productId, channel, &selection, d.UserKey()) == QVR_SUCCESS &&
            IsMixerInput(selection))
            outputSelection_[channel] = selection;
    }
}

void InputRoutingPage::RenderStaticLabels()
{
    CMixerConfigDlg& d = dialog_;
    HFONT label = d.labelFont.get();
    const UINT headings[] = {kStrHeadingSoftwareOutput, kStrHeadingMixerInput};
    for (int i = 0; i < 2; ++i)
        d.RenderWrappedLabel(headings_[i], 0, 0, 248, 14, config::LoadUiString(headings[i]).c_str(), kHeadingText,
                             kPageBackground, label, 0);
    const UINT captions[] = {kStrRowDeck1, kStrRowDeck2, kStrRowSampler};
    for (int row = 0; row < kRowCount; ++row) {
        d.RenderLabel(rowCaptions_[row], 0, 0, 100, 14, config::LoadUiString(captions[row]).c_str(), kCaptionText,
                      kPageBackground, label);
        d.RenderLabel(pairLabels_[row], 0, 0, 55, 14, config::LoadUiString(kStrPairUsb12 + row).c_str(), kBlack,
                      kPageBackground, label);
    }
    HFONT message = d.messageFont.get();
    d.RenderWrappedLabel(routingHelp_, 0, 0, 230, 56, config::LoadUiString(kStrInputRoutingHelp).c_str(), kCaptionText,
                         kPageBackground, message, 0);
    d.RenderWrappedLabel(selectorHelp_, 0, 0, 217, 70, config::LoadUiString(kStrInputSelectorHelp).c_str(),
                         kCaptionText, kPageBackground, message, 0);
    d.RenderWrappedLabel(lockedNotice_, 0, 0, 237, 42, config::LoadUiString(kStrInputRoutingLocked).c_str(),
                         kCaptionText, kPageBackground, message, 0);
}

void InputRoutingPage::RenderMenuLabels()
{
    CMixerConfigDlg& d = dialog_;
    for (int item = 0; item < kMixerInputCount; ++item) {
        const std::wstring name = MixerInputName(item);
        d.RenderLabel(d.inputMenuLabels[item], 0, 0, 50, 14, name.c_str(), kBlack, kPageBackground, d.labelFont.get());
        d.RenderLabel(d.inputMenuLabels[kMixerInputCount + item], 0, 0, 50, 14, name.c_str(), kWhite,
                      kHighlightBackground, d.labelFont.get());
    }
}

int InputRoutingPage::DisplayedChannel(int row) const
{
    return routingEnabled_ && IsMixerInput(outputSelection_[row]) ? outputSelection_[row] : row;
}

void InputRoutingPage::RenderChannelLabels()
{
    CMixerConfigDlg& d = dialog_;
    HFONT font = d.labelFont.get();
    for (int channel = 0; channel < kRowCount; ++channel) {
        // Each channel shows its own position: a channel the mixer has not reported shows none.
        std::wstring text = L": ";
        const uint16_t status = d.selectorStatusForDrawing[channel];
        if (d.connected && status < std::size(kSelectorPositionStringId))
            text += config::LoadUiString(kSelectorPositionStringId[status]);
        d.RenderLabel(selectorLabels_[channel], 0, 0, kSelectorLabelWidth, kSelectorLabelHeight, text.c_str(), kBlack,
                      kPageBackground, font);
    }
    for (int row = 0; row < kRowCount; ++row)
        d.RenderLabel(channelLabels_[row], 2, 2, kChannelLabelWidth, kChannelLabelHeight,
                      MixerInputName(DisplayedChannel(row)).c_str(), routingEnabled_ ? kBlack : kGrey, kBoxBackground,
                      font);
}

void InputRoutingPage::FollowCertifyState()
{
    CMixerConfigDlg& d = dialog_;
    // The new state is taken and its routes sent before anything that can paint again:
    // closing a menu repaints at once, and that nested paint runs this again. It then finds
    // the state already followed instead of an edge the outer call has yet to act on.
    const bool enabled = d.certify.state != 1;
    const bool edge = enabled != routingEnabled_;
    routingEnabled_ = enabled;
    if (edge) {
        // Every channel exactly once, whatever the stored selections hold.
        for (int channel = 0; channel < kRowCount; ++channel) {
            if (enabled)
                setup::QVR_SetUSBOutputAudio2(d.productId, channel, outputSelection_[channel], d.UserKey(), 1);
            else
                setup::QVR_SetUSBOutputAudioDefault(d.productId, channel);
        }
    }
    if (!enabled) d.ClosePopupMenu();
}

void InputRoutingPage::Paint(HDC dc)
{
    CMixerConfigDlg& d = dialog_;
    DrawLabel(dc, &headings_[0], 47, 258, 248, 14);
    DrawLabel(dc, &headings_[1], 396, 258, 248, 14);
    DrawLabel(dc, &rowCaptions_[0], 35, 284, 100, 14);
    DrawLabel(dc, &rowCaptions_[1], 35, 316, 100, 14);
    DrawLabel(dc, &rowCaptions_[2], 32, 348, 100, 14);
    for (int row = 0; row < kRowCount; ++row) DrawLabel(dc, &pairLabels_[row], 325, 284 + kRowStep * row, 55, 14);

    PaintConnectionArea(dc, d, L"CONNECT_IN");
    DrawSkinImage(dc, d.LoadImage(L"PC"), 57, 92);
    DrawSkinImage(dc, d.LoadImage(L"INPUTSELECTOR"), 514, 108);
    DrawSkinImage(dc, d.LoadImage(L"MIXER"), 378, 94);
    d.CaptureFrameBackground(dc);
    DrawSkinImage(dc, d.LoadImage(L"CENTERLINE_T2"), 296, 85);

    FollowCertifyState();

    DrawSkinImage(dc, d.LoadImage(L"ROUTE_PC_IN_T2"), 94, 277);
    const wchar_t* route = d.certify.state == 1 ? L"ROUTE_AI_IN_BLUE_T2"
                           : d.connected        ? L"ROUTE_AI_IN_QVR_BLUE_T2"
                                                : L"ROUTE_AI_IN_QVR_GRAY_T2";
    DrawSkinImage(dc, d.LoadImage(route), 182, 277);
    for (int row = 0; row < kRowCount; ++row) {
        const int channel = DisplayedChannel(row);
        const bool onUsb = d.connected && d.selectorStatusForDrawing[channel] == CMixerConfigDlg::kSelectorUsb;
        DrawSkinImage(dc, d.LoadImage(onUsb ? L"ROUTE_MIXER_IN_BLUE" : L"ROUTE_MIXER_IN_GRAY"), 381, RowY(row));
    }

    RenderChannelLabels();
    for (int row = 0; row < kRowCount; ++row) {
        const int y = RowY(row);
        DrawOutline(dc, kBoxLeft, y, kBoxRight, y + 19);
        DrawLabel(dc, &channelLabels_[row], kBoxLeft + 1, y + 1, kChannelLabelWidth, kChannelLabelHeight);
        DrawSkinImage(dc, d.LoadImage(routingEnabled_ ? L"PULLDOWN_ARROW" : L"PULLDOWN_ARROW_DIS"), 475, y);
        DrawLabel(dc, &selectorLabels_[DisplayedChannel(row)], 495, y + 2, kSelectorLabelWidth, kSelectorLabelHeight);
    }

    DrawLabel(dc, &routingHelp_, 60, 440, 230, 56);
    DrawLabel(dc, &selectorHelp_, 330, 440, 217, 70);
    if (!routingEnabled_) DrawLabel(dc, &lockedNotice_, 330, 390, 237, 42);
}

void InputRoutingPage::OnLButtonDown(int x, int y)
{
    CMixerConfigDlg& d = dialog_;
    if (!routingEnabled_) return;
    int hit = -1;
    for (int row = 0; row < kRowCount; ++row)
        if (x >= kHitLeft && x <= kHitRight && y >= RowY(row) && y < RowY(row) + kPulldownHeight) hit = row;
    // A click on the field whose menu is open closes it, like any other miss.
    if (hit < 0 || (d.popupOpen && hit == d.popupRow)) {
        d.ClosePopupMenu();
        return;
    }
    d.ClosePopupMenu();
    d.RedrawRect(0, kRowTop, config::kClientWidth, config::kClientHeight);
    d.popupRow = hit;
    d.popupOpen = true;
    d.popup = std::make_unique<CInPopMenu>(d, kHitLeft, RowY(hit) + kMenuOffset, hit, outputSelection_[hit], 0);
}

void InputRoutingPage::SelectUsbOutputRoute(int row, int item)
{
    CMixerConfigDlg& d = dialog_;
    if (!routingEnabled_ || row < 0 || row >= kRowCount || !IsMixerInput(item)) return;
    if (item == outputSelection_[row]) return;
    const int previous = outputSelection_[row];
    int holder = -1;
    for (int channel = 0; channel < kRowCount && holder < 0; ++channel)
        if (outputSelection_[channel] == item) holder = channel;
    if (holder >= 0) {
        outputSelection_[holder] = previous;
        setup::QVR_SetUSBOutputAudio2(d.productId, holder, previous, d.UserKey(), 1);
    }
    // Without a holder (selections stored by another program need not be a permutation) the
    // row still takes the choice.
    outputSelection_[row] = item;
    setup::QVR_SetUSBOutputAudio2(d.productId, row, item, d.UserKey(), 1);
    d.Redraw();
}
