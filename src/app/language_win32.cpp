// The language on Windows: the user's interface language and the kit's generated table.
#include "app/language.h"
#include "ui/win32_backend.h"

namespace vexilo {

Language SystemLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::Japanese
                                                                      : Language::English;
}

bool InstallLanguage(Language language) {
    ui::win32::UseEnglish(language == Language::English);
    return true;
}

}  // namespace vexilo
