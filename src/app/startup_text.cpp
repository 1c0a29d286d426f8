#include "app/startup_text.h"

#include "ui/text.h"
#include "ui/tr.h"

namespace vexilo {

namespace {

// Why a converter's start-up failed, in the words its page's message uses.
std::string FailureText(model::Fault end) {
    switch (end) {
        case model::Fault::kNotConnected:
            return ui::Tr("vexilo::StartupProgress", "デバイスが接続されていません");
        case model::Fault::kNotMainFirmware:
            return ui::Tr("vexilo::StartupProgress", "メインファームウェアで起動していません");
        case model::Fault::kBootUpdater:
            return ui::Tr("vexilo::StartupProgress",
                          "ブートファームウェア更新用ファームウェアで起動しています");
        default:
            return ui::Tr("vexilo::StartupProgress", "デバイスが反応しません");
    }
}

std::string StateText(const ParallelStartup::Status& status) {
    switch (status.state) {
        case ParallelStartup::State::kContacting:
            return ui::Tr("vexilo::StartupProgress", "通信中…");
        case ParallelStartup::State::kReady:
            return ui::Tr("vexilo::StartupProgress", "準備完了");
        case ParallelStartup::State::kFailed:
            break;
    }
    return ui::FormatText(ui::Tr("vexilo::StartupProgress", "失敗: %1"), {FailureText(status.end)});
}

}  // namespace

std::string StartupStepText(const std::string& portLabel) {
    return portLabel.empty()
               ? ui::Tr("vexilo::StartupProgress", "コンバーターを探しています…")
               : ui::FormatText(ui::Tr("vexilo::StartupProgress", "%1 と通信しています…"),
                                {portLabel});
}

std::string StartupContactingText() {
    return ui::Tr("vexilo::StartupProgress", "コンバーターと通信しています…");
}

std::string StartupCountText(int done, int total) {
    return ui::FormatText(ui::Tr("vexilo::StartupProgress", "%1 / %2 台完了"),
                          {std::to_string(done), std::to_string(total)});
}

std::string StartupRowsText(const std::vector<StartupRow>& rows, int* done, bool* ready) {
    std::string text;
    *done = 0;
    *ready = false;
    for (const StartupRow& row : rows) {
        if (!text.empty()) {
            text += '\n';
        }
        text += row.label + ": " + StateText(row.status);
        *done += row.status.state != ParallelStartup::State::kContacting ? 1 : 0;
        *ready = *ready || row.status.state == ParallelStartup::State::kReady;
    }
    return text;
}

std::string StartupGoOnText() {
    return ui::Tr("vexilo::StartupProgress", "準備のできたコンバーターで続ける");
}

}  // namespace vexilo
