#pragma once

#include <memory>

#include "pages/dev_dialog.h"
#include "protocol/converter_kind.h"
#include "ui/resource.h"

namespace vexilo {

// The page object for a converter of `kind`: the page the kind registry (model::KindOf) names,
// the DVI page for a value outside it. The page has no window and no converter yet: the caller
// attaches the port (AttachDevice), creates the window with PageTemplateId(kind), then calls
// SetComPort.
std::unique_ptr<CDevDialog> CreateDevicePage(Kind kind);

// The dialog template of the page that CreateDevicePage(kind) makes: 133, 134 or 135.
int PageTemplateId(Kind kind);

}  // namespace vexilo
