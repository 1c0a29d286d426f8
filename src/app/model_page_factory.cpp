#include "app/page_factory.h"
#include "pages/model_pages.h"

namespace vexilo {

PageFactory ModelPageFactory() {
    return {[](int kind) { return CreateDevicePage(kind); },
            [](int kind) { return PageTemplateId(kind); },
            [](CDevLink& link, int kind, const std::atomic<bool>* stop) {
                return model::ReadAtStartup(link, kind, stop);
            }};
}

}  // namespace vexilo
