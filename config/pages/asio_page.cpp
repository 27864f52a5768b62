#include "pages/asio_page.h"

#include "app/registry_names.h"
#include "app/ui_strings.h"
#include "asio_drivers/asio_drivers.h"
#include "common/package_names.h"
#include "common/unique_handle.h"
#include "dialog/label_log.h"
#include "dialog/mixer_config_dlg.h"
#include "dialog/placement.h"
#include "pages/asio_page_rules.h"
#include "skin/gdi_owners.h"
#include "strings/string_ids.h"

using namespace config::asio_page;
namespace names = rkx::names;

namespace {

constexpr COLORREF kBlack = 0x010000;  // the black of every text on the page
constexpr COLORREF kPageGrey = RGB(0xE8, 0xE8, 0xE8);
constexpr COLORREF kTextGrey = RGB(0x50, 0x50, 0x50);
constexpr COLORREF kOtherRateGrey = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kMessageBackground = RGB(0xF8, 0xF8, 0xF8);

// What the utility shares with the two driver builds.
struct DriverBuild {
    const wchar_t* keyName;      // under the user's "SOFTWARE"
    const wchar_t* mutexName;    // exists while a driver of this build streams
    int driverState;             // the dialog's ASIO driver state while it streams
};
constexpr DriverBuild kBuilds[2] = {
    {names::kAsio32KeyNameW, names::kAsio32StreamingMutexW, 1},
    {names::kAsio64KeyNameW, names::kAsio64StreamingMutexW, 2},
};
// A driver's window answers at once (it only asks its host for a reset).
constexpr UINT kDriverNoticeTimeoutMs = 2000;
constexpr int kMessageOpacity = 95;

// Layout of the page, client pixels.
constexpr RECT kOutline{38, 277, 556, 498};  // inclusive
constexpr POINT kCaptionAt[3] = {{86, 301}, {86, 375}, {86, 417}};
constexpr POINT kLineAt[3] = {{86, 315}, {86, 387}, {86, 427}};
constexpr int kCaptionWidth = 250, kLabelHeight = 14;
constexpr int kValueX = 169, kRateY = 319, kSamplesY = 391, kLatencyY = 433, kValueWidth = 116;
constexpr int kScaleMinX = 315, kScaleMaxX = 484, kScaleY = 363, kScaleWidth = 50;
constexpr int kFootnoteX = 37, kFootnoteY = 513, kWideWidth = 519;
constexpr int kExplanationX = 37, kExplanationY = 152, kExplanationHeight = 95, kExplanationLabelHeight = 100;
constexpr int kSliderX = 321, kSliderY = 376, kKnobY = 386;
constexpr int kButtonX = 206, kButtonY = 460, kButtonEndWidth = 20, kButtonMiddleWidth = 143, kButtonHeight = 25;
constexpr RECT kButtonRedraw{206, 460, 389, 485};
constexpr RECT kDragRedraw{170, 386, 502, 446};
constexpr int kVeilTop = 85;
constexpr RECT kBalloon{88, 144, 506, 351};
constexpr int kMessageX = 103, kMessageY = 145, kMessageWidth = 410, kMessageHeight = 186;
constexpr int kMessageLabelWidth = 388, kMessageTextX = 34, kMessageTextY = 22, kMessageRightInset = 30;
// The button label: 143 x 25 at four times the size, the text placed on the middle piece.
constexpr int kButtonLabelWidth = 4 * kButtonMiddleWidth + 16, kButtonLabelHeight = 4 * kButtonHeight + 16;
constexpr int kButtonTextTop = 28;

const wchar_t* const kButtonPieces[3][3] = {
    {L"BUTTON_NORMAL_L", L"BUTTON_NORMAL_C", L"BUTTON_NORMAL_R"},
    {L"BUTTON_OVER_L", L"BUTTON_OVER_C", L"BUTTON_OVER_R"},
    {L"BUTTON_ON_L", L"BUTTON_ON_C", L"BUTTON_ON_R"},
};

// Only tested for existence: the handle is closed at once.
bool MutexExists(const wchar_t* name)
{
    return rkx::UniqueHandle(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name)).valid();
}

