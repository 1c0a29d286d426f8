#include "ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <utility>

#include "ui/updown.h"

namespace vexilo::ui {

namespace {

// Room a title bar needs for `caption`: its text in the title font plus the icon and buttons.
int TitleWidth(const QString& caption) {
    constexpr int kFrameRoom = 120;
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    return metrics.horizontalAdvance(caption) + kFrameRoom;
}

bool IsYesNo(unsigned style) {
    return (style & 0x0Fu) == kMbYesNo;
}

int DefaultMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    QMessageBox box(owner);
    SetUpMessageBox(box, text, caption, style);
    const int pressed = box.exec();
    if (!IsYesNo(style)) {
        return kIdOk;
    }
    // Escape and the close box answer No, as they do on Windows.
    return pressed == QMessageBox::Yes ? kIdYes : kIdNo;
}

int g_openBoxes = 0;

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

int DefaultAnswer(unsigned style) {
    if (!IsYesNo(style)) {
        return kIdOk;
    }
    return (style & kMbDefButton2) != 0 ? kIdNo : kIdYes;
}

void SetUpMessageBox(QMessageBox& box, const QString& text, const QString& caption,
                     unsigned style) {
    box.setWindowTitle(caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
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

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    // The box takes over the mouse: an arrow held until now would go on stepping in its loop.
    UpDown::StopAllRepeats();
    struct Open {
        Open() { ++g_openBoxes; }
        ~Open() { --g_openBoxes; }
        Open(const Open&) = delete;
        Open& operator=(const Open&) = delete;
    } open;
    const MessageBoxHandler& h = Handler();
    return h ? h(owner, text, caption, style) : DefaultMessageBox(owner, text, caption, style);
}

int OpenMessageBoxes() {
    return g_openBoxes;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace vexilo::ui
