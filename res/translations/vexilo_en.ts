<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>CAdjustPage</name>
    <message>
        <source>入力信号フォーマットが変更されています。
フォーマットに対応する調整値をロードします。
現在の調整値は破棄されます。</source>
        <translation>The input signal format has changed.
The adjustments for the new format are loaded.
The current adjustments are discarded.</translation>
    </message>
    <message>
        <source>入力信号フォーマットが変更されています。
現在の調整値は破棄し終了します。</source>
        <translation>The input signal format has changed.
The current adjustments are discarded and the operation ends.</translation>
    </message>
    <message>
        <source>現在の入力フォーマットの調整値をすべて出荷時設定に戻し、
すぐにデバイスへ送信します。</source>
        <translation>Every adjustment of the current input format goes back
to its factory value and is sent to the device at once.</translation>
    </message>
    <message>
        <source>入力信号がないため調整できません</source>
        <translation>No input signal: nothing to adjust.</translation>
    </message>
</context>
<context>
    <name>CArgbDialog</name>
    <message>
        <source>コンバーターの同期信号自動判別の設定を表示します（変更不可）</source>
        <translation>Shows the converter&apos;s automatic sync setting; it cannot be changed here.</translation>
    </message>
</context>
<context>
    <name>CDevDialog</name>
    <message>
        <source>デバイスが接続されていません</source>
        <translation>No device is connected.</translation>
    </message>
    <message>
        <source>デバイスが反応しません
接続を確認してください
該当タブを強制クローズします</source>
        <translation>The device does not respond.
Please check the connection.
Its tab is closed.</translation>
    </message>
    <message>
        <source>メインファームウェアで起動していません
ファームウェアの更新を行ってください
強制終了します</source>
        <translation>The device has not started its main firmware.
Please update the firmware.
The panel closes.</translation>
    </message>
    <message>
        <source>ブートファームウェア更新用ファームウェアで起動しています
ファームウェアの更新を行ってください
該当タブを強制クローズします</source>
        <translation>The device runs the boot firmware updater.
Please update the firmware.
Its tab is closed.</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>基板Rev. : %1</source>
        <translation>Board Rev. : %1</translation>
    </message>
    <message>
        <source>※ID機能設定は保存後に更新されます</source>
        <translation>* ID settings take effect when saved.</translation>
    </message>
    <message>
        <source>※ID機能を使用するにはFirmwareをVer.3.0以降へ、FPGAをVer.0x0AA以降へ更新してください</source>
        <translation>* The ID function needs firmware Ver.3.0 or later and FPGA Ver.0x0AA or later.</translation>
    </message>
    <message>
        <source>ID機能 DIDの値が不正です（0x50～0x5Fのみ選択可能）</source>
        <translation>ID function: invalid DID (only 0x50 to 0x5F can be chosen).</translation>
    </message>
    <message>
        <source>ID機能文字列の変換に失敗しました</source>
        <translation>ID function: a text could not be converted.</translation>
    </message>
    <message>
        <source>ID機能設定の妥当性チェックに失敗しました（DID範囲/ASCIIなど）</source>
        <translation>ID function: the settings failed their check (DID range, ASCII, etc.).</translation>
    </message>
    <message>
        <source>このコンバーターはID機能に対応していません</source>
        <translation>This converter does not support the ID function.</translation>
    </message>
    <message>
        <source>最終読み取り %1</source>
        <translation>Last read %1</translation>
    </message>
    <message>
        <source>デバイスが反応しません
接続を確認してください
このデバイスの設定は保存されていません
該当タブを強制クローズします</source>
        <translation>The device does not respond.
Please check the connection.
The settings of this device were not saved.
Its tab is closed.</translation>
    </message>
    <message>
        <source>デバイスが反応しません
接続を確認してください
このデバイスの設定は元に戻されていません
該当タブを強制クローズします</source>
        <translation>The device does not respond.
Please check the connection.
The settings of this device were not reverted.
Its tab is closed.</translation>
    </message>
    <message>
        <source>デバイスが反応しません
接続を確認してください</source>
        <translation>The device does not respond.
Please check the connection.</translation>
    </message>
    <message>
        <source>デバイスからの応答が壊れています
接続を確認してください</source>
        <translation>The reply from the device was damaged.
Please check the connection.</translation>
    </message>
    <message>
        <source>デバイスからの応答が不正です</source>
        <translation>The reply from the device was not as expected.</translation>
    </message>
    <message>
        <source>デバイスがエラーを返しました（コード 0x%1）</source>
        <translation>The device answered with error code 0x%1.</translation>
    </message>
    <message>
        <source>メインファームウェアで起動していません
ファームウェアの更新を行ってください</source>
        <translation>The device has not started its main firmware.