// A DWORD of root\SOFTWARE\<keyName>; nothing when a key or the value is missing, the value
// is no DWORD or holds the "missing" marker.
std::optional<DWORD> ReadDriverValue(HKEY root, const wchar_t* keyName, const wchar_t* valueName)
{
    if (root == nullptr) return std::nullopt;
    rkx::UniqueKey software;
    if (RegOpenKeyExW(root, names::kSoftwareKeyW, 0, KEY_ALL_ACCESS, software.receive()) != ERROR_SUCCESS)
        return std::nullopt;
    rkx::UniqueKey key;
    if (RegOpenKeyExW(software.get(), keyName, 0, KEY_ALL_ACCESS, key.receive()) != ERROR_SUCCESS) return std::nullopt;
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value || value == config::kMissingValue)
        return std::nullopt;
    return value;
}

// "blockNum" into root\SOFTWARE\<keyName>, creating the driver's key but never "SOFTWARE".
void WriteBlockNum(HKEY root, const wchar_t* keyName, int blocks)
{
    if (root == nullptr) return;
    rkx::UniqueKey software;
    if (RegOpenKeyExW(root, names::kSoftwareKeyW, 0, KEY_ALL_ACCESS, software.receive()) != ERROR_SUCCESS) return;
    rkx::UniqueKey key;
    if (RegCreateKeyExW(software.get(), keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr) !=
        ERROR_SUCCESS)
        return;
    config::WriteDword(key.get(), names::kBlockNumValueW, static_cast<DWORD>(blocks));
}

void Outline(HDC dc, const RECT& inclusive)
{
    skin::SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
    skin::SelectedObject pen(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, inclusive.left, inclusive.top, inclusive.right + 1, inclusive.bottom + 1);
}

}  // namespace

// --- Labels ---------------------------------------------------------------------------------

void AsioPage::Init()
{
    // The page's images are decoded when first drawn: the window opens sooner.
    RenderStaticLabels();
    for (Look look : {kNormal, kHover, kPressed}) RenderButtonLabel(look);

    capture_ = Capture::None;
    hover_ = -1;
    notInstalled_ = false;
    changed_ = false;
    shownRateColumn_ = 0;

    Refresh();
    PollBuild(k32Bit);
    if (dialog_.is64BitWindows) PollBuild(k64Bit);
}

void AsioPage::RenderStaticLabels()
{
    CMixerConfigDlg& d = dialog_;
    HFONT font = d.messageFont.get();
    d.RenderWrappedLabel(explanation_, 0, 0, kWideWidth, kExplanationLabelHeight,
                         config::LoadUiString(kStrAsioHelp).c_str(), kTextGrey, kPageGrey, font, 0);
    const UINT captions[3] = {kStrSamplingRate, kStrBufferSize, kStrLatency};
    for (int i = 0; i < 3; ++i)
        d.RenderLabel(captions_[i], 0, 0, kCaptionWidth, kLabelHeight, config::LoadUiString(captions[i]).c_str(),
                      kBlack, kPageGrey, font);
    d.RenderLabel(scaleMin_, 0, 0, kScaleWidth, kLabelHeight, L"64", kBlack, kPageGrey, font);
    d.RenderLabel(scaleMax_, 0, 0, kScaleWidth, kLabelHeight, L"1920", kBlack, kPageGrey, font);
    d.RenderLabel(footnote_, 0, 0, kWideWidth, kLabelHeight, config::LoadUiString(kStrAsioCredit).c_str(), kTextGrey,
                  kPageGrey, font);
}

