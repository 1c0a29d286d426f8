#include "ui/dialog_units.h"

#include <cstdint>

namespace vexilo::ui {

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return 0;
    }
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    const std::int64_t ap = p < 0 ? -p : p;
    const std::int64_t ac = c < 0 ? -static_cast<std::int64_t>(c) : c;
    const std::int64_t q = (ap + ac / 2) / ac;
    return static_cast<int>(negative ? -q : q);
}

FontSpec DialogFont(const std::vector<std::string>& families, int pointSize) {
    return {families, MulDiv(pointSize, 96, 72)};
}

BaseUnits BaseUnitsOf(int alphabetWidth, int height) {
    return {(alphabetWidth / 26 + 1) / 2, height};
}

Rect MapDialogRect(const BaseUnits& units, int x, int y, int cx, int cy) {
    return {MulDiv(x, units.cx, 4), MulDiv(y, units.cy, 8), MulDiv(cx, units.cx, 4),
            MulDiv(cy, units.cy, 8)};
}

}  // namespace vexilo::ui
