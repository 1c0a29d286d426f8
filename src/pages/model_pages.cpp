#include "pages/model_pages.h"

#include "discovery/devices.h"
#include "pages/argb_dialog.h"
#include "pages/cvbs_dialog.h"
#include "pages/dvid_dialog.h"

namespace vexilo {

std::unique_ptr<CDevDialog> CreateDevicePage(int kind) {
    switch (kind) {
        case DEVKIND_RGB:
            return std::make_unique<CArgbDialog>();
        case DEVKIND_NTSC:
            return std::make_unique<CCvbsDialog>();
        default:
            return std::make_unique<CDvidDialog>();
    }
}

int PageTemplateId(int kind) {
    switch (kind) {
        case DEVKIND_RGB:
            return IDD_RGB_PAGE;
        case DEVKIND_NTSC:
            return IDD_NTSC_PAGE;
        default:
            return IDD_DVI_PAGE;
    }
}

}  // namespace vexilo