// The button's label carries the middle piece of its look behind the text, so the scaled-down
// label matches the pieces drawn around it.
void AsioPage::RenderButtonLabel(Look look)
{
    CMixerConfigDlg& d = dialog_;
    LabelBitmap& label = buttonLabels_[look];
    const std::wstring text = config::LoadUiString(kStrStandardSetting);
    const COLORREF colour = look == kPressed ? kBlack : kPageGrey;
    config::LogRenderedLabel(kButtonMiddleWidth, kButtonHeight, colour, text.c_str());

    skin::WindowDc window(d.OwnerWindow());
    skin::MemoryDc memory(window.get());
    label.reset(CreateCompatibleBitmap(window.get(), kButtonLabelWidth, kButtonLabelHeight));
    if (memory.get() == nullptr || label.empty()) return;
    skin::SelectedObject bitmap(memory.get(), label.get());
    skin::GdiObject<HBRUSH> fill(CreateSolidBrush(kPageGrey));
    const RECT all{0, 0, kButtonLabelWidth, kButtonLabelHeight};
    FillRect(memory.get(), &all, fill.get());
    DrawSkinImageStretched(memory.get(), d.LoadImage(kButtonPieces[look][1]), 0, 8, kButtonLabelWidth, 100);
    skin::SelectedObject font(memory.get(), d.buttonFont.get());
    SIZE extent{};
    GetTextExtentPoint32W(memory.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    SetBkMode(memory.get(), TRANSPARENT);
    SetTextColor(memory.get(), colour);
    TextOutW(memory.get(), (kButtonLabelWidth - 16 - extent.cx) / 2 + 8, kButtonTextTop, text.c_str(),
             static_cast<int>(text.size()));
}

// --- Values ---------------------------------------------------------------------------------

void AsioPage::Refresh()
{
    CMixerConfigDlg& d = dialog_;
    if (!config::OwnAsioDriverInstalled()) {
        notInstalled_ = true;
        d.RenderWrappedLabel(message_, kMessageTextX, kMessageTextY, kMessageLabelWidth, kMessageHeight,
                             config::FormatUiString(kStrAsioNotInstalled, config::kModelName).c_str(), kTextGrey,
                             kMessageBackground, d.messageFont.get(), kMessageRightInset);
    }
    ReadSettings();
}

void AsioPage::ReadSettings()
{
    CMixerConfigDlg& d = dialog_;
    // Auto-started for a user whose hive cannot be opened: the defaults stay.
    const rkx::UniqueKey root = d.userRoot().Open();
    const int blocks = AcceptedBlockCount(ReadDriverValue(root.get(), kBuilds[k32Bit].keyName, names::kBlockNumValueW));
    rate_[k32Bit] = AcceptedSampleRate(ReadDriverValue(root.get(), kBuilds[k32Bit].keyName, names::kSampleRateValueW));
    ShowValues(k32Bit, blocks, false);
    if (d.is64BitWindows) {
        rate_[k64Bit] =
            AcceptedSampleRate(ReadDriverValue(root.get(), kBuilds[k64Bit].keyName, names::kSampleRateValueW));
        ShowValues(k64Bit, blocks, false);
    }
}

void AsioPage::ShowValues(Build build, int blocks, bool write)
{
    CMixerConfigDlg& d = dialog_;
    blocks_ = blocks;
    if (build == k64Bit && !d.is64BitWindows) return;
    HFONT font = d.messageFont.get();
    const int rate = rate_[build];
    d.RenderLabel(samples_, 0, 0, kValueWidth, kLabelHeight,
                  FormatIntegers(config::LoadUiString(kStrSamplesFormat), {kFramesPerBlock * blocks}).c_str(), kBlack,
                  kPageGrey, font);
    const int tenths = LatencyTenths(blocks, rate);
    d.RenderLabel(latency_, 0, 0, kValueWidth, kLabelHeight,
                  FormatIntegers(config::LoadUiString(kStrLatencyFormat), {tenths / 10, tenths % 10}).c_str(), kBlack,
                  kPageGrey, font);
    // The driver runs at 48000 Hz: that is the rate shown, greyed when the registry says otherwise.
    d.RenderLabel(rateLabels_[build], 0, 0, kValueWidth, kLabelHeight,
                  FormatIntegers(config::LoadUiString(kStrRateFormat), {kDefaultRate}).c_str(),
                  rate == kDefaultRate ? kBlack : kOtherRateGrey, kPageGrey, font);
    if (write) {
        const rkx::UniqueKey root = d.userRoot().Open();
        WriteBlockNum(root.get(), kBuilds[build].keyName, blocks);
    }
}

void AsioPage::ApplyBlockCount(int blocks)
{
    ShowValues(k32Bit, blocks, true);
    if (dialog_.is64BitWindows) ShowValues(k64Bit, blocks, true);
}

void AsioPage::PollDrivers()
{
    PollBuild(k32Bit);
    if (dialog_.is64BitWindows) PollBuild(k64Bit);
}

void AsioPage::PollBuild(Build build)
{
    if (notInstalled_ || !MutexExists(kBuilds[build].mutexName)) return;
    CMixerConfigDlg& d = dialog_;
    previousDriverState_ = d.asioDriverState;
    d.asioDriverState = kBuilds[build].driverState;
    d.Redraw();
    const rkx::UniqueKey root = d.userRoot().Open();
    const int rate = AcceptedSampleRate(ReadDriverValue(root.get(), kBuilds[build].keyName, names::kSampleRateValueW));
    if (rate != rate_[build]) {
        rate_[build] = rate;
        ShowValues(build, blocks_, false);
        d.Redraw();
    }
}

// --- Paint ----------------------------------------------------------------------------------

void AsioPage::Paint(HDC dc)
{
    CMixerConfigDlg& d = dialog_;
    Outline(dc, kOutline);
    for (int i = 0; i < 3; ++i)
        DrawLabel(dc, &captions_[i], kCaptionAt[i].x, kCaptionAt[i].y, kCaptionWidth, kLabelHeight);
    DrawLabel(dc, &footnote_, kFootnoteX, kFootnoteY, kWideWidth, kLabelHeight);
    DrawLabel(dc, &scaleMin_, kScaleMinX, kScaleY, kScaleWidth, kLabelHeight);
    DrawLabel(dc, &scaleMax_, kScaleMaxX, kScaleY, kScaleWidth, kLabelHeight);
    DrawLabel(dc, &samples_, kValueX, kSamplesY, kValueWidth, kLabelHeight);
    DrawLabel(dc, &latency_, kValueX, kLatencyY, kValueWidth, kLabelHeight);

    // Which build streams right now; with none, the rate of the build used last stays shown.
    previousDriverState_ = d.asioDriverState;
    if (MutexExists(kBuilds[k32Bit].mutexName))
        d.asioDriverState = 1;
    else if (d.is64BitWindows && MutexExists(kBuilds[k64Bit].mutexName))
        d.asioDriverState = 2;
    else
        d.asioDriverState = 0;
    if (!d.is64BitWindows)
        shownRateColumn_ = 1;
    else if (d.asioDriverState != 0)
        shownRateColumn_ = d.asioDriverState;
    DrawLabel(dc, &rateLabels_[k32Bit], kValueX, kRateY, kValueWidth, kLabelHeight);
    if (d.is64BitWindows && shownRateColumn_ == 2)
        DrawLabel(dc, &rateLabels_[k64Bit], kValueX, kRateY, kValueWidth, kLabelHeight);

    for (const POINT& at : kLineAt) DrawSkinImage(dc, d.LoadImage(L"L_LINE"), at.x, at.y);
    DrawSkinImage(dc, d.LoadImage(L"SLIDER_BASE"), kSliderX, kSliderY);
    DrawSkinImage(dc, d.LoadImage(L"SLIDER_KNOB"), KnobLeft(blocks_), kKnobY);
    PaintButton(dc);
    DrawLabel(dc, &explanation_, kExplanationX, kExplanationY, kWideWidth, kExplanationHeight);
    if (notInstalled_) PaintNotInstalled(dc);
}

void AsioPage::PaintButton(HDC dc)
{
    const Look look = hover_ == -1 ? kNormal : capture_ == Capture::Button ? kPressed : kHover;
    CMixerConfigDlg& d = dialog_;
    DrawSkinImage(dc, d.LoadImage(kButtonPieces[look][0]), kButtonX, kButtonY);
    DrawSkinImageStretchedH(dc, d.LoadImage(kButtonPieces[look][1]), kButtonX + kButtonEndWidth, kButtonY,
                            kButtonMiddleWidth);
    DrawSkinImage(dc, d.LoadImage(kButtonPieces[look][2]), kButtonX + kButtonEndWidth + kButtonMiddleWidth, kButtonY);
    DrawLabel(dc, &buttonLabels_[look], kButtonX + kButtonEndWidth, kButtonY, kButtonMiddleWidth, kButtonHeight);
}

void AsioPage::PaintNotInstalled(HDC dc)
{
    CMixerConfigDlg& d = dialog_;
    FillVeil(dc, 0, kVeilTop, config::kClientWidth, config::kClientHeight - kVeilTop);
    // The balloon's shadow frame, as around the output page's warning.
    const int l = kBalloon.left, t = kBalloon.top, r = kBalloon.right, b = kBalloon.bottom;
    DrawSkinImage(dc, d.LoadImage(L"PLDWN_SHADOW_LU"), l, t - 8);
    DrawSkinImageStretchedH(dc, d.LoadImage(L"PLDWN_SHADOW_CU"), l + 28, t - 6, r - l - 56);
    DrawSkinImage(dc, d.LoadImage(L"PLDWN_SHADOW_RU"), r - 28, t - 8);
    DrawSkinImageStretchedV(dc, d.LoadImage(L"PLDWN_SHADOW_LC"), l, t + 17, b - t - 45);
    DrawSkinImageStretchedV(dc, d.LoadImage(L"PLDWN_SHADOW_RC"), r - 28, t + 17, b - t - 45);
    DrawSkinImage(dc, d.LoadImage(L"PLDWN_SHADOW_LD"), l, b - 28);
    DrawSkinImageStretchedH(dc, d.LoadImage(L"PLDWN_SHADOW_CD"), l + 28, b - 28, r - l - 56);
    DrawSkinImage(dc, d.LoadImage(L"PLDWN_SHADOW_RD"), r - 28, b - 28);
    DrawLabelFramed(dc, &message_, kMessageX, kMessageY, kMessageWidth, kMessageHeight, kMessageOpacity);
}

// --- Mouse ----------------------------------------------------------------------------------

void AsioPage::OnLButtonDown(int x, int y)
{
    if (notInstalled_) return;
    HWND window = dialog_.OwnerWindow();
    if (IsOnKnob(x, y, blocks_)) {
        SetCapture(window);
        dragStartBlocks_ = blocks_;
        dragStart_ = {x, y};
        ClientToScreen(window, &dragStart_);
        capture_ = Capture::Knob;
    } else if (IsOnStandardButton(x, y)) {
        SetCapture(window);
        capture_ = Capture::Button;
        dialog_.RedrawRect(kButtonRedraw.left, kButtonRedraw.top, kButtonRedraw.right, kButtonRedraw.bottom);
    }
}

void AsioPage::OnMouseMove(int x, int y)
{
    if (notInstalled_) return;
    HWND window = dialog_.OwnerWindow();
    // A press whose capture was taken away (another window, a system key) ends here: without
    // this the knob would follow a pointer whose button is no longer held.
    if (capture_ != Capture::None && GetCapture() != window) {
        hover_ = -1;
        EndGesture();
        dialog_.RedrawRect(kButtonRedraw.left, kButtonRedraw.top, kButtonRedraw.right, kButtonRedraw.bottom);
        return;
    }
    bool inside = false;
    if (capture_ == Capture::Knob) {
        POINT screen{x, y};
        ClientToScreen(window, &screen);
        ApplyBlockCount(DraggedBlockCount(dragStartBlocks_, dragStart_.x, screen.x));
        dialog_.RedrawRect(kDragRedraw.left, kDragRedraw.top, kDragRedraw.right, kDragRedraw.bottom);
    } else {
        inside = IsOnStandardButton(x, y);
    }
    const int hover = inside ? 0 : -1;
    if (hover != hover_) {
        hover_ = hover;
        dialog_.RedrawRect(kButtonRedraw.left, kButtonRedraw.top, kButtonRedraw.right, kButtonRedraw.bottom);
    }
}

void AsioPage::OnLButtonUp(int, int)
{
    if (notInstalled_) return;
    if (GetCapture() == dialog_.OwnerWindow()) ReleaseCapture();
    EndGesture();
}

void AsioPage::EndGesture()
{
    if (capture_ == Capture::Button && hover_ == 0) {
        capture_ = Capture::None;
        changed_ = blocks_ != kDefaultBlocks;
        ApplyBlockCount(kDefaultBlocks);
        dialog_.Redraw();
    } else if (capture_ == Capture::Button) {
        capture_ = Capture::None;  // released off the button: nothing is applied
    } else if (capture_ == Capture::Knob) {
        changed_ = blocks_ != dragStartBlocks_;
        capture_ = Capture::None;
    }
    if (changed_) AnnounceChange();
    changed_ = false;
}

// A streaming driver reads "blockNum" only when it is created: its window asks the host to
// re-create it. Nothing is sent while the mixer is absent; the value waits in the registry.
void AsioPage::AnnounceChange()
{
    if (!dialog_.connected) return;
    HWND driverWindow = FindWindowW(names::kAsioWindowClassW, nullptr);
    // The window belongs to a host program: a host that hangs must not hang this window too.
    DWORD_PTR ignored = 0;
    if (driverWindow != nullptr)
        SendMessageTimeoutW(driverWindow, names::kAsioResetMessage, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            kDriverNoticeTimeoutMs, &ignored);
}
