#include "dialog/placement.h"

namespace config {

Placement PlaceWindow(const RECT& current, SIZE size, std::optional<int> savedLeft,
                      std::optional<int> savedTop, const RECT& desktop)
{
    Placement placement;
    RECT& r = placement.rect;
    r.left = savedLeft ? *savedLeft : current.left;
    r.top = savedTop ? *savedTop : current.top;
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
    // Right and bottom are exclusive: a window that only touches an edge shows no pixel.
    const bool whollyOutside = r.left >= desktop.right || r.right <= desktop.left || r.top >= desktop.bottom ||
                               r.bottom <= desktop.top;
    placement.move = !whollyOutside;
    if (whollyOutside) {
        r = current;
        r.right = r.left + size.cx;
        r.bottom = r.top + size.cy;
    }
    return placement;
}

}  // namespace config
