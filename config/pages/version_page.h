// Page 3, "About": the utility's title and the versions of the installed software and firmware.
#pragma once

#include "dialog/dialog_page.h"
#include "skin/label_bitmap.h"

#include <array>
#include <string>

class VersionPage : public DialogPage {
public:
    using DialogPage::DialogPage;

    void Init() override;
    void Refresh() override;
    void Paint(HDC memoryDc) override;

private:
    // Rows in screen order: installation, utility, driver, library, firmware.
    enum Row { kInstaller = 0, kUtility, kDriver, kLibrary, kFirmware, kRowCount };

    std::array<std::wstring, kRowCount> versions_;
    // The installation is broken: message 251 replaces the version lines.
    bool problem_ = false;

    LabelBitmap title_;
    std::array<LabelBitmap, kRowCount> captions_;
    std::array<LabelBitmap, kRowCount> values_;  // the driver's holds message 251 on a problem
    LabelBitmap notice_;
};
