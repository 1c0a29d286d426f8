#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_fit.h"
#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/geometry.h"
#include "ui/message_box.h"
#include "ui/tab_ctrl.h"
#include "ui/updown.h"
#include "ui/window_timers.h"

namespace vexilo::ui {

class Dialog;

// Control notifications that message maps route.
enum class Notify { BnClicked, EnChange, EnKillFocus, UdnDeltaPos, TcnSelChange };

using LResult = std::intptr_t;

// Keys that dialogs handle themselves, with the values Windows gives them.
inline constexpr int kKeyCancel = 0x03;
inline constexpr int kKeyReturn = 0x0D;  // Enter on the main keyboard and on the keypad
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeyF5 = 0x74;

// Header of a notification that carries data (tab selection change).
struct NmHdr {
    int idFrom = 0;
    Notify code = Notify::TcnSelChange;
};

// One row of a message map: a notification from the controls firstId..lastId goes to a member
// function. Rows are made by the On... helpers below; calling a virtual member function
// through its pointer dispatches to the override, as the pages rely on.
struct MessageMapEntry {
    Notify code;
    int firstId;
    int lastId;
    std::function<void(Dialog&, void* data, LResult* result)> call;
};

// A class's table plus the table of its base class, searched after it. The first row that
// matches, most derived class first, handles the notification.
struct MessageMap {
    const MessageMap* base;
    std::vector<MessageMapEntry> entries;
};

template <class T>
MessageMapEntry OnBnClickedRange(int firstId, int lastId, void (T::*fn)()) {
    return {Notify::BnClicked, firstId, lastId,
            [fn](Dialog& d, void*, LResult*) { (static_cast<T&>(d).*fn)(); }};
}
template <class T>
MessageMapEntry OnBnClicked(int id, void (T::*fn)()) {
    return OnBnClickedRange(id, id, fn);
}
template <class T>
MessageMapEntry OnEnChange(int id, void (T::*fn)()) {
    return {Notify::EnChange, id, id,
            [fn](Dialog& d, void*, LResult*) { (static_cast<T&>(d).*fn)(); }};
}
template <class T>
MessageMapEntry OnEnKillFocus(int id, void (T::*fn)()) {
    return {Notify::EnKillFocus, id, id,
            [fn](Dialog& d, void*, LResult*) { (static_cast<T&>(d).*fn)(); }};
}
template <class T>
MessageMapEntry OnUdnDeltaPos(int id, void (T::*fn)(NmUpDown*, LResult*)) {
    return {Notify::UdnDeltaPos, id, id, [fn](Dialog& d, void* data, LResult* result) {
                (static_cast<T&>(d).*fn)(static_cast<NmUpDown*>(data), result);
            }};
}
template <class T>
MessageMapEntry OnTcnSelChange(int id, void (T::*fn)(NmHdr*, LResult*)) {
    return {Notify::TcnSelChange, id, id, [fn](Dialog& d, void* data, LResult* result) {
                (static_cast<T&>(d).*fn)(static_cast<NmHdr*>(data), result);
            }};
}

// Direction and target of one data exchange (UpdateData).
class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate)
        : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}
    Dialog& m_dialog;
    const bool m_bSaveAndValidate;  // true: controls -> members; false: members -> controls
};

void DDX_Text(DataExchange& dx, int id, std::string& value);
void DDX_Check(DataExchange& dx, int id, bool& value);
// Index of the checked button in the radio group that starts at `id`; -1 when none is checked.
// Loading an index outside the group clears every button of the group.
void DDX_Radio(DataExchange& dx, int id, int& value);
// Saving takes the selected item's text ("" when none); loading selects the first item that
// begins with the text, ignoring case, and selects nothing for an empty text.
void DDX_CBString(DataExchange& dx, int id, std::string& value);

// A dialog built from a template: controls by ID, data exchange, message maps, window timers,
// posted calls and the dialog keys. Used as a page in a tab control (Create) or a modal window
// (DoModal). The toolkit's window and controls stay behind it, in its backend.
class Dialog {
public:
    explicit Dialog(int templateId = 0);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Builds the window and its controls from template `templateId` in the page area of `parent`
    // (a window of its own when null), then runs OnInitDialog. A page whose template lacks the
    // visible style stays hidden. False when the template cannot be loaded.
    bool Create(int templateId, TabCtrl* parent);
    // Builds the window from the constructor's template unless it exists, shows it modal and
    // runs until EndDialog; returns EndDialog's code (-1 when the template is missing).
    int DoModal();
    // Makes the window fit `room` (its client area's room on the screen) by giving up part of
    // its tab control, whose page area then scrolls; the controls below and to the right keep
    // their distance from the window's edges. False when even that leaves it too large (or it
    // has no tab control): DoModal then lets the whole window scroll.
    bool ShrinkInto(Size room);
    // Ends DoModal with `result` (called from OnInitDialog, the window never appears); a dialog
    // that is not modal is only hidden.
    void EndDialog(int result);

    virtual bool OnInitDialog();                    // loads the controls: UpdateData(false)
    virtual void DoDataExchange(DataExchange& dx);  // nothing to exchange
    bool UpdateData(bool saveAndValidate);
    virtual void OnOK();      // IDOK (1): EndDialog(kIdOk)
    virtual void OnCancel();  // IDCANCEL (2), Escape, close request: EndDialog(kIdCancel)

