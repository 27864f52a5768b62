// What the two routing pages share: their row geometry, label colours and small drawing steps.
#pragma once

#include <windows.h>

#include <string>

class CMixerConfigDlg;

namespace routing {

// Rows of routes and pulldown boxes.
constexpr int kRowCount = 3;
constexpr int kRowTop = 282;
constexpr int kRowStep = 32;
constexpr int kPulldownHeight = 20;
constexpr int RowY(int row) { return kRowTop + kRowStep * row; }
// The popup's panel opens this far below its row.
constexpr int kMenuOffset = 25;

// Label colours (GDI colour references). "Black" is written as the utility always wrote it.
constexpr COLORREF kBlack = 0x010000;
constexpr COLORREF kGrey = 0xB4B4B4;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kHeadingText = 0x484848;
constexpr COLORREF kCaptionText = 0x505050;
constexpr COLORREF kPageBackground = 0xE8E8E8;
constexpr COLORREF kBoxBackground = 0xD3D3D3;
constexpr COLORREF kHighlightBackground = 0x0A0A0A;
constexpr COLORREF kBalloonBackground = 0xF8F8F8;

// A one-pixel black outline from (left, top) to (right, bottom), both corners included.
void DrawOutline(HDC dc, int left, int top, int right, int bottom);

// The connection picture `connectImage`, the "Connected"/"Not Connected" label and the caution
// symbol, whose background is captured at the page's first paint.
void PaintConnectionArea(HDC dc, CMixerConfigDlg& dialog, const wchar_t* connectImage);

// `text` up to its first space ("CH1 :" -> "CH1").
std::wstring FirstWord(const std::wstring& text);

}  // namespace routing
