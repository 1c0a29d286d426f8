#include "app/page_factory.h"
#include "pages/model_pages.h"

namespace vexilo {

PageFactory ModelPageFactory() {
    return {[](Kind kind) { return CreateDevicePage(kind); },
            [](Kind kind) { return PageTemplateId(kind); },
            [](CDevLink& link, Kind kind, const std::atomic<bool>* stop) {
                return model::ReadAtStartup(link, kind, stop);
            }};
}

}  // namespace vexilo
