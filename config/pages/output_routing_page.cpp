#include "pages/output_routing_page.h"

#include "app/setup_binding.h"
#include "app/ui_strings.h"
#include "dialog/mixer_config_dlg.h"
#include "dialog/placement.h"
#include "pages/routing_layout.h"
#include "popup/out_pop_menu.h"
#include "popup/source_highlight_table.h"
#include "strings/string_ids.h"

#include <algorithm>
#include <memory>
#include <string>

using namespace routing;

namespace {

constexpr int kLanguageInstalled = QVR_LANGUAGE_INSTALLED;
constexpr int kChannelsWithLabels = 4;
constexpr int kRoutingLabelsPerState = 64;
constexpr int kLevelLabelsPerState = 8;
constexpr int kBoxLeft = 406, kBoxRight = 573, kArrowX = 558;
constexpr int kHitLeft = 402, kHitRight = 568, kBoostHitRight = 569;
constexpr int kBoostTop = 458, kBoostBottom = 477;
constexpr int kMenuX = 402, kBoostMenuY = 483;
constexpr int kSelectionWidth = 151, kSelectionHeight = 18;
// The warning balloon.
constexpr int kBalloonLeft = 88, kBalloonTop = 144, kBalloonRight = 506, kBalloonBottom = 275;
constexpr int kShadowCorner = 28;
constexpr int kWarningX = 103, kWarningY = 145, kWarningWidth = 388, kWarningHeight = 110;
constexpr int kWarningOpacity = 95;
constexpr uint16_t kSelectorUsbA = 6;

const wchar_t* const kSourceFrames[kSourceFrameCount] = {
    L"FRAME_TC1", L"FRAME_TC2", L"FRAME_CH1FD", L"FRAME_CH2FD", L"FRAME_CFA",
    L"FRAME_CFB", L"FRAME_TMIC", L"FRAME_AUX", L"FRAME_MASTER",
};

// Sources 0 and 1 of channels 0 and 1 are the decks' control tones: they need the input
// selector on USB.
bool IsControlTone(int channel, int index) { return (channel == 0 || channel == 1) && (index == 0 || index == 1); }

CMixerConfigDlg* DialogOf(QVR_USER_VALUE user) { return reinterpret_cast<CMixerConfigDlg*>(user); }

// The library calls these from its window procedure: nothing may escape.
int QVR_CALL InputAudioChanged(int channel, int index, QVR_USER_VALUE user)
{
    try {
        if (CMixerConfigDlg* dialog = DialogOf(user))
            static_cast<OutputRoutingPage&>(dialog->page(1)).OnInputAudioChanged(channel, index);
    } catch (...) {
    }
    return 0;
}

int QVR_CALL BoostLevelChanged(int level, QVR_USER_VALUE user)
{
    try {
        if (CMixerConfigDlg* dialog = DialogOf(user))
            static_cast<OutputRoutingPage&>(dialog->page(1)).OnBoostLevelChanged(level);
    } catch (...) {
    }
    return 0;
}

}  // namespace

void OutputRoutingPage::Init()
{
    CMixerConfigDlg& d = dialog_;
    // The page's images and the menu's are decoded when first drawn: the window opens sooner.
    RenderStaticLabels();
    RenderMenuLabels();
    RenderWarningLabel(0);
    for (int channel = 0; channel < kChannelsWithLabels; ++channel) {
        int selection = 0;
        if (setup::QVR_GetCurrentUSBInputAudioIndex2(d.productId, channel, &selection, d.UserKey()) == QVR_SUCCESS)
            inputSelection_[channel] = selection;
    }
    int level = boostLevel_;
    if (setup::QVR_GetCurrentBoostLevelIndex2(d.productId, &level, d.UserKey()) == QVR_SUCCESS) boostLevel_ = level;
    d.page1Warning = 0;
    RenderSelectionLabels();
    d.ClosePopupMenu();
    const auto user = reinterpret_cast<QVR_USER_VALUE>(&d);
    setup::QVR_RegisterInputAudioChangedCallback(d.productId, InputAudioChanged, user);
    setup::QVR_RegisterBoostLevelChangedCallback(d.productId, BoostLevelChanged, user);
}

