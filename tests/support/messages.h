#pragma once

#include <QList>
#include <QString>

// The panel's own texts as a user meets them (message boxes, notes), in one place for every test.
namespace vexilo::test {

inline const QString kNoResponseText = QString::fromUtf16(
    u"デバイスが反応しません\n接続を確認してください\n該当タブを強制クローズします");
inline const QString kNotConnectedText = QString::fromUtf16(u"デバイスが接続されていません");
inline const QString kNotMainFirmwareText = QString::fromUtf16(
    u"メインファームウェアで起動していません\nファームウェアの更新を行ってください\n強制終了しま"
    u"す");
inline const QString kBootUpdaterText = QString::fromUtf16(
    u"ブートファームウェア更新用ファームウェアで起動しています\nファームウェアの更新を行ってくだ"
    u"さい\n該当タブを強制クローズします");

// A converter that fails before it has a tab is left out, and the box says why.
inline QString StartupText(const char16_t* cause) {
    return QString::fromUtf16(cause) + QString::fromUtf16(u"\nこのデバイスは使用しません");
}
inline const QString kStartupNotConnectedText = StartupText(u"デバイスが接続されていません");
inline const QString kStartupNoResponseText =
    StartupText(u"デバイスが反応しません\n接続を確認してください");
inline const QString kStartupDamagedText =
    StartupText(u"デバイスからの応答が壊れています\n接続を確認してください");
inline const QString kStartupNotMainFirmwareText =
    StartupText(u"メインファームウェアで起動していません\nファームウェアの更新を行ってください");
inline const QString kStartupBootUpdaterText = StartupText(
    u"ブートファームウェア更新用ファームウェアで起動しています\nファームウェアの更新を行ってくだ"
    u"さい");
inline const QString kNotSavedText = QString::fromUtf16(
    u"デバイスが反応しません\n接続を確認してください\nこのデバイスの設定は保存されていません\n"
    u"該当タブを強制クローズします");
inline const QString kNotRevertedText = QString::fromUtf16(
    u"デバイスが反応しません\n接続を確認してください\nこのデバイスの設定は元に戻されていません"
    u"\n該当タブを強制クローズします");

// The questions before a factory button changes what the converter outputs.
inline const QString kFactoryOutputLine = QString::fromUtf16(
    u"・出力：1920x1080 59.94p、3G-SDI Level-A、常にスケーリング\n"
    u"　すぐにデバイスへ送信します");
inline const QString kFactoryCableLine =
    QString::fromUtf16(u"・+5V Cable Detectをチェックする\n　すぐにデバイスへ送信します");
inline const QString kFactoryIdLine = QString::fromUtf16(
    u"・ID機能設定：無効、DID 0x5F、SN・ID・Nameは空\n　次の設定保存でデバイスに書き込まれます");
inline QString FactoryQuestion(const QList<QString>& lines) {
    return QString::fromUtf16(u"出荷時設定に戻します。\n") + lines.join(u'\n') +
           QString::fromUtf16(u"\nよろしいですか？");
}
inline const QString kAdjustFactoryQuestion = QString::fromUtf16(
    u"現在の入力フォーマットの調整値をすべて出荷時設定に戻し、\nすぐにデバイスへ送信します。\n"
    u"よろしいですか？");

inline const QString kIdNoteSupportedText =
    QString::fromUtf16(u"※ID機能設定は保存後に更新されます");
inline const QString kIdNoteUnsupportedText = QString::fromUtf16(
    u"※ID機能を使用するにはFirmwareをVer.3.0以降へ、FPGAをVer.0x0AA以降へ更新してください");
inline const QString kIdNoteUnreadText = QString::fromUtf16(
    u"※ID機能設定を読み出せませんでした。変更した項目のみ保存時に書き込まれます");
inline const QString kIdBadDidText =
    QString::fromUtf16(u"ID機能 DIDの値が不正です（0x50～0x5Fのみ選択可能）");
inline const QString kIdConvertFailedText = QString::fromUtf16(u"ID機能文字列の変換に失敗しました");
inline const QString kIdCheckFailedText =
    QString::fromUtf16(u"ID機能設定の妥当性チェックに失敗しました（DID範囲/ASCIIなど）");

inline const QString kFormatChangedText = QString::fromUtf16(
    u"入力信号フォーマットが変更されています。\nフォーマットに対応する"
    u"調整値をロードします。\n現在の調整値は破棄されます。");
inline const QString kFormatChangedCommitText = QString::fromUtf16(
    u"入力信号フォーマットが変更されています。\n現在の調整値は破棄し終了します。");
inline const QString kOldDviFirmwareText = QString::fromUtf16(
    u"デバイスに設定値は保存されませんが、\nこのFirmware "
    u"Versionでは現在の設定値はそのままです。\nデバイスがリ"
    u"セットされたときに元に戻ります。");

}  // namespace vexilo::test
