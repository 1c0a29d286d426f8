#include "ui/tab_ctrl.h"

namespace vexilo::ui {

void TabCtrl::SelectNext(int direction) {
    const int count = GetItemCount();
    if (count == 0 || !IsControlEnabled()) {
        return;
    }
    const int from = GetCurSel() < 0 ? (direction > 0 ? count - 1 : 0) : GetCurSel();
    SelectByUser(((from + direction) % count + count) % count);
}

}  // namespace vexilo::ui
