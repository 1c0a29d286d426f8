#pragma once

#include <QFont>
#include <QRect>
#include <QStringList>

namespace vexilo::ui {

// Dialog base units in pixels: the average character width and the character height of a
// dialog font, as Windows derives them.
struct BaseUnits {
    int cx = 0;
    int cy = 0;
};

// a * b / c rounded to the nearest integer, halves away from zero; 0 when c is 0.
int MulDiv(int a, int b, int c);

// The dialog font: the first family found of `families` at `pointSize` points, sized in pixels
// as a dialog that is not DPI-aware is (96 pixels per inch).
QFont DialogFont(const QStringList& families, int pointSize);

// cx: the width of "A".."Z" "a".."z" divided by 26, rounded as Windows does ((w / 26 + 1) / 2);
// cy: the font height. Not QFontMetrics::averageCharWidth(), which CJK fonts inflate.
BaseUnits DialogBaseUnits(const QFont& font);

// Dialog units to pixels: x * cx / 4 and y * cy / 8, each rounded like MulDiv.
QRect MapDialogRect(const BaseUnits& units, int x, int y, int cx, int cy);

}  // namespace vexilo::ui
