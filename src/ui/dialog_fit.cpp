#include "ui/dialog_fit.h"

#include <algorithm>

namespace vexilo::ui {

bool HasFittedCaption(const ControlTemplate& c) {
    return !c.caption.empty() && !c.Has(kHidden) && c.cx > 0 &&
           (c.kind == ControlKind::Group || c.kind == ControlKind::Static ||
            c.kind == ControlKind::Edit || c.kind == ControlKind::Button ||
            c.kind == ControlKind::Check || c.kind == ControlKind::Radio);
}

BaseUnits FittingUnits(const DialogTemplate& tpl, const FontSpec& font) {
    BaseUnits units = DialogBaseUnits(font);
    for (const ControlTemplate& c : tpl.controls) {
        if (!HasFittedCaption(c)) {
            continue;
        }
        const int need = CaptionAdvance(font, c.caption) + CaptionDecoration(c.kind);
        while (MulDiv(c.cx, units.cx, 4) < need) {
            ++units.cx;
        }
    }
    return units;
}

Size ClientAreaOn(Size screen) {
    constexpr int kFrameWidth = 16;   // both side borders, generously
    constexpr int kFrameHeight = 48;  // title bar and bottom border, generously
    return {screen.width - kFrameWidth, screen.height - kFrameHeight};
}

DialogLayout FitLayout(const DialogTemplate& windowTpl,
                       const std::vector<const DialogTemplate*>& inner, Size available) {
    const FontSpec designed = DialogFont(windowTpl.fontFamilies, windowTpl.pointSize);
    const int largest = designed.pixelSize;
    DialogLayout layout;
    for (int pixels = largest; pixels >= std::max(1, largest * 3 / 4); --pixels) {
        layout.font = designed;
        layout.font.pixelSize = pixels;
        layout.units = FittingUnits(windowTpl, layout.font);
        for (const DialogTemplate* t : inner) {
            layout.units.cx = std::max(layout.units.cx, FittingUnits(*t, layout.font).cx);
        }
        const Rect size = MapDialogRect(layout.units, 0, 0, windowTpl.cx, windowTpl.cy);
        if (size.width <= available.width && size.height <= available.height) {
            break;
        }
    }
    return layout;
}

}  // namespace vexilo::ui
