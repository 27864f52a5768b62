// Where the window opens: the saved position when any part of it stays on the desktop.
#pragma once

#include <windows.h>

#include <optional>

namespace config {

constexpr int kClientWidth = 596;
constexpr int kClientHeight = 556;

struct Placement {
    bool move = false;  // false: keep the default position, set the size only
    RECT rect{};
};

// `current` is the window's rectangle as created, `size` its full window size, `desktop` the
// desktop window's client rectangle.
Placement PlaceWindow(const RECT& current, SIZE size, std::optional<int> savedLeft,
                      std::optional<int> savedTop, const RECT& desktop);

}  // namespace config
