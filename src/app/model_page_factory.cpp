#include "app/page_factory.h"
#include "pages/model_pages.h"

namespace vexilo {

PageFactory ModelPageFactory() {
    return {[](Kind kind) { return CreateDevicePage(kind); },
            [](Kind kind) { return PageTemplateId(kind); },
            [](model::Converter& converter, const std::atomic<bool>* stop) {
                return converter.Start(stop);
            }};
}

}  // namespace vexilo
