#include "ui/dialog_fit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <limits>

namespace vexilo::ui {

int CaptionAdvance(const QFont& font, const QString& caption) {
    const QFontMetrics fm(font);
    return fm.boundingRect(QRect(), Qt::TextShowMnemonic | Qt::TextSingleLine, caption).width();
}

int CaptionDecoration(ControlKind kind, const QStyle* style) {
    if (style == nullptr) {
        style = QApplication::style();
    }
    QStyleOptionButton option;
    switch (kind) {
        case ControlKind::Check:
        case ControlKind::Radio: {
            // Any text: the style adds the label spacing only when there is one.
            option.text = QStringLiteral("x");
            const auto type =
                kind == ControlKind::Check ? QStyle::CT_CheckBox : QStyle::CT_RadioButton;
            // A style that etches disabled text draws it one pixel further.
            const int etch = style->styleHint(QStyle::SH_EtchDisabledText) != 0 ? 1 : 0;
            return style->sizeFromContents(type, &option, QSize(0, 0)).width() + etch;
        }
        case ControlKind::Button:
            // No text, so that a style's minimum button width does not count as decoration.
            return style->sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, 0)).width();
        case ControlKind::Group:
            return kGroupTitleLeft + 2 * kGroupTitlePadding + 2;  // and the frame's two sides
        case ControlKind::Edit: {
            const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
            return 2 * frame + 4;  // QLineEdit's own horizontal text margin is 2 a side
        }
        default:
            return 0;
    }
}

bool HasFittedCaption(const ControlTemplate& c) {
    return !c.caption.isEmpty() && !c.Has(kHidden) && c.cx > 0 &&
           (c.kind == ControlKind::Group || c.kind == ControlKind::Static ||
            c.kind == ControlKind::Edit || c.kind == ControlKind::Button ||
            c.kind == ControlKind::Check || c.kind == ControlKind::Radio);
}

BaseUnits FittingUnits(const DialogTemplate& tpl, const QFont& font, const QStyle* style) {
    BaseUnits units = DialogBaseUnits(font);
    for (const ControlTemplate& c : tpl.controls) {
        if (!HasFittedCaption(c)) {
            continue;
        }
        const int need = CaptionAdvance(font, c.caption) + CaptionDecoration(c.kind, style);
        while (MulDiv(c.cx, units.cx, 4) < need) {
            ++units.cx;
        }
    }
    return units;
}

QSize ClientAreaOn(QSize screen) {
    constexpr int kFrameWidth = 16;   // both side borders, generously
    constexpr int kFrameHeight = 48;  // title bar and bottom border, generously
    return {screen.width() - kFrameWidth, screen.height() - kFrameHeight};
}

QSize AvailableClientArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        return {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
    }
    return ClientAreaOn(screen->availableGeometry().size());
}

DialogLayout FitLayout(const DialogTemplate& windowTpl,
                       const std::vector<const DialogTemplate*>& inner, QSize available,
                       const QStyle* style) {
    const QFont designed = DialogFont(windowTpl.fontFamilies, windowTpl.pointSize);
    const int largest = designed.pixelSize();
    DialogLayout layout;
    for (int pixels = largest; pixels >= std::max(1, largest * 3 / 4); --pixels) {
        layout.font = designed;
        layout.font.setPixelSize(pixels);
        layout.units = FittingUnits(windowTpl, layout.font, style);
        for (const DialogTemplate* t : inner) {
            layout.units.cx = std::max(layout.units.cx, FittingUnits(*t, layout.font, style).cx);
        }
        const QSize size = MapDialogRect(layout.units, 0, 0, windowTpl.cx, windowTpl.cy).size();
        if (size.width() <= available.width() && size.height() <= available.height()) {
            break;
        }
    }
    return layout;
}

}  // namespace vexilo::ui
