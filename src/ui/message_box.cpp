#include "ui/message_box.h"

#include <QMessageBox>
#include <utility>

namespace vexilo::ui {

namespace {

int DefaultMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    QMessageBox box(owner);
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
    box.exec();
    return kIdOk;  // the only button the panel's boxes carry
}

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style) {
    const MessageBoxHandler& h = Handler();
    return h ? h(owner, text, caption, style) : DefaultMessageBox(owner, text, caption, style);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace vexilo::ui
