// The language through Qt: the system locale and Qt Linguist's translator.
#include "app/language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace vexilo {

Language SystemLanguage() {
    return QLocale::system().language() == QLocale::Japanese ? Language::Japanese
                                                             : Language::English;
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