    // The window itself.
    // Shows or hides the window (a page in its tab control, say).
    void ShowWindow(bool show);
    // True when the window and every window around it are shown.
    bool IsWindowVisible() const;
    // The title of a window of its own (UTF-8).
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    // The size of its client area in pixels.
    Size GetClientSize() const;

    // Controls by ID. A missing ID yields null / empty / false / -1 and changes nothing.
    bool HasDlgItem(int id) const;
    // The control's rectangle in the dialog's client area.
    Rect GetDlgItemRect(int id) const;
    // The tab control or up-down control of `id`.
    TabCtrl* GetTabCtrl(int id) const;
    UpDown* GetUpDown(int id) const;
    // Texts are UTF-8.
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void EnableDlgItem(int id, bool enable);
    bool IsDlgItemEnabled(int id) const;
    // The tip a control shows under the mouse, enabled or not (why it is greyed out, say); an
    // empty text removes it.
    void SetDlgItemTip(int id, const std::string& tip);
    std::string GetDlgItemTip(int id) const;
    void ShowDlgItem(int id, bool show);
    bool IsDlgItemShown(int id) const;  // the control's own visibility, not its parents'
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;
    int GetRadioIndex(int firstId) const;
    void SetRadioIndex(int firstId, int index);
    void ComboResetContent(int id);
    int ComboAddString(int id, const std::string& text);
    int ComboGetCount(int id) const;
    // The first item whose whole text is `text`, ignoring the case of A-Z; -1 when none is.
    int ComboFindStringExact(int id, const std::string& text) const;
    int ComboGetCurSel(int id) const;
    void ComboSetCurSel(int id, int index);
    std::string ComboGetLBText(int id, int index) const;
    // Selection in an edit: characters (UTF-16 code units) start..end (-1 as end means the end
    // of the text).
    void EditSetSel(int id, int start, int end);
    void EditScrollCaret(int id);
    void EditSelectAll(int id);
    // Moves the keyboard focus to a control.
    void GotoDlgCtrl(int id);
    // The ID of the template's default push button, 0 when there is none.
    int DefaultButtonId() const;

    // As a click of button `id` reports it: BN_CLICKED through the message map.
    void SendCommand(int id);
    // Routes a notification through the message maps; false when no row handles it.
    bool Dispatch(Notify code, int id, void* data = nullptr, LResult* result = nullptr);

    // Window timers: each tick calls OnTimer with the ID.
    int SetTimer(int id, int periodMs);
    bool KillTimer(int id);
    bool IsTimerRunning(int id) const;
    WindowTimers& Timers() { return m_timers; }
    virtual void OnTimer(int id);

    // Runs `fn` from the event loop later, unless the dialog is gone by then.
    void PostCall(std::function<void()> fn);

    // The window was shown or hidden.
    virtual void OnShowWindow(bool show);
    // A key (kKey...) that the focused control left unhandled. True consumes it. The default is
    // the dialog manager's: Enter presses the focused push button or else the default button,
    // Escape sends IDCANCEL.
    virtual bool PreTranslateKeyDown(int key);

    const DialogTemplate* Template() const { return m_template.get(); }
    const BaseUnits& Units() const { return m_units; }
    // Builds with this font and at least these units instead of the template's own: a window
    // gives its pages the layout it was built with. Takes effect at the next Create or DoModal.
    void SetLayout(const DialogLayout& layout) { m_layout = layout; }
    DialogLayout Layout() const { return {m_font, m_units}; }

    static const MessageMap& ThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return &ThisMessageMap(); }

    // The toolkit's window and controls (defined by the backend, opaque here).
    struct Impl;

private:
    struct ImplDeleter {
        void operator()(Impl* impl) const;
    };
    static Impl* NewImpl(Dialog& owner);

    bool Build(int templateId, TabCtrl* parent);
    // Positions in template order of the radio buttons of the group that starts at `firstId`.
    std::vector<std::size_t> RadioGroup(int firstId) const;
    // The template position of control `id`, or -1.
    long Position(int id) const;

    // Backend: the window and its controls by template position.
    void BuildWindow(TabCtrl* parent);
    int RunModal();
    void EndModalLoop(int result);
    bool PressFocusedPushButton();
    bool IsItemHidden(std::size_t pos) const;
    TabCtrl* ItemTab(std::size_t pos) const;
    Rect ItemRect(std::size_t pos) const;
    void SetItemRect(std::size_t pos, const Rect& r);
    void SetClientSize(Size size);
    bool IsItemChecked(std::size_t pos) const;
    void SetRadioChecks(const std::vector<std::size_t>& radios, int index);

    int m_templateId = 0;
    std::unique_ptr<DialogTemplate> m_template;
    BaseUnits m_units;
    FontSpec m_font;
    std::optional<DialogLayout> m_layout;
    std::map<int, std::size_t> m_index;  // control ID -> template position
    WindowTimers m_timers;
    int m_result = -1;
    bool m_inModalInit = false;  // DoModal runs OnInitDialog
    bool m_endedInInit = false;  // EndDialog ran inside it: no loop follows
    std::unique_ptr<Impl, ImplDeleter> m_impl;
};

// Binds a member to the kit's own control objects; the kit keeps them alive with the window.
void DDX_Control(DataExchange& dx, int id, TabCtrl*& control);
void DDX_Control(DataExchange& dx, int id, UpDown*& control);

// How many event loops run on this thread now, the modal loops inside each other included.
int EventLoopLevel();

}  // namespace vexilo::ui
