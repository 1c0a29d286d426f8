#pragma once

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

inline const QString kIdNoteSupportedText =
    QString::fromUtf16(u"※ID機能設定は保存後に更新されます");
inline const QString kIdNoteUnsupportedText = QString::fromUtf16(
    u"※ID機能を使用するにはFirmwareをVer.3.0以降へ、FPGAをVer.0x0AA以降へ更新してください");
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
