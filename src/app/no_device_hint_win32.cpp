// Where to look when no converter is found, and where --help says converters are, in the terms
// of a Windows system.
#include "app/vexilo_app.h"
#include "app/vexilo_dlg.h"
#include "ui/tr.h"

namespace vexilo {

std::string NoDeviceHint() {
    return ui::Tr(
        "CVexiloDlg",
        "USB ケーブルが接続され、コンバーターの電源が入っていることを確認してください。\n"
        "デバイス マネージャーの「ポート (COM と LPT)」にコンバーターが表示されることを"
        "確認してください。\n"
        "USB 以外のシリアルポート (シミュレーターなど) は環境変数 VEXILO_PORTS で指定します。");
}

std::string UsagePlatformText() {
    return R"txt(Converters are USB
serial ports (COM<n>, Windows' usbser driver), listed by Device Manager under "Ports (COM & LPT)".

Options:
  /s                  also show the button that saves the settings without closing; any case
  --lang ja|en        Japanese or English texts instead of the Windows display language's choice
  --demo              three simulated converters (RGB, DVI, composite) in place of real ones
  --screenshot DIR    show every tab in turn, save DIR/tab-<k>.png and every message box as
                      DIR/box-<n>.png, print one line for each, then end
)txt";
}

}  // namespace vexilo
