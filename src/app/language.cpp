#include "app/language.h"

#include <QCoreApplication>
#include <QTranslator>

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

Language LanguageOf(const QLocale& locale) {
    return locale.language() == QLocale::Japanese ? Language::Japanese : Language::English;
}

bool InstallLanguage(Language language) {
    // One translator for the whole process, built into the program by lrelease; never
    // destroyed, as the process may end with exit() while Qt still runs.
    static auto* const translator = new QTranslator;
    QCoreApplication::removeTranslator(translator);
    if (language == Language::Japanese) {
        return true;
    }
    return translator->load(QStringLiteral(":/vexilo/i18n/vexilo_en.qm")) &&
           QCoreApplication::installTranslator(translator);
}

}  // namespace vexilo
