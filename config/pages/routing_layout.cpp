#include "pages/routing_layout.h"

#include "skin/gdi_owners.h"

namespace routing {

void DrawOutline(HDC dc, int left, int top, int right, int bottom)
{
    skin::SelectedObject pen(dc, GetStockObject(BLACK_PEN));
    skin::SelectedObject brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, left, top, right + 1, bottom + 1);
}

std::wstring FirstWord(const std::wstring& text)
{
    return text.substr(0, text.find(L' '));
}

}  // namespace routing
