// What the main window asks of each of its four pages.
#pragma once

#include <windows.h>

class CMixerConfigDlg;

class DialogPage {
public:
    explicit DialogPage(CMixerConfigDlg& dialog) : dialog_(dialog) {}
    virtual ~DialogPage() = default;
    DialogPage(const DialogPage&) = delete;
    DialogPage& operator=(const DialogPage&) = delete;

    // Once, from the window's initialisation (pages 0 to 3 in order).
    virtual void Init() {}
    // When the page becomes current by a tab switch or a launch request (and as its page asks).
    virtual void Refresh() {}
    // Draws the page into the memory picture of the whole client area, after the frame.
    virtual void Paint(HDC memoryDc) = 0;
    // Client coordinates; pages without mouse handling ignore them.
    virtual void OnLButtonDown(int, int) {}
    virtual void OnMouseMove(int, int) {}
    virtual void OnLButtonUp(int, int) {}

protected:
    CMixerConfigDlg& dialog_;
};
