#pragma once

#include <string>

namespace vexilo {

// The product version shown in the window title, as UTF-8: on Windows the "ProductVersion" of
// the executable's version resource (empty when it cannot be read), elsewhere the version the
// program was built as. WindowTitle (app/shell_logic.h) makes the title of it.
std::string ProductVersionText();

}  // namespace vexilo
