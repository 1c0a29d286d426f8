#pragma once

#include "pages/adjust_page.h"

namespace vexilo {

// The page of the composite converter: brightness, contrast, hue and saturation, bound to the
// model's composite settings by its table.
class CCvbsDialog : public CAdjustPage {
public:
    CCvbsDialog();

    static const ui::MessageMap& ThisMessageMap();
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }
};

}  // namespace vexilo
