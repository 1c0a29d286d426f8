#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/message_box.h"

namespace vexilo::test {

// Answers every message box (OK; Yes/No boxes with `yesNo`, No unless a test says otherwise) and
// remembers it; restores the previous handler when done.
class MessageBoxRecorder {
public:
    struct Box {
        std::string caption;
        std::string text;
        unsigned style = 0;
        bool owned = false;
    };

    MessageBoxRecorder() {
        m_previous = ui::SetMessageBoxHandler([this](ui::Dialog* owner, const std::string& text,
                                                     const std::string& caption, unsigned style) {
            boxes.push_back({caption, text, style, owner != nullptr});
            if (onBox) {
                onBox();
            }
            return (style & 0x0Fu) == ui::kMbYesNo ? yesNo : ui::kIdOk;
        });
    }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    ~MessageBoxRecorder() { ui::SetMessageBoxHandler(std::move(m_previous)); }

    std::vector<Box> boxes;
    std::function<void()> onBox;  // runs while the box is "open"
    int yesNo = ui::kIdNo;        // the answer to a Yes/No box

private:
    ui::MessageBoxHandler m_previous;
};

}  // namespace vexilo::test
