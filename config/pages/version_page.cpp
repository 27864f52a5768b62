#include "pages/version_page.h"

#include "app/registry_names.h"
#include "app/setup_binding.h"
#include "app/ui_strings.h"
#include "dialog/mixer_config_dlg.h"
#include "pages/version_text.h"
#include "strings/string_ids.h"

namespace {

constexpr COLORREF kBlack = 0x010000;  // the black of every text on the page
constexpr COLORREF kPageGrey = RGB(0xE8, 0xE8, 0xE8);

struct RowLayout {
    UINT caption;
    POINT captionAt;
    int valueY;
};
// In the order of VersionPage::Row.
constexpr RowLayout kRows[] = {
    {kStrVersion, {35, 188}, 188},
    {kStrUtilityVersion, {70, 204}, 204},
    {kStrDriverVersion, {70, 220}, 220},
    {kStrDllVersion, {70, 236}, 236},
    {kStrFirmwareVersion, {35, 284}, 284},
};
constexpr int kCaptionWidth = 165, kValueX = 220, kValueWidth = 50, kLabelHeight = 14;
constexpr int kIconX = 38, kIconY = 115;
constexpr int kTitleX = 97, kTitleY = 133, kTitleWidth = 460;
constexpr int kNoticeX = 194, kNoticeY = 513, kNoticeWidth = 230;
constexpr int kProblemX = 36, kProblemY = 236, kProblemWidth = 500, kProblemHeight = 40;
constexpr int kSuccess = 100;

using VersionTextQuery = int (*)(int, const wchar_t**);

std::wstring VersionText(VersionTextQuery query, int productId)
{
    const wchar_t* text = nullptr;
    return query(productId, &text) == kSuccess && text != nullptr ? std::wstring(text) : std::wstring();
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_PEN));
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, previous);
}

}  // namespace

void VersionPage::Init()
{
    Refresh();
}

void VersionPage::Refresh()
{
    CMixerConfigDlg& d = dialog_;
    for (std::wstring& text : versions_) text.clear();
    versions_[kDriver] = VersionText(setup::QVR_GetDriverVersionText, d.productId);
    versions_[kUtility] = VersionText(setup::QVR_GetUtilityVersionText, d.productId);
    versions_[kLibrary] = VersionText(setup::QVR_GetLibraryVersionText, d.productId);
    versions_[kInstaller] = VersionText(setup::QVR_GetInstallerVersionText, d.productId);
    int firmware = 0;
    versions_[kFirmware] = d.connected && setup::QVR_GetFirmwareVersion(d.productId, 0, &firmware) == kSuccess
                               ? config::FirmwareVersionText(firmware)
                               : std::wstring(config::kFirmwareUnknown);

    HFONT font = d.messageFont.get();
    d.RenderLabel(title_, 0, 0, kTitleWidth, kLabelHeight,
                  config::FormatUiString(kStrTitleFormat, config::kModelName).c_str(), kBlack, kPageGrey, font);
    for (int row = 0; row < kRowCount; ++row)
        d.RenderLabel(captions_[row], 0, 0, kCaptionWidth, kLabelHeight,
                      config::LoadUiString(kRows[row].caption).c_str(), kBlack, kPageGrey, font);

    problem_ = versions_[kInstaller].empty() || versions_[kDriver].empty() || d.setupLoadResult != 0;
    if (problem_)
        d.RenderWrappedLabel(values_[kDriver], 0, 0, kProblemWidth, kProblemHeight,
                             config::LoadUiString(kStrDriverProblem).c_str(), kBlack, kPageGrey, font, 0);
    else
        d.RenderLabel(values_[kDriver], 0, 0, kValueWidth, kLabelHeight,
                      config::FormatUiString(kStrVersionValueFormat, versions_[kDriver].c_str()).c_str(), kBlack,
                      kPageGrey, font);
    for (Row row : {kInstaller, kUtility, kLibrary, kFirmware})
        d.RenderLabel(values_[row], 0, 0, kValueWidth, kLabelHeight,
                      config::FormatUiString(kStrVersionValueFormat, versions_[row].c_str()).c_str(), kBlack, kPageGrey,
                      font);

    // The maker's notice exists in one table only and is shown whatever the UI language.
    const std::wstring notice =
        config::LoadStringOfLanguage(GetModuleHandleW(nullptr), kNoticeLineLanguage, kStrNoticeLine);
    d.RenderLabel(notice_, 0, 0, kNoticeWidth, kLabelHeight, notice.c_str(), kBlack, kPageGrey, d.labelFont.get());
}

void VersionPage::Paint(HDC dc)
{
    CMixerConfigDlg& d = dialog_;
    DrawSkinImage(dc, d.LoadImage(L"TOOL-ICON"), kIconX, kIconY);
    DrawLabel(dc, &title_, kTitleX, kTitleY, kTitleWidth, kLabelHeight);
    DrawLabel(dc, &notice_, kNoticeX, kNoticeY, kNoticeWidth, kLabelHeight);
    if (problem_ || d.setupLoadResult != 0) {
        DrawLabel(dc, &values_[kDriver], kProblemX, kProblemY, kProblemWidth, kProblemHeight);
        return;
    }
    for (int row = 0; row < kRowCount; ++row) {
        DrawLabel(dc, &captions_[row], kRows[row].captionAt.x, kRows[row].captionAt.y, kCaptionWidth, kLabelHeight);
        DrawLabel(dc, &values_[row], kValueX, kRows[row].valueY, kValueWidth, kLabelHeight);
    }
    // Ends included: the lines reach (556, 265) and (60, 252).
    Line(dc, 35, 265, 557, 265);
    Line(dc, 60, 204, 60, 253);
}
