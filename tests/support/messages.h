#pragma once

#include <string>
#include <vector>

// The panel's own texts as a user meets them (message boxes, notes), in one
// place for every test.
namespace vexilo::test {

inline const std::string kNoResponseText =
    "デバイスが反応しません\n接続を確認してください\n該当タブを強制クローズしま"
    "す";
inline const std::string kNotConnectedText = "デバイスが接続されていません";
inline const std::string kNotMainFirmwareText =
    "メインファームウェアで起動していません\nファームウェアの更新を行ってくださ"
    "い\n強制終了しま"
    "す";
inline const std::string kBootUpdaterText =
    "ブートファームウェア更新用ファームウェアで起動しています\nファームウェアの"
    "更新を行ってくだ"
    "さい\n該当タブを強制クローズします";

// A converter that fails before it has a tab is left out, and the box says why.
inline std::string StartupText(const char* cause) {
    return std::string(cause) + "\nこのデバイスは使用しません";
}
inline const std::string kStartupNotConnectedText = StartupText("デバイスが接続されていません");
inline const std::string kStartupNoResponseText =
    StartupText("デバイスが反応しません\n接続を確認してください");
inline const std::string kStartupDamagedText =
    StartupText("デバイスからの応答が壊れています\n接続を確認してください");
inline const std::string kStartupNotMainFirmwareText = StartupText(
    "メインファームウェアで起動していません\nファームウェアの更新を"
    "行ってください");
inline const std::string kStartupBootUpdaterText = StartupText(
    "ブートファームウェア更新用ファームウェアで起動しています\nファ"
    "ームウェアの更新を行ってくだ"
    "さい");
inline const std::string kNotSavedText =
    "デバイスが反応しません\n接続を確認してください\nこのデバイスの設定は保存さ"
    "れていません\n"
    "該当タブを強制クローズします";
inline const std::string kNotRevertedText =
    "デバイスが反応しません\n接続を確認してください\nこのデバイスの設定は元に戻"
    "されていません"
    "\n該当タブを強制クローズします";

// The questions before a factory button changes what the converter outputs.
inline const std::string kFactoryOutputLine =
    "・出力：1920x1080 59.94p、3G-SDI Level-A、常にスケーリング\n"
    "　すぐにデバイスへ送信します";
inline const std::string kFactoryCableLine =
    "・+5V Cable Detectをチェックする\n　すぐにデバイスへ送信します";
inline const std::string kFactoryIdLine =
    "・ID機能設定：無効、DID "
    "0x5F、SN・ID・Nameは空\n　次の設定保存でデバイスに書き込まれます";
inline std::string FactoryQuestion(const std::vector<std::string>& lines) {
    std::string text = "出荷時設定に戻します。";
    for (const std::string& line : lines) {
        text += '\n' + line;
    }
    return text + "\nよろしいですか？";
}
inline const std::string kAdjustFactoryQuestion =
    "現在の入力フォーマットの調整値をすべて出荷時設定に戻し、\nすぐにデバイスへ"
    "送信します。\n"
    "よろしいですか？";

inline const std::string kIdNoteSupportedText = "※ID機能設定は保存後に更新されます";
inline const std::string kIdNoteUnsupportedText =
    "※ID機能を使用するにはFirmwareをVer.3.0以降へ、FPGAをVer."
    "0x0AA以降へ更新してください";
inline const std::string kIdNoteUnreadText =
    "※ID機能設定を読み出せませんでした。変更した項目のみ保存時に書き込まれます";
inline const std::string kIdBadDidText = "ID機能 DIDの値が不正です（0x50～0x5Fのみ選択可能）";
inline const std::string kIdConvertFailedText = "ID機能文字列の変換に失敗しました";
inline const std::string kIdCheckFailedText =
    "ID機能設定の妥当性チェックに失敗しました（DID範囲/ASCIIなど）";

inline const std::string kFormatChangedText =
    "入力信号フォーマットが変更されています。\nフォーマットに対応する"
    "調整値をロードします。\n現在の調整値は破棄されます。";
inline const std::string kFormatChangedCommitText =
    "入力信号フォーマットが変更されています。\n現在の調整値は破棄し終了します"
    "。";
inline const std::string kOldDviFirmwareText =
    "デバイスに設定値は保存されませんが、\nこのFirmware "
    "Versionでは現在の設定値はそのままです。\nデバイスがリ"
    "セットされたときに元に戻ります。";

}  // namespace vexilo::test