Please update the firmware.</translation>
    </message>
    <message>
        <source>ブートファームウェア更新用ファームウェアで起動しています
ファームウェアの更新を行ってください</source>
        <translation>The device runs the boot firmware updater.
Please update the firmware.</translation>
    </message>
    <message>
        <source>このデバイスは使用しません</source>
        <translation>This device will not be used.</translation>
    </message>
    <message>
        <source>出荷時設定に戻します。</source>
        <translation>This restores the factory settings:</translation>
    </message>
    <message>
        <source>よろしいですか？</source>
        <translation>Continue?</translation>
    </message>
    <message>
        <source>※ID機能設定を読み出せませんでした。変更した項目のみ保存時に書き込まれます</source>
        <translation>* The ID settings could not be read; only the fields you change are written when saved.</translation>
    </message>
    <message>
        <source>・出力：1920x1080 59.94p、3G-SDI Level-A、常にスケーリング
&#x3000;すぐにデバイスへ送信します</source>
        <translation>• Output: 1920x1080 59.94p, 3G-SDI Level-A, always scale
  sent to the device at once.</translation>
    </message>
    <message>
        <source>・ID機能設定：無効、DID 0x5F、SN・ID・Nameは空
&#x3000;次の設定保存でデバイスに書き込まれます</source>
        <translation>• ID function off, DID 0x5F, SN, ID and Name empty
  written to the device at the next save.</translation>
    </message>
</context>
<context>
    <name>CDvidDialog</name>
    <message>
        <source>デバイスに設定値は保存されませんが、
このFirmware Versionでは現在の設定値はそのままです。
デバイスがリセットされたときに元に戻ります。</source>
        <translation>The settings are not stored in the device,
but with this firmware version the current settings stay.
They return to the stored ones when the device is reset.</translation>
    </message>
    <message>
        <source>・+5V Cable Detectをチェックする
&#x3000;すぐにデバイスへ送信します</source>
        <translation>• +5V cable detect checked (not ignored)
  sent to the device at once.</translation>
    </message>
    <message>
        <source>このファームウェアはケーブル検出の設定に対応していません</source>
        <translation>This firmware has no cable detection setting.</translation>
    </message>
    <message>
        <source>ケーブル検出の設定を読み取れませんでした</source>
        <translation>The cable detection setting could not be read.</translation>
    </message>
</context>
<context>
    <name>CVexiloDlg</name>
    <message>
        <source>デバイスが接続されていません</source>
        <translation>No device is connected.</translation>
    </message>
    <message>
        <source>デバイスが使用できません。</source>
        <translation>The devices cannot be used.</translation>
    </message>
    <message>
        <source>他のアプリケーションで既に使用されている可能性があります。</source>
        <translation>Another application may already be using the port.</translation>
    </message>
    <message>
        <source>%1 を開く権限がありません。</source>
        <translation>No permission to open %1.</translation>
    </message>
    <message>
        <source>udev ルール 60-vexilo.rules をインストールするか、ユーザーを dialout グループに追加して再ログインしてください。</source>
        <translation>Install the udev rules 60-vexilo.rules, or add the user to the dialout group and log in again.</translation>
    </message>
    <message>
        <source>コンバーターが取り外されました。</source>
        <translation>The converter was unplugged.</translation>
    </message>
    <message>
        <source>他のアプリケーションが使用中: %1</source>
        <translation>In use by another program: %1</translation>
    </message>
    <message>
        <source>USB ケーブルが接続され、コンバーターの電源が入っていることを確認してください。
lsusb にコンバーターが表示されることを確認してください (表示されなければケーブルか USB 接続の問題です)。
udev ルール 60-vexilo.rules がインストールされていることを確認してください。
USB 以外のシリアルポート (シミュレーターなど) は環境変数 VEXILO_PORTS で指定します。</source>
        <translation>Check that the USB cable is plugged in and the converter is switched on.
Check that lsusb lists the converter (if it does not, the cable or the USB connection is at fault).
Check that the udev rule 60-vexilo.rules is installed.
Serial ports other than USB (such as the simulator&apos;s) are named in the environment variable VEXILO_PORTS.</translation>
    </message>
    <message>
        <source>USB ケーブルが接続され、コンバーターの電源が入っていることを確認してください。
デバイス マネージャーの「ポート (COM と LPT)」にコンバーターが表示されることを確認してください。
USB 以外のシリアルポート (シミュレーターなど) は環境変数 VEXILO_PORTS で指定します。</source>
        <translation>Check that the USB cable is plugged in and the converter is switched on.
Check that Device Manager lists the converter under &quot;Ports (COM &amp; LPT)&quot;.
Serial ports other than USB (such as the simulator&apos;s) are named in the environment variable VEXILO_PORTS.</translation>
    </message>
    <message>
        <source>コンバーターの接続を待ちますか？
