#include "app/startup_progress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <utility>

#include "app/shell_logic.h"

namespace vexilo {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("vexilo::StartupProgress", text);
}

}  // namespace

StartupProgress::StartupProgress(std::function<qint64()> launchMs)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_launchMs(std::move(launchMs)),
      m_port(new QLabel(this)),
      m_count(new QLabel(this)),
      m_bar(new QProgressBar(this)) {
    setWindowTitle(QString::fromStdString(WindowTitle({})));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_port);
    layout->addWidget(m_count);
    layout->addWidget(m_bar);
    m_bar->setTextVisible(false);
    setMinimumWidth(360);
    Step(QString(), 0, 0);
    // Everything but showing is done now, so the window can appear quickly when it is due.
    ensurePolished();
    adjustSize();
    create();
}

void StartupProgress::Step(const QString& portLabel, int done, int total) {
    m_port->setText(
        portLabel.isEmpty()
            ? Tr(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "コンバーターを探しています…"))
            : Tr(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "%1 と通信しています…"))
                  .arg(portLabel));
    m_count->setText(
        Tr(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "%1 / %2 台完了")).arg(done).arg(total));
    m_bar->setRange(0, total > 0 ? total : 1);
    m_bar->setValue(total > 0 ? done : 0);
}

bool StartupProgress::Poll() {
    if (m_finished) {
        return false;
    }
    if (!m_shown && m_launchMs() >= kShowAfterMs) {
        m_shown = true;
        show();
        if (m_onShown) {
            m_onShown(*this);
        }
    }
    return m_shown;
}

void StartupProgress::Finish() {
    m_finished = true;
    hide();
}

QString StartupProgress::Text() const {
    return m_port->text() + QLatin1Char('\n') + m_count->text();
}

void StartupProgress::paintEvent(QPaintEvent* event) {
    if (m_firstPaintMs < 0) {
        m_firstPaintMs = m_launchMs();
    }
    QWidget::paintEvent(event);
}

}  // namespace vexilo
