#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/page_factory.h"
#include "app/parallel_startup.h"
#include "discovery/devices.h"
#include "pages/dev_dialog.h"
#include "pages/main_window.h"
#include "ui/dialog.h"
#include "ui/resource.h"
#include "ui/tab_ctrl.h"

namespace vexilo {

// The program's one window: a tab per usable converter and the buttons that save or revert
// every page. Construction finds the converters, makes and attaches the pages, and shows a
// message when none can be used (when none is found, the operator may choose to wait for them
// instead); OnInitDialog builds and names the tabs. The window ends when its last tab closes; it
// never ends the process.
class CVexiloDlg : public ui::Dialog, public IMainWindow {
public:
    // When no converter is usable, shows why; DoModal then returns at once (EndedAtStartup). When
    // none is found at all, the message asks whether to wait: then the window opens without tabs.
    CVexiloDlg(bool bShowSave, PageFactory factory);
    ~CVexiloDlg() override;
    CVexiloDlg(const CVexiloDlg&) = delete;
    CVexiloDlg& operator=(const CVexiloDlg&) = delete;

    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    bool PreTranslateKeyDown(int key) override;

    void OnBnClickedOk();
    void OnBnClickedSave();
    void OnBnClickedCancel();

    // IMainWindow
    ui::TabCtrl& TabControl() override { return *m_tab; }
    int PageCount() const override { return m_nPages; }
    CDevDialog* Page(int index) const override;
    int& OpenTabs() override { return m_nOpenTabs; }
    void OnTcnSelchangeTab(ui::NmHdr* pNMHDR, ui::LResult* pResult) override;
    // Shows tab `k` as a click on it does (the selection, then the notification). False when
    // the tab count dropped meanwhile: that converter did not answer and its tab is gone.
    bool ShowTabAsClicked(int k);
    // Ends the window's loop (or, during start-up, keeps it from running).
    void OnLastTabClosed() override;

    const Port& Device(int index) const { return m_devices.at(index); }
    // Every converter the start-up enumeration listed, with a page or not (held by another
    // program): the hotplug watcher's first listing, so that start-up lists only once.
    const std::vector<Port>& Listed() const { return m_listed; }

    // Hotplug, called from the window's own event loop only.
    // True once start-up is over and the window's own loop runs with no message box open and no
    // loop of its own inside (pages change only then).
    bool MayChangePages() const;
    // The converters whose pages still have them, in page order.
    std::vector<Port> OpenDevices() const;
    // Whether a new page would find a place (at most 16, closed pages make room).
    bool HasRoomForPage() const;
    enum class AddResult { Added, NotYet, NoRoom, NotOpened, StartupFailed };
    // A converter that appeared while the window runs: its page starts up, and only then gets a
    // tab at the end of the row. NotOpened when the port did not open (`failure` says why);
    // StartupFailed when the page's start-up failed (its message has been shown); NotYet
    // before start-up is over.
    AddResult AddPage(const Port& port, PortOpenFailure* failure = nullptr);
    // The open page of a converter on `port` (the first, in page order), or nullptr.
    CDevDialog* OpenPageOfPort(const Port& port) const;
    // A converter that disappeared: its page is force-closed with the no-response message,
    // whether its tab is shown or not. Nothing happens for a page without its converter.
    void ClosePage(CDevDialog* page);
    // Names the converters that have no page because another program holds their port; an empty
    // list hides the line.
    void ShowBusyPorts(const std::vector<Port>& ports);
    const std::vector<Port>& BusyPorts() const { return m_busyPorts; }
    // True while a start-up read the operator went on without still holds `port`: it is ours,
    // not another program's, and frees the port within one command.
    bool StartupHoldsPort(const Port& port) const;
    std::string BusyPortsText() const;
    // The note in the empty page area while the window waits for its first converter, or empty.
    std::string WaitingText() const;
    // F5: look for converters again at once.
    std::function<void()> m_onRescan;
    // The short note beside the buttons after "設定を保存"; empty when none is shown.
    std::string SaveNote() const;

    // Told before each page's start-up talks to its converter (`done` of `total` pages are
    // finished) and once more with done == total when every tab is ready.
    std::function<void(const std::string& portLabel, int done, int total)> m_onStartupProgress;
    // Called about every kWaitTickMs while the converters are read at once, with each one's
    // state; it keeps the screen painted and says whether to wait, go on or end the program.
    std::function<StartupChoice(const std::vector<StartupRow>&)> m_onStartupWait;
    // True when start-up ended the window before it appeared: no usable converter, every one
    // failed its start-up, or the operator closed the progress window.
    bool EndedAtStartup() const { return m_bEndedAtStartup; }
    // Runs once the window's start-up is over (pages created, first tab shown), from its loop.
    std::function<void(CVexiloDlg&)> m_onStarted;

