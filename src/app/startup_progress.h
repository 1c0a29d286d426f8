#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "app/parallel_startup.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vexilo {

// The small window that tells the operator, while the converters are being contacted, the state
// of each (contacting, ready, failed and why) and how many are done, with a button to go on with
// those that are ready; closing it ends the program. It appears only once start-up has run for
// kShowAfterMs since launch, so a quick start shows nothing, and it goes when the main window
// appears.
class StartupProgress : public QWidget {
public:
    // `launchMs` says how long ago the program was launched, in milliseconds.
    explicit StartupProgress(std::function<qint64()> launchMs);

    // Converter `portLabel` is now being contacted; `done` of `total` are finished.
    void Step(const QString& portLabel, int done, int total);
    // Every converter being read at once, with its state.
    void ShowConverters(const std::vector<StartupRow>& rows);
    // What the operator chose so far: kGoOn after the button, kQuit after closing the window.
    StartupChoice Choice() const { return m_choice; }
    // Shows the window once kShowAfterMs have passed since launch; true when it is showing.
    bool Poll();
    // Start-up is over: the window goes and never comes back.
    void Finish();

    bool WasShown() const { return m_shown; }
    bool Finished() const { return m_finished; }
    // Milliseconds from launch to the window's first paint, -1 before it.
    qint64 FirstPaintMs() const { return m_firstPaintMs; }
    QString Text() const;
    // The converters' lines, one per converter.
    QString ConvertersText() const;
    QPushButton* GoOnButton() const { return m_goOn; }

    // Called once, right after the window first appeared (the screenshot mode saves it).
    std::function<void(QWidget&)> m_onShown;

    static constexpr int kShowAfterMs = 300;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<qint64()> m_launchMs;
    QLabel* m_port;
    QLabel* m_count;
    QProgressBar* m_bar;
    QLabel* m_converters;
    QPushButton* m_goOn;
    StartupChoice m_choice = StartupChoice::kWait;
    bool m_shown = false;
    bool m_finished = false;
    qint64 m_firstPaintMs = -1;
};

}  // namespace vexilo
