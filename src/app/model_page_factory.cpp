#include "app/page_factory.h"
#include "pages/model_pages.h"

namespace vexilo {

PageFactory ModelPageFactory() {
    return {[](int kind) { return CreateDevicePage(kind); },
            [](int kind) { return PageTemplateId(kind); },
            [](model::Converter& converter, const std::atomic<bool>* stop) {
                return converter.Start(stop);
            }};
}

}  // namespace vexilo
