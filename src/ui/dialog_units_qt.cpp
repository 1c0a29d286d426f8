// Fonts and dialog base units measured with Qt.
#include <QFontMetrics>
#include <QStringList>

#include "ui/dialog_units.h"
#include "ui/qt_backend.h"

namespace vexilo::ui {

QFont qt::ToQFont(const FontSpec& spec) {
    QFont font;
    if (!spec.families.empty()) {
        QStringList families;
        for (const std::string& family : spec.families) {
            families << QString::fromStdString(family);
        }
        font.setFamilies(families);
    }
    font.setPixelSize(spec.pixelSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

BaseUnits DialogBaseUnits(const FontSpec& font) {
    const QFontMetrics fm(qt::ToQFont(font));
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return BaseUnitsOf(width, fm.height());
}

}  // namespace vexilo::ui
