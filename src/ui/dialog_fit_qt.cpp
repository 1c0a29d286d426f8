// Measuring captions and the screen with Qt: the fonts and the style that draw the controls.
#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <limits>

#include "ui/dialog_fit.h"
#include "ui/qt_backend.h"

namespace vexilo::ui {

int CaptionAdvance(const FontSpec& font, const std::string& caption) {
    const QFontMetrics fm(qt::ToQFont(font));
    return fm
        .boundingRect(QRect(), Qt::TextShowMnemonic | Qt::TextSingleLine,
                      QString::fromStdString(caption))
        .width();
}

int CaptionDecoration(ControlKind kind) {
    const QStyle* style = QApplication::style();
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

Size AvailableClientArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        return {std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
    }
    return ClientAreaOn(qt::FromQSize(screen->availableGeometry().size()));
}

}  // namespace vexilo::ui
