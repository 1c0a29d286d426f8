#pragma once

#include <string>
#include <vector>

#include "ui/geometry.h"

namespace vexilo::ui {

// Dialog base units in pixels: the average character width and the character height of a
// dialog font, as Windows derives them.
struct BaseUnits {
    int cx = 0;
    int cy = 0;
};

// A font as the kit describes it: its families, first choice first, and its size in pixels.
struct FontSpec {
    std::vector<std::string> families;
    int pixelSize = 0;

    bool operator==(const FontSpec&) const = default;
};

// a * b / c rounded to the nearest integer, halves away from zero; 0 when c is 0.
int MulDiv(int a, int b, int c);

// The dialog font: the first family found of `families` at `pointSize` points, sized in pixels
// as a dialog that is not DPI-aware is (96 pixels per inch).
FontSpec DialogFont(const std::vector<std::string>& families, int pointSize);

// cx: the width of "A".."Z" "a".."z" divided by 26, rounded as Windows does ((w / 26 + 1) / 2);
// cy: the font height. Not the font's own average width, which CJK fonts inflate. Measured by
// the toolkit's backend.
BaseUnits DialogBaseUnits(const FontSpec& font);
// The rounding of DialogBaseUnits: the alphabet's advance and the font's height in pixels.
BaseUnits BaseUnitsOf(int alphabetWidth, int height);

// Dialog units to pixels: x * cx / 4 and y * cy / 8, each rounded like MulDiv.
Rect MapDialogRect(const BaseUnits& units, int x, int y, int cx, int cy);

}  // namespace vexilo::ui