void OutputRoutingPage::RenderStaticLabels()
{
    CMixerConfigDlg& d = dialog_;
    HFONT label = d.labelFont.get();
    const UINT headings[] = {kStrHeadingSoftwareInput, kStrHeadingMixerOutput, kStrHeadingUsbOutputLevel};
    for (int i = 0; i < 3; ++i)
        d.RenderWrappedLabel(headings_[i], 0, 0, 248, 14, config::LoadUiString(headings[i]).c_str(), kHeadingText,
                             kPageBackground, label, 0);
    const UINT captions[] = {kStrRowDeck1, kStrRowDeck2, kStrRowRec};
    for (int row = 0; row < kRowCount; ++row) {
        d.RenderLabel(rowCaptions_[row], 0, 0, 100, 14, config::LoadUiString(captions[row]).c_str(), kCaptionText,
                      kPageBackground, label);
        d.RenderLabel(pairLabels_[row], 0, 0, 75, 14, config::LoadUiString(kStrPairUsb12 + row).c_str(), kBlack,
                      kPageBackground, label);
    }
    d.RenderWrappedLabel(routingHelp_, 0, 0, 230, 56, config::LoadUiString(kStrOutputRoutingHelp).c_str(),
                         kCaptionText, kPageBackground, d.messageFont.get(), 0);
}

void OutputRoutingPage::RenderMenuLabels()
{
    CMixerConfigDlg& d = dialog_;
    HFONT font = d.labelFont.get();
    // Item labels of all channels are numbered consecutively in one table of 64 per state.
    int next = 0;
    for (int channel = 0; channel < kChannelsWithLabels; ++channel) {
        int count = 0;
        if (setup::QVR_GetNumOfInputAudioIndex(d.productId, channel, &count) != QVR_SUCCESS || count <= 0) continue;
        count = std::min(count, kRoutingLabelsPerState - next);
        d.routingLabelFirst[channel] = next;
        for (int item = 0; item < count; ++item) {
            const wchar_t* text = nullptr;
            if (setup::QVR_GetUSBInputAudioText(d.productId, channel, item, kLanguageInstalled, &text) != QVR_SUCCESS ||
                text == nullptr)
                continue;
            const int entry = next + item;
            const struct {
                COLORREF text, background;
            } states[] = {{kBlack, kPageBackground},
                          {kWhite, kHighlightBackground},
                          {kGrey, kPageBackground},
                          {kGrey, kHighlightBackground}};
            for (int state = 0; state < 4; ++state)
                d.RenderLabel(d.routingLabels[kRoutingLabelsPerState * state + entry], 0, 0, 160, 14, text,
                              states[state].text, states[state].background, font);
        }
        next += count;
    }

    int count = 0;
    if (setup::QVR_GetNumOfBoostLevelIndex(d.productId, &count) != QVR_SUCCESS) return;
    count = std::clamp(count, 0, kLevelLabelsPerState);
    // Each version is centred on the width of the first label rendered in it.
    int normalWidth = 0, highlightedWidth = 0;
    for (int level = count - 1; level >= 0; --level) {
        const wchar_t* text = nullptr;
        if (setup::QVR_GetBoostLevelText(d.productId, level, kLanguageInstalled, &text) != QVR_SUCCESS ||
            text == nullptr)
            continue;
        d.RenderLabel(d.levelLabels[level], 0, 0, 117, 14, text, kBlack, kPageBackground, font, &normalWidth);
        d.RenderLabel(d.levelLabels[kLevelLabelsPerState + level], 0, 0, 117, 14, text, kWhite, kHighlightBackground,
                      font, &highlightedWidth);
    }
}

void OutputRoutingPage::RenderWarningLabel(int selectorType)
{
    CMixerConfigDlg& d = dialog_;
    const wchar_t* text = nullptr;
    if (setup::QVR_GetWarningTextForSetUSBAudioInput(d.productId, 0, QVR_SUCCESS_WARNING, kLanguageInstalled, &text,
                                                     selectorType) != QVR_SUCCESS ||
        text == nullptr)
        return;
    d.RenderWrappedLabel(warningLabel_, 91, 24, kWarningWidth, kWarningHeight, text, kCaptionText, kBalloonBackground,
                         d.messageFont.get(), 16);
}

COLORREF OutputRoutingPage::SelectionColour(int channel) const
{
    const CMixerConfigDlg& d = dialog_;
    if (!IsControlTone(channel, inputSelection_[channel])) return kBlack;
    return d.connected && d.certify.state == 1 ? kBlack : kGrey;
}

bool OutputRoutingPage::RenderSelectionLabel(int channel, COLORREF colour)
{
    CMixerConfigDlg& d = dialog_;
    const wchar_t* text = nullptr;
    if (setup::QVR_GetUSBInputAudioText(d.productId, channel, inputSelection_[channel], kLanguageInstalled, &text) !=
            QVR_SUCCESS ||
        text == nullptr)
        return false;
    d.RenderLabel(selectionLabels_[channel], 2, 2, kSelectionWidth, kSelectionHeight, text, colour, kBoxBackground,
                  d.labelFont.get());
    return true;
}

