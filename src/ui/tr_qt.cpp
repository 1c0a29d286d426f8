// Translation through Qt Linguist's catalogues (the translator installed on the application).
#include <QCoreApplication>

#include "ui/tr.h"

namespace vexilo::ui {

std::string Tr(const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
}

}  // namespace vexilo::ui
