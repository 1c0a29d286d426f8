#pragma once

#include <memory>

#include "discovery/devices.h"
#include "pages/dev_dialog.h"
#include "ui/resource.h"

namespace vexilo {

// The page object for a converter of `kind` (DEVKIND_*): DEVKIND_RGB gets the analog RGB page,
// DEVKIND_NTSC the composite page, DEVKIND_DVI, DEVKIND_OTHER and any unknown kind the DVI page.
// The page has no window and no converter yet: the caller attaches the port (AttachDevice),
// creates the window with PageTemplateId(kind), then calls SetComPort.
std::unique_ptr<CDevDialog> CreateDevicePage(int kind);

// The dialog template of the page that CreateDevicePage(kind) makes: 133, 134 or 135.
int PageTemplateId(int kind);

}  // namespace vexilo
