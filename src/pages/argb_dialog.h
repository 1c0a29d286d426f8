#pragma once

#include "pages/adjust_page.h"

namespace vexilo {

// The factory phase of an input format, from the converter model.
using model::RgbPhaseDefault;

// The page of the analog RGB converter: position, phase, sync, gain and offset, bound to the
// model's RGB settings by its table.
class CArgbDialog : public CAdjustPage {
public:
    CArgbDialog();

    static const ui::MessageMap& ThisMessageMap();
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

protected:
    std::string ShownOnlyTip() const override;
};

}  // namespace vexilo
