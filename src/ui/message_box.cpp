#include "ui/message_box.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "ui/backend.h"
#include "ui/updown.h"

namespace vexilo::ui {

namespace {

int g_openBoxes = 0;
int g_boxesShown = 0;

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

// The first byte of the UTF-8 character that ends just before `end`.
std::size_t CharacterStartBefore(std::string_view s, std::size_t end) {
    std::size_t i = end - 1;
    while (i > 0 && IsContinuation(s[i])) {
        --i;
    }
    return i;
}

// The start of the character after the one at `i`.
std::size_t NextCharacter(std::string_view s, std::size_t i) {
    ++i;
    while (i < s.size() && IsContinuation(s[i])) {
        ++i;
    }
    return i;
}

bool IsJapanesePunctuation(std::string_view character) {
    return character == "\xE3\x80\x81" || character == "\xE3\x80\x82";  // 、。
}

}  // namespace

int BoxLineWidth(int screenWidth) {
    constexpr int kLineWidth = 400;     // the widest line of a box's text
    constexpr int kBoxFrameRoom = 100;  // icon, margins and frame beside the text
    return std::clamp(screenWidth / 2 - kBoxFrameRoom, 200, kLineWidth);
}

int DefaultAnswer(unsigned style) {
    if (!IsYesNo(style)) {
        return kIdOk;
    }
    return (style & kMbDefButton2) != 0 ? kIdNo : kIdYes;
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
    return h ? h(owner, text, caption, style) : ShowToolkitMessageBox(owner, text, caption, style);
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

std::string BreakAtPhrases(std::string_view text, const std::function<int(std::string_view)>& width,
                           int maxWidth) {
    std::string out;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (width(line) > maxWidth) {
            std::size_t cut = 0;   // bytes kept on this line
            std::size_t next = 0;  // where the rest starts
            // Every character boundary after the first character.
            for (std::size_t i = line.empty() ? 0 : NextCharacter(line, 0); i < line.size();
                 i = NextCharacter(line, i)) {
                std::size_t keep = 0;
                std::size_t rest = 0;
                const std::size_t before = CharacterStartBefore(line, i);
                if (line[i] == ' ') {
                    keep = i;
                    rest = i + 1;
                } else if (IsJapanesePunctuation(line.substr(before, i - before))) {
                    keep = i;
                    rest = i;
                }
                if (keep == 0) {
                    continue;
                }
                if (width(line.substr(0, keep)) > maxWidth && cut > 0) {
                    break;
                }
                cut = keep;
                next = rest;
            }
            if (cut == 0 || next >= line.size()) {
                break;  // nothing to break at: the line stays whole
            }
            out.append(line.substr(0, cut));
            out += '\n';
            line.remove_prefix(next);
        }
        out.append(line);
        if (newline != std::string_view::npos) {
            out += '\n';
        }
    }
    return out;
}

}  // namespace vexilo::ui
