#pragma once

// Pixel geometry of windows and controls, as the kit's API speaks of it.
namespace vexilo::ui {

struct Size {
    int width = 0;
    int height = 0;

    bool operator==(const Size&) const = default;
};

// x, y: the top left corner; width and height in pixels.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Rect&) const = default;
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    Size GetSize() const { return {width, height}; }
};

}  // namespace vexilo::ui
