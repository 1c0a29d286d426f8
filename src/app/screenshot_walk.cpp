#include "app/screenshot_walk.h"

#include <cstdio>
#include <system_error>
#include <utility>

#include "app/vexilo_dlg.h"

namespace vexilo {

namespace {

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);  // the process may end at once after a forced close
}

}  // namespace

ScreenshotWalk::~ScreenshotWalk() {
    if (m_started) {
        ui::SetMessageBoxHandler(std::move(m_previous));
    }
}

std::string ScreenshotWalk::Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

bool ScreenshotWalk::Start(std::string* error) {
    if (!m_dir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::u8path(m_dir), ec);
        if (ec) {
            *error = "cannot create the directory " + m_dir;
            return false;
        }
    }
    m_previous = ui::SetMessageBoxHandler(
        [this](ui::Dialog* owner, const std::string& text, const std::string& caption,
               unsigned style) { return OnMessageBox(owner, text, caption, style); });
    m_started = true;
    return true;
}

int ScreenshotWalk::OnMessageBox(ui::Dialog* owner, const std::string& text,
                                 const std::string& caption, unsigned style) {
    const int n = ++m_boxes;
    PrintLine("box " + std::to_string(n) + ": " + caption + ": " + Escape(text));
    const int answer = ui::DefaultAnswer(style);
    if (!m_dir.empty()) {
        SaveBox(owner, text, caption, style, answer, PathOf("box-" + std::to_string(n) + ".png"));
    }
    return answer;
}

void ScreenshotWalk::Run(CVexiloDlg& dlg) {
    ui::TabCtrl& tab = dlg.TabControl();
    int k = 0;
    while (k < tab.GetItemCount()) {
        if (!dlg.ShowTabAsClicked(k)) {
            continue;  // the converter did not answer and its tab is gone: the next one moved up
        }
        Settle(dlg);
        const int shot = ++m_tabs;
        if (!m_dir.empty()) {
            const std::filesystem::path path = PathOf("tab-" + std::to_string(shot) + ".png");
            Written(SaveTab(dlg, path), path);
        }
        PrintLine("tab " + std::to_string(shot) + ": " + tab.GetItemText(k));
        ++k;
    }
    dlg.EndDialog(ui::kIdCancel);
}

bool ScreenshotWalk::ProgressDue() {
    if (m_progressSaved || m_dir.empty()) {
        return false;
    }
    m_progressSaved = true;
    return true;
}

std::filesystem::path ScreenshotWalk::PathOf(const std::string& name) const {
    return std::filesystem::u8path(m_dir) / name;
}

void ScreenshotWalk::Written(bool ok, const std::filesystem::path& path) {
    if (!ok) {
        const std::u8string name = path.u8string();
        std::fprintf(stderr, "vexilo-panel: cannot write %s\n",
                     reinterpret_cast<const char*>(name.c_str()));
        m_failed = true;
    }
}

}  // namespace vexilo
