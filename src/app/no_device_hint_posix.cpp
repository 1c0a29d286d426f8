// Where to look when no converter is found, and where --help says converters are, in the terms
// of a Linux system.
#include "app/vexilo_app.h"
#include "app/vexilo_dlg.h"
#include "ui/tr.h"

namespace vexilo {

std::string NoDeviceHint() {
    return ui::Tr(
        "CVexiloDlg",
        "USB ケーブルが接続され、コンバーターの電源が入っていることを確認してください。\n"
        "lsusb にコンバーターが表示されることを確認してください"
        " (表示されなければケーブルか USB 接続の問題です)。\n"
        "udev ルール 60-vexilo.rules がインストールされていることを確認してください。\n"
        "USB 以外のシリアルポート (シミュレーターなど) は環境変数 VEXILO_PORTS で指定します。");
}

std::string UsagePlatformText() {
    return R"txt(Converters are USB
serial ports (/dev/ttyACM<n>); the udev rules file 60-vexilo.rules gives the user at the local
seat access to them, and elsewhere membership in the dialout group does.

Options:
  /s                  also show the button that saves the settings without closing; any case
  --lang ja|en        Japanese or English texts instead of the system locale's choice
  --demo              three simulated converters (RGB, DVI, composite) in place of real ones
  --screenshot DIR    show every tab in turn, save DIR/tab-<k>.png and every message box as
                      DIR/box-<n>.png, print one line for each, then end; runs without a display
)txt";
}

}  // namespace vexilo