bool OutputRoutingPage::RenderBoostLabel()
{
    CMixerConfigDlg& d = dialog_;
    const wchar_t* text = nullptr;
    if (setup::QVR_GetBoostLevelText(d.productId, boostLevel_, kLanguageInstalled, &text) != QVR_SUCCESS ||
        text == nullptr)
        return false;
    d.RenderLabel(boostLabel_, 6, 2, kSelectionWidth, kSelectionHeight, text, kBlack, kBoxBackground,
                  d.labelFont.get());
    return true;
}

void OutputRoutingPage::RenderSelectionLabels()
{
    for (int channel = 0; channel < kRowCount; ++channel) RenderSelectionLabel(channel, SelectionColour(channel));
    RenderBoostLabel();
}

void OutputRoutingPage::Paint(HDC dc)
{
    CMixerConfigDlg& d = dialog_;
    DrawLabel(dc, &headings_[0], 47, 258, 248, 14);
    DrawLabel(dc, &headings_[1], 396, 258, 248, 14);
    DrawLabel(dc, &headings_[2], 396, 438, 248, 14);
    DrawLabel(dc, &rowCaptions_[0], 35, 284, 100, 14);
    DrawLabel(dc, &rowCaptions_[1], 35, 316, 100, 14);
    DrawLabel(dc, &rowCaptions_[2], 64, 348, 100, 14);
    for (int row = 0; row < kRowCount; ++row) DrawLabel(dc, &pairLabels_[row], 325, 284 + kRowStep * row, 75, 14);

    PaintConnectionArea(dc, d, L"CONNECT_OUT");
    DrawSkinImage(dc, d.LoadImage(L"PC"), 57, 92);
    DrawSkinImage(dc, d.LoadImage(L"MIXER"), 378, 94);
    d.CaptureFrameBackground(dc);
    // Highlight 9 stands for no source of this picture: nothing is drawn for it.
    if (IsDrawableSourceFrame(d.sourceHighlight))
        DrawSkinImageFaded(dc, d.LoadImage(kSourceFrames[d.sourceHighlight]), 378, 94, d.blinkOpacity);
    DrawSkinImage(dc, d.LoadImage(L"CENTERLINE_OUT_T2"), 296, 85);

    DrawSkinImage(dc, d.LoadImage(L"ROUTE_PC_OUT_T2"), 94, 277);
    const wchar_t* route = d.certify.state == 1 ? L"ROUTE_AI_OUT_BLUE_T2"
                           : d.connected        ? L"ROUTE_AI_OUT_QVR_BLUE_T2"
                                                : L"ROUTE_AI_OUT_QVR_GRAY_T2";
    DrawSkinImage(dc, d.LoadImage(route), 182, 277);
    RenderSelectionLabels();
    for (int row = 0; row < kRowCount; ++row) {
        const int y = RowY(row);
        const wchar_t* mixerRoute = nullptr;
        if (IsControlTone(row, inputSelection_[row])) {
            const bool usable = d.connected && d.certify.state == 1 &&
                                d.selectorStatusForDrawing[row] == CMixerConfigDlg::kSelectorUsb;
            mixerRoute = usable ? L"ROUTE_MIXER_OUT_BLUE" : L"ROUTE_MIXER_OUT_QVR_GRAY";
        } else {
            mixerRoute = d.connected ? L"ROUTE_MIXER_OUT_BLUE" : L"ROUTE_MIXER_OUT_GRAY";
        }
        DrawSkinImage(dc, d.LoadImage(mixerRoute), 380, y);
        DrawOutline(dc, kBoxLeft, y, kBoxRight, y + 19);
        DrawLabel(dc, &selectionLabels_[row], kBoxLeft + 1, y + 1, kSelectionWidth, kSelectionHeight);
        DrawSkinImage(dc, d.LoadImage(L"PULLDOWN_ARROW"), kArrowX, y);
    }
    DrawOutline(dc, kBoxLeft, kBoostTop, kBoxRight, kBoostBottom);
    DrawLabel(dc, &boostLabel_, kBoxLeft + 1, kBoostTop + 1, kSelectionWidth, kSelectionHeight);
    DrawSkinImage(dc, d.LoadImage(L"PULLDOWN_ARROW"), kArrowX, kBoostTop);
    DrawLabel(dc, &routingHelp_, 60, 440, 230, 56);
    if (d.page1Warning != 0) PaintWarning(dc, d.page1Warning);
}

