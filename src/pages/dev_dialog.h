#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/port.h"
#include "model/converter.h"
#include "protocol/dev_link.h"
#include "ui/dialog.h"
#include "ui/resource.h"

namespace vexilo {

class IMainWindow;

// Forced-close reasons of a page.
enum : int {
    kCloseNotConnected = 0,  // start-up: no reply to 5 connection checks
    kCloseNoResponse = 1,    // a transaction of the page failed
    kCloseNotMainFirmware = 2,
    kCloseBootUpdater = 3,
};

// The status timer: ID 1, every 2 seconds.
inline constexpr int kStatusTimerId = 1;
inline constexpr int kStatusTimerMs = 2000;

// Abstract base of the device pages: start-up checks, status display and polling, output
// settings, the common factory settings, the ID function group and the forced close. A model
// page supplies the template, SetComPort, CommitSettings and CloseOnError, and puts
// CommonMapEntries() at the head of its message map.
class CDevDialog : public ui::Dialog {
public:
    CDevDialog();
    ~CDevDialog() override;

    // Model operations.
    virtual void SetComPort(const Port& port) = 0;
    virtual void CommitSettings(bool bRevert) = 0;
    virtual void CloseOnError(int nReason) = 0;
    // Operations a model page may extend.
    virtual void UpdateStatus();
    virtual void OnOutputFormatClicked();
    virtual void OnSdiLevelClicked();
    virtual void OnScalerClicked();
    virtual void RestoreFactorySettings();
    virtual void OnAutoUpdateClicked();
    // Button 1018: asks first (the output settings change at once), then RestoreFactorySettings.
    void OnFactoryClicked();

    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    bool PreTranslateKeyDown(int key) override;
    void OnTimer(int id) override;
    void OnShowWindow(bool show) override;

    // Binds the page to its converter; leaves it without one when the port does not open, and
    // keeps the reason (OpenFailure).
    void AttachDevice(const Port& port);
    // Binds the page to a link opened elsewhere (an in-process converter).
    void UseDevice(std::unique_ptr<CDevLink> device);
    // Binds the page to a converter opened elsewhere, possibly started already (its start-up
    // reads ran while other converters were read).
    void UseConverter(std::unique_ptr<model::Converter> converter) {
        m_pDevice = std::move(converter);
    }
    // Hands the converter over (to be read elsewhere); the page is left without one.
    std::unique_ptr<model::Converter> ReleaseConverter() { return std::move(m_pDevice); }

    // What the main window needs of a page.
    bool HasConverter() const { return m_pDevice != nullptr && m_pDevice->IsOpen(); }
    // Why the last AttachDevice left the page without a converter.
    PortOpenFailure OpenFailure() const { return m_openFailure; }
    model::Converter* Converter() const { return m_pDevice.get(); }
    CDevLink* Device() const { return m_pDevice ? m_pDevice->Link() : nullptr; }
    // Makes `window` the page's main window, the page being its tab `tabIndex` at start-up.
    void JoinMainWindow(IMainWindow* window, int tabIndex);
    IMainWindow* MainWindow() const { return m_pMainDlg; }
    int TabIndex() const { return m_nTabIndex; }
    // Stops the status timer (the page is hidden or its converter gone).
    void StopPolling() { KillTimer(m_nTimerId); }
    // CommitSettings for the main window's save, save-and-exit and cancel. False when the page
    // refused its ID settings (it has told the operator why). A failure closes the page with a
    // message that says the settings were not saved (or not reverted).
    bool Commit(bool bRevert);

    void ReadStatus();
    void ShowStatus(const requests::StatusBlock& status);
    void SendOutputSettings();
    void ShowErrorAndClose(int nReason, int nTabIndex, const std::string& title);

    // ID function group.
    void FillDidList();
    bool LoadIdFunction();
    void UpdateIdControls();
    bool ApplyIdFunction();
    void OnIdEnableClicked();
    void OnSnChange();
    void OnSnKillFocus();
    void OnIdChange();
    void OnNameChange();
    // "KTQ-" for series 0, else "KTP-" (a series the converter did not give too).
    static std::string MakeModelName(std::optional<std::uint8_t> bySeries, Kind kind);
    static std::string FilterSnDigits(const std::string& text);
    static std::string PadSn(const std::string& text);
    static std::string FilterIdText(const std::string& text);
    static std::string LimitNameUtf8(const std::string& text);

