#include "ui/message_box.h"

#include <QApplication>
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

int DefaultMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    QMessageBox box(owner);
    SetUpMessageBox(box, text, caption, style);
    box.exec();
    return kIdOk;  // the only button the panel's boxes carry
}

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

int g_boxesShown = 0;

}  // namespace

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
    box.setStandardButtons(QMessageBox::Ok);
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
    ++g_boxesShown;
    const MessageBoxHandler& h = Handler();
    return h ? h(owner, text, caption, style) : DefaultMessageBox(owner, text, caption, style);
}

int MessageBoxesShown() {
    return g_boxesShown;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace vexilo::ui
