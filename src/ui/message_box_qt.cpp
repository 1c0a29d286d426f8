// Message boxes on QMessageBox.
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <algorithm>

#include "ui/backend.h"
#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/message_box.h"
#include "ui/qt_backend.h"
#include "ui/resource.h"

namespace vexilo::ui {

namespace {

// Room a title bar needs for `caption`: its text in the title font plus the icon and buttons.
int TitleWidth(const QString& caption) {
    constexpr int kFrameRoom = 120;
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    return metrics.horizontalAdvance(caption) + kFrameRoom;
}

}  // namespace

int ShowToolkitMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                          unsigned style) {
    QMessageBox box(owner != nullptr ? qt::Window(*owner) : nullptr);
    qt::SetUpMessageBox(box, text, caption, style);
    const int pressed = box.exec();
    if (!IsYesNo(style)) {
        return kIdOk;
    }
    // Escape and the close box answer No, as they do on Windows.
    return pressed == QMessageBox::Yes ? kIdYes : kIdNo;
}

void qt::SetUpMessageBox(QMessageBox& box, const std::string& utf8Text,
                         const std::string& utf8Caption, unsigned style) {
    const QString caption = QString::fromStdString(utf8Caption);
    box.setWindowTitle(caption);
    // The dialogs' font, so that digits and Latin letters in a Japanese text do not come from
    // another font than the kana around them.
    if (const auto tpl = LoadDialogTemplate(IDD_VEXILO_DIALOG)) {
        box.setFont(ToQFont(DialogFont(tpl->fontFamilies, tpl->pointSize)));
    }
    box.setTextFormat(Qt::PlainText);
    // Lines broken between phrases, narrow enough that the box does not break them again.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen != nullptr ? screen->availableGeometry().width() : 1024;
    const QFontMetrics metrics(box.font());
    const std::string broken = BreakAtPhrases(
        utf8Text,
        [&metrics](std::string_view part) {
            return metrics.horizontalAdvance(
                QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())));
        },
        BoxLineWidth(screenWidth));
    box.setText(QString::fromStdString(broken));
    switch (style & 0xF0u) {
        case kMbIconExclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case kMbIconInformation:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    if (IsYesNo(style)) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        // Named in the panel's language, as Windows names them in the system's.
        box.button(QMessageBox::Yes)
            ->setText(QCoreApplication::translate("MessageBox", "はい(&Y)"));
        box.button(QMessageBox::No)
            ->setText(QCoreApplication::translate("MessageBox", "いいえ(&N)"));
        box.setDefaultButton(DefaultAnswer(style) == kIdYes ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    // A box sizes itself to its text alone, which cuts a long title ("KTP-DVI-... 4) ERROR"):
    // a spacer across the grid keeps it wide enough for the title and the frame's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(
            new QSpacerItem(TitleWidth(caption), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
}

}  // namespace vexilo::ui
