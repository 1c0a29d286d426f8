#pragma once

// The main window on Qt beyond the kit, for the application's Qt files and the tests.
#include <QImage>

#include "app/vexilo_dlg.h"

namespace vexilo {

// The logo as the window draws it.
const QImage& Logo(const CVexiloDlg& dlg);

// The logo with every pure white pixel made transparent, as the window draws it.
QImage WhiteToTransparent(const QImage& image);

}  // namespace vexilo
