// The main window's decoration on Qt: icon, logo and notes.
#include "app/vexilo_dlg_qt.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QObject>
#include <QPainter>
#include <QPointer>

#include "ui/qt_backend.h"

namespace vexilo {

namespace {

class QtDecor : public QObject, public CVexiloDlg::Decor {
public:
    explicit QtDecor(CVexiloDlg& dlg) : m_dlg(dlg) {
        if (QWidget* window = ui::qt::Window(m_dlg)) {
            window->installEventFilter(this);
        }
    }
    ~QtDecor() override {
        if (QWidget* window = ui::qt::Window(m_dlg)) {
            window->removeEventFilter(this);
        }
    }
    QtDecor(const QtDecor&) = delete;
    QtDecor& operator=(const QtDecor&) = delete;

    void SetIcon() override {
        if (QWidget* window = ui::qt::Window(m_dlg)) {
            window->setWindowIcon(QIcon(QStringLiteral(":/vexilo/vexilo.png")));
        }
    }
    void LoadLogo() override {
        m_logo = WhiteToTransparent(QImage(QStringLiteral(":/vexilo/logo.png")));
    }
    int LogoWidth() const override { return m_logo.width(); }
    const QImage& Logo() const { return m_logo; }

    void MakeBusyNote() override {
        m_busy = new QLabel(ui::qt::Window(m_dlg));
        m_busy->setWordWrap(true);
        m_busy->hide();
    }
    bool HasBusyNote() const override { return m_busy != nullptr; }
    void SetBusyNote(const std::string& text, const ui::Rect* where) override {
        if (!m_busy) {
            return;
        }
        if (text.empty()) {
            m_busy->clear();
            m_busy->hide();
            return;
        }
        m_busy->setText(QString::fromStdString(text));
        if (where != nullptr) {
            m_busy->setGeometry(ui::qt::ToQRect(*where));
        }
        m_busy->show();
    }
    std::string BusyNoteText() const override { return ShownText(m_busy); }

    void ShowWaitNote(const std::string& text, ui::TabCtrl& tab) override {
        m_wait = new QLabel(QString::fromStdString(text), ui::qt::Widget(tab));
        m_wait->setAlignment(Qt::AlignCenter);
        m_wait->setWordWrap(true);
        m_wait->setGeometry(ui::qt::ToQRect(tab.GetClientRect()));
    }
    void HideWaitNote() override {
        if (m_wait) {
            m_wait->hide();
        }
    }
    std::string WaitNoteText() const override { return ShownText(m_wait); }

    void SetSaveNote(const std::string& text, const ui::Rect& where) override {
        if (!m_save) {
            m_save = new QLabel(ui::qt::Window(m_dlg));
            m_save->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        m_save->clear();
        if (text.empty()) {
            return;
        }
        m_save->setGeometry(ui::qt::ToQRect(where));
        m_save->setText(QString::fromStdString(text));
        m_save->show();
    }
    std::string SaveNoteText() const override {
        return m_save ? m_save->text().toStdString() : std::string();
    }

protected:
    // Draws the logo under the controls, 12 pixels from the left and bottom edges.
    bool eventFilter(QObject* watched, QEvent* event) override {
        QWidget* window = ui::qt::Window(m_dlg);
        if (watched == window && event->type() == QEvent::Paint && !m_logo.isNull()) {
            QPainter painter(window);
            painter.drawImage(CVexiloDlg::kLogoMargin,
                              window->height() - m_logo.height() - CVexiloDlg::kLogoMargin, m_logo);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static std::string ShownText(const QPointer<QLabel>& label) {
        return label && !label->isHidden() ? label->text().toStdString() : std::string();
    }

    CVexiloDlg& m_dlg;
    QImage m_logo;  // white already made transparent
    QPointer<QLabel> m_busy;
    QPointer<QLabel> m_wait;
    QPointer<QLabel> m_save;
};

}  // namespace

std::unique_ptr<CVexiloDlg::Decor> CVexiloDlg::MakeDecor(CVexiloDlg& dlg) {
    return std::make_unique<QtDecor>(dlg);
}

const QImage& Logo(const CVexiloDlg& dlg) {
    static const QImage none;
    const auto* decor = dynamic_cast<const QtDecor*>(&dlg.Decoration());
    return decor != nullptr ? decor->Logo() : none;
}

QImage WhiteToTransparent(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu) {
                line[x] = 0;
            }
        }
    }
    return out;
}

}  // namespace vexilo
