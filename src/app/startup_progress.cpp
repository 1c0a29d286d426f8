#include "app/startup_progress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <utility>

#include "app/shell_logic.h"

namespace vexilo {

namespace {

QString Translated(const char* text) {
    return QCoreApplication::translate("vexilo::StartupProgress", text);
}

// Why a converter's start-up failed, in the words its page's message uses.
QString FailureText(model::Fault end) {
    switch (end) {
        case model::Fault::kNotConnected:
            return Translated(
                QT_TRANSLATE_NOOP("vexilo::StartupProgress", "デバイスが接続されていません"));
        case model::Fault::kNotMainFirmware:
            return Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress",
                                                "メインファームウェアで起動していません"));
        case model::Fault::kBootUpdater:
            return Translated(
                QT_TRANSLATE_NOOP("vexilo::StartupProgress",
                                  "ブートファームウェア更新用ファームウェアで起動しています"));
        default:
            return Translated(
                QT_TRANSLATE_NOOP("vexilo::StartupProgress", "デバイスが反応しません"));
    }
}

QString StateText(const ParallelStartup::Status& status) {
    switch (status.state) {
        case ParallelStartup::State::kContacting:
            return Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "通信中…"));
        case ParallelStartup::State::kReady:
            return Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "準備完了"));
        case ParallelStartup::State::kFailed:
            break;
    }
    return Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "失敗: %1"))
        .arg(FailureText(status.end));
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
      m_goOn(new QPushButton(Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress",
                                                          "準備のできたコンバーターで続ける")),
                             this)) {
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
    m_port->setText(
        portLabel.isEmpty()
            ? Translated(
                  QT_TRANSLATE_NOOP("vexilo::StartupProgress", "コンバーターを探しています…"))
            : Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "%1 と通信しています…"))
                  .arg(portLabel));
    m_count->setText(Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "%1 / %2 台完了"))
                         .arg(done)
                         .arg(total));
    m_bar->setRange(0, total > 0 ? total : 1);
    m_bar->setValue(total > 0 ? done : 0);
}

void StartupProgress::ShowConverters(const std::vector<StartupRow>& rows) {
    QStringList lines;
    int done = 0;
    bool ready = false;
    for (const StartupRow& row : rows) {
        lines << QString::fromStdString(row.label) + QStringLiteral(": ") + StateText(row.status);
        done += row.status.state != ParallelStartup::State::kContacting ? 1 : 0;
        ready = ready || row.status.state == ParallelStartup::State::kReady;
    }
    m_port->setText(
        Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "コンバーターと通信しています…")));
    m_count->setText(Translated(QT_TRANSLATE_NOOP("vexilo::StartupProgress", "%1 / %2 台完了"))
                         .arg(done)
                         .arg(rows.size()));
    m_bar->setRange(0, rows.empty() ? 1 : static_cast<int>(rows.size()));
    m_bar->setValue(done);
    m_goOn->setEnabled(ready);
    const QString text = lines.join(QLatin1Char('\n'));
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
