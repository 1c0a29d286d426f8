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
</context>
<context>
    <name>CDevDialog</name>
    <message>
        <source>デバイスが接続されていません</source>
        <translation>No device is connected</translation>
    </message>
    <message>
        <source>デバイスが反応しません
接続を確認してください
該当タブを強制クローズします</source>
        <translation>The device does not respond
Please check the connection
Its tab is closed</translation>
    </message>
    <message>
        <source>メインファームウェアで起動していません
ファームウェアの更新を行ってください
強制終了します</source>
        <translation>The device has not started its main firmware
Please update the firmware
The panel closes</translation>
    </message>
    <message>
        <source>ブートファームウェア更新用ファームウェアで起動しています
ファームウェアの更新を行ってください
該当タブを強制クローズします</source>
        <translation>The device runs the boot firmware updater
Please update the firmware
Its tab is closed</translation>
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
        <translation>* ID settings take effect when saved</translation>
    </message>
    <message>
        <source>※ID機能を使用するにはFirmwareをVer.3.0以降へ、FPGAをVer.0x0AA以降へ更新してください</source>
        <translation>* The ID function needs firmware Ver.3.0 or later and FPGA Ver.0x0AA or later</translation>
    </message>
    <message>
        <source>ID機能 DIDの値が不正です（0x50～0x5Fのみ選択可能）</source>
        <translation>ID function: invalid DID (only 0x50 to 0x5F can be chosen)</translation>
    </message>
    <message>
        <source>ID機能文字列の変換に失敗しました</source>
        <translation>ID function: a text could not be converted</translation>
    </message>
    <message>
        <source>ID機能設定の妥当性チェックに失敗しました（DID範囲/ASCIIなど）</source>
        <translation>ID function: the settings failed their check (DID range, ASCII, ...)</translation>
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
</context>
<context>
    <name>CVexiloDlg</name>
    <message>
        <source>デバイスが接続されていません</source>
        <translation>No device is connected</translation>
    </message>
    <message>
        <source>デバイスが使用できません。</source>
        <translation>The devices cannot be used.</translation>
    </message>
    <message>
        <source>他のアプリケーションで既に使用されている可能性があります。</source>
        <translation>Another application may already be using them.</translation>
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
        <translation>Factory reset</translation>
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
        <translation>Factory reset</translation>
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
        <translation>Reset adjust.</translation>
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
        <translation>Factory reset</translation>
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
        <translation>Reset adjust.</translation>
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
