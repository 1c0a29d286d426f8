#include "app/app_version.h"

namespace vexilo {

std::string ProductVersionText() {
    return VEXILO_VERSION_TEXT;
}

}  // namespace vexilo
