#include "pages/model_pages.h"

#include "model/converter_model.h"
#include "pages/argb_dialog.h"
#include "pages/cvbs_dialog.h"
#include "pages/dvid_dialog.h"

namespace vexilo {
namespace {

// How each page of the kind registry is made, and from which dialog template.
struct PageMaker {
    model::Page page;
    int templateId;
    std::unique_ptr<CDevDialog> (*create)();
};

template <typename T>
std::unique_ptr<CDevDialog> Make() {
    return std::make_unique<T>();
}

constexpr PageMaker kPages[] = {
    {model::Page::kDvi, IDD_DVI_PAGE, &Make<CDvidDialog>},
    {model::Page::kRgb, IDD_RGB_PAGE, &Make<CArgbDialog>},
    {model::Page::kComposite, IDD_NTSC_PAGE, &Make<CCvbsDialog>},
};

const PageMaker& MakerOf(Kind kind) {
    const model::Page page = model::KindOf(kind).page;
    for (const PageMaker& maker : kPages) {
        if (maker.page == page) {
            return maker;
        }
    }
    return kPages[0];
}

}  // namespace

std::unique_ptr<CDevDialog> CreateDevicePage(Kind kind) {
    return MakerOf(kind).create();
}

int PageTemplateId(Kind kind) {
    return MakerOf(kind).templateId;
}

}  // namespace vexilo