「はい」: ウィンドウを開き、接続されたコンバーターごとにタブを追加します。
「いいえ」: 終了します。</source>
        <translation>Wait for converters to be plugged in?
Yes: open the window and add a tab for each converter plugged in.
No: end the panel.</translation>
    </message>
    <message>
        <source>コンバーターの接続を待っています。</source>
        <translation>Waiting for converters to be plugged in.</translation>
    </message>
    <message>
        <source>設定を保存しました</source>
        <translation>Settings saved.</translation>
    </message>
</context>
<context>
    <name>MessageBox</name>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>Template 102</name>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>設定を保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>設定を保存して終了(&amp;X)</source>
        <translation>Save and e&amp;xit</translation>
    </message>
</context>
<context>
    <name>Template 133</name>
    <message>
        <source>デバイスステータス</source>
        <translation>Device status</translation>
    </message>
    <message>
        <source>入力フォーマット</source>
        <translation>Input format</translation>
    </message>
    <message>
        <source>FPGA温度</source>
        <translation>FPGA temp.</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>°C</translation>
    </message>
    <message>
        <source>マイコン温度</source>
        <translation>MCU temp.</translation>
    </message>
    <message>
        <source>電源電圧</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source> Ｖ</source>
        <translation> V</translation>
    </message>
    <message>
        <source>ステータス自動更新</source>
        <translation>Auto update</translation>
    </message>
    <message>
        <source>ステータス更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>+5V Cable Detectをチェックしない</source>
        <translation>Ignore +5V cable detect</translation>
    </message>
    <message>
        <source>出力フォーマット設定</source>
        <translation>Output format</translation>
    </message>
    <message>
        <source>3G-SDI Level設定 （1080pの場合に有効）</source>
        <translation>3G-SDI level (for 1080p)</translation>
    </message>
    <message>
        <source>スケーラー設定</source>
        <translation>Scaler</translation>
    </message>
    <message>
        <source>※入出力フォーマットが同じ場合に有効</source>
        <translation>* When input and output formats match</translation>
    </message>
    <message>
        <source>常にスケーリング</source>
        <translation>Always scale</translation>
    </message>
    <message>
        <source>同期可能な場合はスケーリングを行わない</source>
        <translation>No scaling if sync is possible</translation>
    </message>
    <message>
        <source>※入出力フォーマットが違う場合は常にスケーリング</source>
        <translation>* Always scales when the formats differ</translation>
    </message>
    <message>
        <source>出荷時設定</source>
        <translation>Factory settings</translation>
    </message>
    <message>
        <source>基板Rev. : </source>
        <translation>Board Rev. : </translation>
    </message>
    <message>
        <source>ID機能設定</source>
        <translation>ID function</translation>
    </message>
    <message>
        <source>有効</source>
        <translation>On</translation>
    </message>
    <message>
        <source>※注記欄</source>
        <translation>* Note</translation>
    </message>
</context>
<context>
    <name>Template 134</name>
    <message>
        <source>デバイスステータス</source>
        <translation>Device status</translation>
    </message>
    <message>
        <source>入力フォーマット</source>
        <translation>Input format</translation>
    </message>
    <message>
        <source>FPGA温度</source>
        <translation>FPGA temp.</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>°C</translation>
    </message>
    <message>
        <source>マイコン温度</source>
        <translation>MCU temp.</translation>
    </message>
    <message>
        <source>電源電圧</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source> Ｖ</source>
        <translation> V</translation>
    </message>
    <message>
        <source>ステータス自動更新</source>
        <translation>Auto update</translation>
    </message>
    <message>
        <source>ステータス更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>出力フォーマット設定</source>
        <translation>Output format</translation>
    </message>
    <message>
        <source>3G-SDI Level設定 （1080pの場合に有効）</source>
        <translation>3G-SDI level (for 1080p)</translation>
    </message>
    <message>
        <source>スケーラー設定</source>
        <translation>Scaler</translation>
    </message>
    <message>
        <source>※入出力フォーマットが同じ場合に有効</source>
        <translation>* When input and output formats match</translation>
    </message>
    <message>
        <source>常にスケーリング</source>
        <translation>Always scale</translation>
    </message>
    <message>
        <source>同期可能な場合はスケーリングを行わない</source>
        <translation>No scaling if sync is possible</translation>
    </message>
    <message>
        <source>※入出力フォーマットが違う場合は常にスケーリング</source>
        <translation>* Always scales when the formats differ</translation>
    </message>
    <message>
        <source>出荷時設定</source>
        <translation>Factory settings</translation>
    </message>
    <message>
        <source>基板Rev. : </source>
        <translation>Board Rev. : </translation>
    </message>
    <message>
        <source>出力位置調整</source>
        <translation>Output position</translation>
    </message>
    <message>
        <source>水平</source>
        <translation>H</translation>
    </message>
    <message>
        <source>垂直</source>
        <translation>V</translation>
    </message>
    <message>
        <source>Phase調整</source>
        <translation>Phase</translation>
    </message>
    <message>
        <source>同期信号設定</source>
        <translation>Sync</translation>
    </message>
    <message>
        <source>RGB（３線）</source>
        <translation>RGB (3-wire)</translation>
    </message>
    <message>
        <source>RGBS（４線）</source>
        <translation>RGBS (4-wire)</translation>
    </message>
    <message>
        <source>RGBHV（５線）</source>
        <translation>RGBHV (5-wire)</translation>
    </message>
    <message>
        <source>色調整 (Gain)</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>色調整 (Offset)</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>調整値出荷時設定</source>
        <translation>Reset adjustments</translation>
    </message>
    <message>
        <source>ID機能設定</source>
        <translation>ID function</translation>
    </message>
    <message>
        <source>有効</source>
        <translation>On</translation>
    </message>
    <message>
        <source>※注記欄</source>
        <translation>* Note</translation>
    </message>