void OutputRoutingPage::PaintWarning(HDC dc, int warning)
{
    CMixerConfigDlg& d = dialog_;
    const int L = kBalloonLeft, T = kBalloonTop, R = kBalloonRight, B = kBalloonBottom;
    DrawSkinImage(dc, d.LoadImage(L"PLDWN_SHADOW_LU"), L, T - 8);
    DrawSkinImageStretchedH(dc, d.LoadImage(L"PLDWN_SHADOW_CU"), L + kShadowCorner, T - 6, R - L - 2 * kShadowCorner);
    DrawSkinImage(dc, d.LoadImage(L"PLDWN_SHADOW_RU"), R - kShadowCorner, T - 8);
    DrawSkinImageStretchedV(dc, d.LoadImage(L"PLDWN_SHADOW_LC"), L, T + 17, B - T - 45);
    DrawSkinImageStretchedV(dc, d.LoadImage(L"PLDWN_SHADOW_RC"), R - kShadowCorner, T + 17, B - T - 45);
    DrawSkinImage(dc, d.LoadImage(L"PLDWN_SHADOW_LD"), L, B - kShadowCorner);
    DrawSkinImageStretchedH(dc, d.LoadImage(L"PLDWN_SHADOW_CD"), L + kShadowCorner, B - kShadowCorner,
                            R - L - 2 * kShadowCorner);
    DrawSkinImage(dc, d.LoadImage(L"PLDWN_SHADOW_RD"), R - kShadowCorner, B - kShadowCorner);

    int selectorType = 0;
    if (d.usbConnectionLevel == 0 && warning >= 1 && warning <= kRowCount)
        selectorType = d.selectorStatus[warning - 1] == kSelectorUsbA ? 0 : 1;
    RenderWarningLabel(selectorType);
    DrawLabelFramed(dc, &warningLabel_, kWarningX, kWarningY, kWarningWidth, kWarningHeight, kWarningOpacity);
    DrawSkinImage(dc, d.LoadImage(L"INPUTSELECTOR"), 116, 157);
}

void OutputRoutingPage::OnLButtonDown(int x, int y)
{
    CMixerConfigDlg& d = dialog_;
    if (d.page1Warning != 0) {
        d.page1Warning = 0;
        d.Redraw();
        return;
    }
    int hit = -1;
    for (int row = 0; row < kRowCount; ++row)
        if (x >= kHitLeft && x <= kHitRight && y >= RowY(row) && y < RowY(row) + kPulldownHeight) hit = row;
    if (hit >= 0 && !(d.popupOpen && hit == d.popupRow)) {
        d.ClosePopupMenu();
        d.RedrawRect(0, kRowTop, config::kClientWidth, config::kClientHeight);
        d.popupRow = hit;
        d.popupOpen = true;
        d.popup = std::make_unique<COutPopMenu>(d, kMenuX, RowY(hit) + kMenuOffset, hit, inputSelection_[hit], 0);
        return;
    }
    if (hit < 0 && d.popupRow < kLevelMenuRow && x >= kHitLeft && x <= kBoostHitRight && y >= kBoostTop &&
        y <= kBoostBottom) {
        d.ClosePopupMenu();
        d.RedrawRect(0, kRowTop, config::kClientWidth, config::kClientHeight);
        d.popupRow = kLevelMenuRow;
        d.popupOpen = true;
        d.popup = std::make_unique<COutPopMenu>(d, kMenuX, kBoostMenuY, kLevelMenuRow, boostLevel_, 0);
        return;
    }
    d.ClosePopupMenu();
}

void OutputRoutingPage::SelectUsbInputRoute(int row, int item)
{
    CMixerConfigDlg& d = dialog_;
    if (item < 0) return;
    if (row == kLevelMenuRow) {
        if (item == boostLevel_) return;
        boostLevel_ = item;
        RenderBoostLabel();
        setup::QVR_SetBoostLevelIndex2(d.productId, item, d.UserKey(), 1);
        d.Redraw();
        return;
    }
    if (row < 0 || row >= kRowCount) return;
    d.sourceHighlight = kSourceHighlightOff;
    if (item != inputSelection_[row]) {
        inputSelection_[row] = item;
        RenderSelectionLabel(row, SelectionColour(row));
        const int result = setup::QVR_SetUSBInputAudio2(d.productId, row, item, d.UserKey(), 1);
        if (row <= 1 && result == QVR_SUCCESS_WARNING) d.page1Warning = row + 1;
    }
    d.Redraw();
}

void OutputRoutingPage::OnInputAudioChanged(int channel, int index)
{
    // The announcement may come from any program: a channel outside the page's table is not ours.
    if (channel < 0 || channel >= kChannelsWithLabels) return;
    if (index == inputSelection_[channel]) return;
    inputSelection_[channel] = index;
    if (channel >= kRowCount) return;
    selectionLabels_[channel].reset();
    if (RenderSelectionLabel(channel, kBlack)) dialog_.Redraw();
}

void OutputRoutingPage::OnBoostLevelChanged(int level)
{
    if (level == boostLevel_) return;
    boostLevel_ = level;
    boostLabel_.reset();
    if (RenderBoostLabel()) dialog_.Redraw();
}
