// Message boxes on MessageBoxW.
#include "ui/backend.h"
#include "ui/message_box.h"
#include "ui/win32_backend.h"

namespace vexilo::ui {

int ShowToolkitMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                          unsigned style) {
    HWND parent = owner != nullptr ? win32::Window(*owner) : nullptr;
    // Owned by the top-level window, so that the whole window waits for the answer.
    if (parent != nullptr) {
        parent = GetAncestor(parent, GA_ROOT);
    }
    win32::EnterLoop();
    const int pressed = MessageBoxW(parent, win32::Wide(text).c_str(), win32::Wide(caption).c_str(),
                                    style | MB_SETFOREGROUND);
    win32::LeaveLoop();
    if (!IsYesNo(style)) {
        return kIdOk;
    }
    return pressed == IDYES ? kIdYes : kIdNo;
}

}  // namespace vexilo::ui
