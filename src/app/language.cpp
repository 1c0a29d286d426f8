#include "app/language.h"

namespace vexilo {

std::optional<Language> ParseLanguage(const std::string& name) {
    if (name == "ja") {
        return Language::Japanese;
    }
    if (name == "en") {
        return Language::English;
    }
    return std::nullopt;
}

}  // namespace vexilo
