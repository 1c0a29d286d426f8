// Where to look when no converter is found, in the terms of a Windows system.
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

}  // namespace vexilo
