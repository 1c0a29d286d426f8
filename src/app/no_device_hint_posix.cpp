// Where to look when no converter is found, in the terms of a Linux system.
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

}  // namespace vexilo