    // Where the logo is drawn: 12 pixels from the left and bottom edges of the client area.
    static constexpr int kLogoMargin = 12;
    static constexpr int kLogoWidth = 154;  // the logo bitmap's width in pixels
    // How long the save note stays.
    static constexpr int kSaveNoteTimerId = 1;
    static constexpr int kSaveNoteMs = 4000;

    void OnTimer(int id) override;

    static const ui::MessageMap& ThisMessageMap();
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

    // What the window shows beyond its template: its icon, the logo in its bottom left corner
    // and the notes beside the buttons. Drawn by the toolkit (vexilo_dlg_qt.cpp).
    class Decor {
    public:
        virtual ~Decor() = default;
        virtual void SetIcon() = 0;
        // The logo, loaded once start-up has shown the tabs; its width is 0 until then.
        virtual void LoadLogo() = 0;
        virtual int LogoWidth() const = 0;
        // The note that names ports held by other programs: made hidden at start-up; an empty
        // text hides it, a rectangle places it.
        virtual void MakeBusyNote() = 0;
        virtual bool HasBusyNote() const = 0;
        virtual void SetBusyNote(const std::string& text, const ui::Rect* where) = 0;
        virtual std::string BusyNoteText() const = 0;  // empty while hidden
        // The note in the empty page area while the window waits for its first converter.
        virtual void ShowWaitNote(const std::string& text, ui::TabCtrl& tab) = 0;
        virtual void HideWaitNote() = 0;
        virtual std::string WaitNoteText() const = 0;  // empty while hidden
        // The short note beside the buttons after a save; an empty text clears it.
        virtual void SetSaveNote(const std::string& text, const ui::Rect& where) = 0;
        virtual std::string SaveNoteText() const = 0;
    };
    const Decor& Decoration() const { return *m_decor; }

private:
    static std::unique_ptr<Decor> MakeDecor(CVexiloDlg& dlg);

    // Picks each page's template, then one font and width for the window and its pages, chosen
    // so that every caption of every page fits and the window fits the screen.
    void FitToScreen();
    // Calls CommitSettings on every page that still has a converter; the outcome stops nothing.
    // Returns false when a page refused to save its ID settings (it has told the operator why).
    bool CommitAllPages(bool bRevert);
    // The tab caption of page `index`, asking its converter for the series.
    std::string TabCaptionOf(int index) const;
    // Centres a page in the tab control's area below the tab row.
    void PlacePage(CDevDialog& page) const;
    // Forgets the pages whose converter is gone (they have no tab), keeping the others' order.
    void ForgetClosedPages();
    // Says beside the buttons that every page was saved, for a few seconds; `saved` false
    // removes a note still shown.
    void ShowSaveNote(bool saved);
    // Reads the first `count` pages' converters at once and hands each page its link back, ready
    // to replay; a page whose converter was not ready when the operator went on is left without
    // one. False when the operator ended the program instead.
    bool ReadConvertersAtOnce(int count);

    bool m_bShowSave;
    PageFactory m_factory;
    std::unique_ptr<Decor> m_decor;
    ui::TabCtrl* m_tab = nullptr;
    std::array<std::unique_ptr<CDevDialog>, MAX_DEVICES> m_pPages;
    std::array<Port, MAX_DEVICES> m_devices{};
    std::vector<Port> m_listed;
    std::array<int, MAX_DEVICES> m_templateIds{};  // dialog template of each page
    int m_nPages = 0;
    int m_nOpenTabs = 0;
    std::vector<Port> m_busyPorts;  // named in the window: held by another program, no page
    bool m_waiting = false;         // started without a converter, to wait for them
    int m_loopLevel = -1;           // the level of the window's own loop, once start-up is over
    bool m_bEndedAtStartup = false;
    // Start-up reads still running for converters the operator went on without.
    std::unique_ptr<ParallelStartup> m_startup;
    std::vector<int> m_startupJobs;  // each start-up page's job in m_startup, or -1
};

// A converter whose port did not open at start-up, and why.
struct PortProblem {
    Port port;
    PortOpenFailure failure = PortOpenFailure::Other;
};

// The start-up message when no converter could be used. Ports held by another program (or
// failing for no known reason) keep the one long-standing text; a missing permission or a
// vanished converter is named per port, with what to do about the permission.
std::string NoUsableDeviceText(const std::vector<PortProblem>& problems);

// Where to look when no converter is found (cable, power, the system's own listing, the panel's
// settings). One text per platform.
std::string NoDeviceHint();

}  // namespace vexilo
