#include "ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QStringList>
#include <algorithm>
#include <utility>

#include "ui/dialog.h"
#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/resource.h"

#include "ui/updown.h"

namespace vexilo::ui {

namespace {

constexpr int kLineWidth = 400;     // the widest line of a box's text
constexpr int kBoxFrameRoom = 100;  // icon, margins and frame beside the text

// Room a title bar needs for `caption`: its text in the title font plus the icon and buttons.
int TitleWidth(const QString& caption) {
    constexpr int kFrameRoom = 120;
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    return metrics.horizontalAdvance(caption) + kFrameRoom;
}

bool IsYesNo(unsigned style) {
    return (style & 0x0Fu) == kMbYesNo;
}

// Where a line of a box may break: at a space, which the break replaces, or after Japanese
// punctuation. Elsewhere a line is left whole, so that no word ("グループ") is split.
QString BreakAtPhrases(const QString& text, const QFontMetrics& fm, int maxWidth) {
    QStringList out;
    for (QString line : text.split(QLatin1Char('\n'))) {
        while (fm.horizontalAdvance(line) > maxWidth) {
            int cut = -1;   // characters kept on this line
            int next = -1;  // where the rest starts
            for (int i = 1; i < line.size(); ++i) {
                const QChar c = line.at(i);
                const QChar before = line.at(i - 1);
                int keep = -1;
                int rest = -1;
                if (c == QLatin1Char(' ')) {
                    keep = i;
                    rest = i + 1;
                } else if (before == QChar(0x3001) || before == QChar(0x3002)) {  // 、。
                    keep = i;
                    rest = i;
                }
                if (keep < 0) {
                    continue;
                }
                if (fm.horizontalAdvance(line.left(keep)) > maxWidth && cut > 0) {
                    break;
                }
                cut = keep;
                next = rest;
            }
            if (cut <= 0 || next >= line.size()) {
                break;  // nothing to break at: the line stays whole
            }
            out << line.left(cut);
            line = line.mid(next);
        }
        out << line;
    }
    return out.join(QLatin1Char('\n'));
}

int DefaultMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                      unsigned style) {
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

int g_boxesShown = 0;

}  // namespace

int DefaultAnswer(unsigned style) {
    if (!IsYesNo(style)) {
        return kIdOk;
    }
    return (style & kMbDefButton2) != 0 ? kIdNo : kIdYes;
}

void SetUpMessageBox(QMessageBox& box, const std::string& utf8Text, const std::string& utf8Caption,
                     unsigned style) {
    const QString text = QString::fromStdString(utf8Text);
    const QString caption = QString::fromStdString(utf8Caption);
    box.setWindowTitle(caption);
    // The dialogs' font, so that digits and Latin letters in a Japanese text do not come from
    // another font than the kana around them.
    if (const auto tpl = LoadDialogTemplate(IDD_VEXILO_DIALOG)) {
        box.setFont(DialogFont(tpl->fontFamilies, tpl->pointSize));
    }
    box.setTextFormat(Qt::PlainText);
    // Lines broken between phrases, narrow enough that the box does not break them again.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen != nullptr ? screen->availableGeometry().width() : 1024;
    box.setText(BreakAtPhrases(text, QFontMetrics(box.font()),
                               std::clamp(screenWidth / 2 - kBoxFrameRoom, 200, kLineWidth)));
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

int ShowMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                   unsigned style) {
    // The box takes over the mouse: an arrow held until now would go on stepping in its loop.
    UpDown::StopAllRepeats();
    struct Open {
        Open() { ++g_openBoxes; }
        ~Open() { --g_openBoxes; }
        Open(const Open&) = delete;
        Open& operator=(const Open&) = delete;
    } open;
    ++g_boxesShown;
    const MessageBoxHandler& h = Handler();
    return h ? h(owner, text, caption, style) : DefaultMessageBox(owner, text, caption, style);
}

int OpenMessageBoxes() {
    return g_openBoxes;
}

int MessageBoxesShown() {
    return g_boxesShown;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace vexilo::ui
