#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vexilo::ui {

class Dialog;

// Message box styles and answers, with the values Windows gives them.
inline constexpr unsigned kMbOk = 0x00000000;
inline constexpr unsigned kMbYesNo = 0x00000004;
inline constexpr unsigned kMbIconExclamation = 0x00000030;
inline constexpr unsigned kMbIconInformation = 0x00000040;
inline constexpr unsigned kMbDefButton2 = 0x00000100;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// True for a box with Yes and No buttons.
inline bool IsYesNo(unsigned style) {
    return (style & 0x0Fu) == kMbYesNo;
}

// The answer of a box whose default button is pressed: OK, or for Yes/No the first button
// unless kMbDefButton2 makes it the second.
int DefaultAnswer(unsigned style);

// Everything that shows a message box goes through this one function, so that tests can answer
// and record the boxes and a screenshot run can save them. Texts are UTF-8.
using MessageBoxHandler = std::function<int(Dialog* owner, const std::string& text,
                                            const std::string& caption, unsigned style)>;

// Shows a modal box owned by `owner` (may be null) and returns the button pressed.
int ShowMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                   unsigned style);

// How many boxes are open now (shown and not yet answered), whatever handler shows them.
int OpenMessageBoxes();

// How many boxes have been shown so far (by any handler): whether an operation had something to
// tell.
int MessageBoxesShown();

// Replaces the handler; an empty handler restores the default (the toolkit's own box). Returns
// the handler that was installed before.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// A box's text with its lines broken to at most `maxWidth` pixels as `width` measures them: at a
// space, which the break replaces, or after Japanese punctuation (、。). Elsewhere a line is left
// whole, so that no word ("グループ") is split.
std::string BreakAtPhrases(std::string_view text, const std::function<int(std::string_view)>& width,
                           int maxWidth);
// The widest line, in pixels, of a box on a screen `screenWidth` pixels wide: narrow enough that
// the box never breaks a line again.
int BoxLineWidth(int screenWidth);

}  // namespace vexilo::ui
