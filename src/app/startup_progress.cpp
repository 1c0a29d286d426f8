#include "app/startup_progress.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "app/shell_logic.h"
#include "app/startup_text.h"

namespace vexilo {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

StartupProgress::StartupProgress(std::function<qint64()> launchMs)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      m_launchMs(std::move(launchMs)),
      m_port(new QLabel(this)),
      m_count(new QLabel(this)),
      m_bar(new QProgressBar(this)),
      m_converters(new QLabel(this)),
      m_goOn(new QPushButton(Q(StartupGoOnText()), this)) {
    setWindowTitle(QString::fromStdString(WindowTitle({})));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_port);
    layout->addWidget(m_count);
    layout->addWidget(m_bar);
    layout->addWidget(m_converters);
    layout->addWidget(m_goOn, 0, Qt::AlignRight);
    m_bar->setTextVisible(false);
    m_converters->hide();
    m_goOn->hide();
    m_goOn->setEnabled(false);
    QObject::connect(m_goOn, &QPushButton::clicked, this,
                     [this] { m_choice = StartupChoice::kGoOn; });
    setMinimumWidth(360);
    Step(QString(), 0, 0);
    // Everything but showing is done now, so the window can appear quickly when it is due.
    ensurePolished();
    adjustSize();
    create();
}

void StartupProgress::Step(const QString& portLabel, int done, int total) {
    m_port->setText(Q(StartupStepText(portLabel.toStdString())));
    m_count->setText(Q(StartupCountText(done, total)));
    m_bar->setRange(0, total > 0 ? total : 1);
    m_bar->setValue(total > 0 ? done : 0);
}

void StartupProgress::ShowConverters(const std::vector<StartupRow>& rows) {
    int done = 0;
    bool ready = false;
    const QString text = Q(StartupRowsText(rows, &done, &ready));
    m_port->setText(Q(StartupContactingText()));
    m_count->setText(Q(StartupCountText(done, static_cast<int>(rows.size()))));
    m_bar->setRange(0, rows.empty() ? 1 : static_cast<int>(rows.size()));
    m_bar->setValue(done);
    m_goOn->setEnabled(ready);
    if (text != m_converters->text() || m_converters->isHidden()) {
        m_converters->setText(text);
        m_converters->show();
        m_goOn->show();
        adjustSize();
    }
}

QString StartupProgress::ConvertersText() const {
    return m_converters->text();
}

void StartupProgress::closeEvent(QCloseEvent* event) {
    if (!m_finished) {
        m_choice = StartupChoice::kQuit;
    }
    QWidget::closeEvent(event);
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
    m_goOn->setEnabled(false);
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