    void OnFocusUpdateButton();

    // The rows every model page puts first in its map: 1011, 1000/1001, 1005/1006, 1002/1003
    // (unless `withScaler` is false), 1018 and 1020, each calling the virtual operation.
    static std::vector<ui::MessageMapEntry> CommonMapEntries(bool withScaler = true);
    static const ui::MessageMap& ThisMessageMap();
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

    // What the page shows, for the main window and for tests; the page alone changes it.
    const std::string& TabTitle() const { return m_szTabTitle; }
    bool OldFirmware() const { return m_bOldFirmware; }

    static constexpr int kTabTitleMax = 63;  // characters (UTF-16 code units)

protected:
    bool m_bIdSupported = true;
    bool m_bIdEnable = false;
    // Texts are UTF-8.
    std::string m_strDid = "0x5F";
    std::string m_strSn;
    std::string m_strModelName;
    std::string m_strId;
    std::string m_strName;
    bool m_bIdAutoFilled = false;
    bool m_bSettingText = false;
    std::string m_strFirmwareVer;
    std::string m_strBoardRev;
    std::string m_strFpgaVer;
    std::uint16_t m_wFpgaVersion = 0xF000;
    int m_nOutputFormat = 1;
    int m_nSdiLevel = 0;
    int m_nScaler = 0;
    bool m_bAutoUpdate = false;
    bool m_bOldFirmware = false;
    std::string m_szTabTitle;  // at most kTabTitleMax characters

    IMainWindow* m_pMainDlg = nullptr;
    int m_nTabIndex = -1;
    std::unique_ptr<model::Converter> m_pDevice;
    PortOpenFailure m_openFailure = PortOpenFailure::None;
    // Set when the last save stopped at the ID settings' checks (the operator was told why).
    bool m_bIdRejected = false;
    int m_nTimerId = 0;

    // The page's reason for a forced close after `fault`.
    static int CloseReason(model::Fault fault);
    // The common steps of CommitSettings: on save the ID settings first, then the converter's
    // general settings (mode 0 saves, 1 reverts). False when the page must not go on: the ID
    // settings were refused, there is no converter, or the command failed and closed the page.
    bool CommitGeneralSettings(bool bRevert);
    // For SetComPort: the title "<model> (<port label>)".
    void SetTabTitle(const std::string& model, const Port& port);
    // Asks the operator, in a Yes/No box under the tab title whose default is No, whether to
    // carry out what `text` describes. True for Yes.
    bool ConfirmChange(const std::string& text);
    // The lines of the factory-settings question that say what goes to the converter at once.
    virtual std::string FactorySettingsSent() const;
    // True until the page shows a tab: a forced close then says that the converter will not be
    // used, since no tab exists to close.
    bool Starting() const { return m_pMainDlg == nullptr || m_nTabIndex < 0; }

private:
    // The ID group as the page last showed the converter's record: loaded, or handed over by a
    // save. A save replaces in the converter only the fields that differ from it.
    struct IdShown {
        bool enable = false;
        std::string did, sn, id, name;
    };
    IdShown m_idShown;
    // The converter's record could not be read at start-up: the group shows defaults, not what
    // the converter holds, so nothing is filled in over ID and Name.
    bool m_bIdUnread = false;
    // What the running Commit does, for the message of a failure.
    enum class Committing { kNone, kSave, kRevert };
    Committing m_committing = Committing::kNone;

    // After a save that the converter stored: the group as shown is what it now holds.
    void IdStored();
    // The message of a forced close for `nReason`, as things stand on the page.
    std::string CloseMessage(int nReason) const;

    // Writes an ID edit without running its change handler's filters and auto-fill.
    void SetIdText(int id, const std::string& text);
    void SetIdTextKeepCaret(int id, const std::string& text);
};

}  // namespace vexilo
