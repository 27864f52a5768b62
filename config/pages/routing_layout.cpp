#include "pages/routing_layout.h"

#include "dialog/mixer_config_dlg.h"
#include "skin/gdi_owners.h"
#include "skin/label_bitmap.h"
#include "skin/skin_image.h"

namespace routing {

void DrawOutline(HDC dc, int left, int top, int right, int bottom)
{
    skin::SelectedObject pen(dc, GetStockObject(BLACK_PEN));
    skin::SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, left, top, right + 1, bottom + 1);
}

void PaintConnectionArea(HDC dc, CMixerConfigDlg& d, const wchar_t* connectImage)
{
    DrawSkinImage(dc, d.LoadImage(connectImage), 196, 92);
    DrawLabel(dc, d.connected ? &d.connectedLabel : &d.notConnectedLabel, 262, 178, 82, 14);
    d.CaptureCautionBackground(dc);
    if (!d.connected && d.cautionToggle) DrawSkinImage(dc, d.LoadImage(L"CAUTION"), 238, 175);
}

std::wstring FirstWord(const std::wstring& text)
{
    return text.substr(0, text.find(L' '));
}

}  // namespace routing