</context>
<context>
    <name>Template 135</name>
    <message>
        <source>デバイスステータス</source>
        <translation>Device status</translation>
    </message>
    <message>
        <source>入力フォーマット</source>
        <translation>Input format</translation>
    </message>
    <message>
        <source>FPGA温度</source>
        <translation>FPGA temp.</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>°C</translation>
    </message>
    <message>
        <source>マイコン温度</source>
        <translation>MCU temp.</translation>
    </message>
    <message>
        <source>電源電圧</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source> Ｖ</source>
        <translation> V</translation>
    </message>
    <message>
        <source>ステータス自動更新</source>
        <translation>Auto update</translation>
    </message>
    <message>
        <source>ステータス更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>出力フォーマット設定</source>
        <translation>Output format</translation>
    </message>
    <message>
        <source>3G-SDI Level設定 （1080pの場合に有効）</source>
        <translation>3G-SDI level (for 1080p)</translation>
    </message>
    <message>
        <source>基板Rev. : </source>
        <translation>Board Rev. : </translation>
    </message>
    <message>
        <source>出荷時設定</source>
        <translation>Factory settings</translation>
    </message>
    <message>
        <source>色調整</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>明るさ</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>コントラスト</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>色相</source>
        <translation>Hue</translation>
    </message>
    <message>
        <source>彩度</source>
        <translation>Saturation</translation>
    </message>
    <message>
        <source>調整値出荷時設定</source>
        <translation>Reset adjustments</translation>
    </message>
    <message>
        <source>ID機能設定</source>
        <translation>ID function</translation>
    </message>
    <message>
        <source>有効</source>
        <translation>On</translation>
    </message>
    <message>
        <source>※注記欄</source>
        <translation>* Note</translation>
    </message>
    <message>
        <source>(削除ダメ) 常にスケーリング</source>
        <translation>(keep) Always scale</translation>
    </message>
    <message>
        <source>(削除ダメ) 同期可能な場合はスケーリングを行わない</source>
        <translation>(keep) No scaling if sync is possible</translation>
    </message>
</context>
<context>
    <name>vexilo::StartupProgress</name>
    <message>
        <source>コンバーターを探しています…</source>
        <translation>Looking for converters…</translation>
    </message>
    <message>
        <source>%1 と通信しています…</source>
        <translation>Contacting %1…</translation>
    </message>
    <message>
        <source>%1 / %2 台完了</source>
        <translation>%1 of %2 converters done</translation>
    </message>
    <message>
        <source>デバイスが接続されていません</source>
        <translation>No device is connected</translation>
    </message>
    <message>
        <source>メインファームウェアで起動していません</source>
        <translation>The device has not started its main firmware</translation>
    </message>
    <message>
        <source>ブートファームウェア更新用ファームウェアで起動しています</source>
        <translation>The device runs the boot firmware updater</translation>
    </message>
    <message>
        <source>デバイスが反応しません</source>
        <translation>The device does not respond</translation>
    </message>
    <message>
        <source>通信中…</source>
        <translation>contacting…</translation>
    </message>
    <message>
        <source>準備完了</source>
        <translation>ready</translation>
    </message>
    <message>
        <source>失敗: %1</source>
        <translation>failed: %1</translation>
    </message>
    <message>
        <source>準備のできたコンバーターで続ける</source>
        <translation>Go on with the converters that are ready</translation>
    </message>
    <message>
        <source>コンバーターと通信しています…</source>
        <translation>Contacting the converters…</translation>
    </message>
</context>
</TS>
