// Dialogs on Qt Widgets: the window, the controls of the template, their notifications, the
// modal loop and the dialog keys.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QThread>
#include <algorithm>
#include <utility>

#include "ui/dialog.h"
#include "ui/qt_backend.h"

namespace vexilo::ui {

namespace {

// Check box and radio button without the automatic styles: a click reports BN_CLICKED but does
// not change the check mark.
class PlainCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

class PlainRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override {}
};

// A one-line static right after an edit, to its right on the same line: the edit's unit ("℃",
// "V") or the label of the next field.
bool IsUnitLabel(const ControlTemplate& c, const ControlTemplate& edit) {
    return c.kind == ControlKind::Static && edit.kind == ControlKind::Edit &&
           c.x >= edit.x + edit.cx - 2 && c.y < edit.y + edit.cy && edit.y < c.y + c.cy &&
           c.cy <= edit.cy;
}

Qt::Alignment TextAlignment(const ControlTemplate& c) {
    if (c.Has(kCenter)) {
        return Qt::AlignHCenter;
    }
    if (c.Has(kRight)) {
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

// The kKey... code of a Qt key; 0 for the keys that no dialog handles itself.
int KeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Cancel:
            return kKeyCancel;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyReturn;
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_F5:
            return kKeyF5;
        default:
            return 0;
    }
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

// The dialog's window: hands Qt's events to its dialog.
class DialogWindow : public QWidget {
public:
    explicit DialogWindow(Dialog::Impl& impl) : m_impl(&impl) {}
    // The dialog is going: nothing reaches it any more.
    void Detach() { m_impl = nullptr; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Dialog::Impl* m_impl;
};

}  // namespace

struct Dialog::Impl {
    explicit Impl(Dialog& d) : owner(d), window(new DialogWindow(*this)) {}
    ~Impl() {
        ReleaseFrame();
        if (window) {
            window->Detach();
            delete window.data();
        }
    }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    static Impl& Of(const Dialog& d) { return *d.m_impl; }

    // The widget at template position `pos`; null once the window is gone.
    QWidget* At(std::size_t pos) const {
        return window && pos < controls.size() ? controls[pos] : nullptr;
    }
    QWidget* Item(int id) const {
        const long pos = owner.Position(id);
        return pos < 0 ? nullptr : At(static_cast<std::size_t>(pos));
    }
    template <class W>
    W* ItemAs(int id) const {
        return dynamic_cast<W*>(Item(id));
    }

    QWidget* MakeControl(const ControlTemplate& c, QWidget* previous);
    void Place(QWidget* w, const ControlTemplate& c) const;
    void Connect(std::size_t pos);
    QButtonGroup* ButtonGroupOf(QAbstractButton* button) const;
    void ReleaseFrame();

    void OnShow(bool show) { owner.OnShowWindow(show); }
    bool OnKey(int qtKey) { return owner.PreTranslateKeyDown(KeyCode(qtKey)); }
    void OnClose() {
        // A close request is Cancel; whether the window really closes is OnCancel's business.
        owner.SendCommand(kIdCancel);
    }
    // An edit lost the focus: EN_KILLFOCUS.
    void OnFocusOut(QObject* watched) {
        const auto& tpl = owner.m_template->controls;
        for (std::size_t pos = 0; pos < controls.size() && pos < tpl.size(); ++pos) {
            if (controls[pos] == watched && tpl[pos].id != kNoId) {
                owner.Dispatch(Notify::EnKillFocus, tpl[pos].id);
                break;
            }
        }
    }
    bool IsFrame(QObject* watched) const { return frame && watched == frame.get(); }

    Dialog& owner;
    QPointer<DialogWindow> window;   // the dialog's, unless a parent window deleted it first
    std::vector<QWidget*> controls;  // template order
    std::vector<QButtonGroup*> buttonGroups;
    QEventLoop* loop = nullptr;
    std::unique_ptr<QScrollArea> frame;  // around a modal dialog too large for the screen
};

namespace {

void DialogWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_impl != nullptr && !event->spontaneous()) {
        m_impl->OnShow(true);
    }
}

void DialogWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_impl != nullptr && !event->spontaneous()) {
        m_impl->OnShow(false);
    }
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    if (m_impl != nullptr && m_impl->OnKey(event->key())) {
        event->accept();
    } else {
        event->ignore();
    }
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_impl != nullptr) {
        m_impl->OnClose();
    }
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (m_impl == nullptr) {
        return QWidget::eventFilter(watched, event);
    }
    if (m_impl->IsFrame(watched) && event->type() == QEvent::Close) {
        closeEvent(static_cast<QCloseEvent*>(event));  // the frame's close box is ours
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        const auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() != Qt::PopupFocusReason) {
            m_impl->OnFocusOut(watched);
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace

// ---- construction ----------------------------------------------------------------------------

Dialog::Impl* Dialog::NewImpl(Dialog& owner) {
    return new Impl(owner);
}

void Dialog::ImplDeleter::operator()(Impl* impl) const {
    delete impl;
}

void Dialog::BuildWindow(TabCtrl* parent) {
    Impl& impl = *m_impl;
    QWidget* w = impl.window;
    if (w == nullptr) {
        return;
    }
    // A tab control's pages live in its scrolling page area.
    auto* tab = parent != nullptr ? qt::Widget(*parent) : nullptr;
    if (tab != nullptr) {
        w->setParent(tab->PageArea());
        w->hide();  // shown by the owner, or by Create when the template says so
    } else {
        Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
        if ((m_template->style & kDlgCaption) != 0) {
            flags |= Qt::WindowTitleHint;
        }
        w->setParent(nullptr, flags);
        w->setWindowTitle(ToQString(m_template->caption));
    }
    w->setFont(qt::ToQFont(m_font));
    const Rect size = MapDialogRect(m_units, 0, 0, m_template->cx, m_template->cy);
    w->setFixedSize(size.width, size.height);

    impl.controls.clear();
    QWidget* previous = nullptr;
    const ControlTemplate* previousTpl = nullptr;
    QButtonGroup* group = nullptr;
    for (const ControlTemplate& c : m_template->controls) {
        QWidget* control = impl.MakeControl(c, previous);
        impl.Place(control, c);
        if (previousTpl != nullptr && IsUnitLabel(c, *previousTpl)) {
            // Such a label shares the edit's line: its text starts where the edit centres its
            // own line of text, so both sit on one baseline.
            auto* label = static_cast<QLabel*>(control);
            const QRect edit = previous->geometry();
            const int line = label->fontMetrics().height();
            label->setGeometry(label->x(), edit.y() + (edit.height() - line + 1) / 2,
                               label->width(), line);
            label->setAlignment(TextAlignment(c) | Qt::AlignTop);
        }
        previousTpl = &c;
        if (c.Has(kHidden)) {
            control->setVisible(false);
        }
        if (c.Has(kDisabled)) {
            control->setEnabled(false);
        }
        // Auto radio buttons between two group starts exclude each other.
        if (c.Has(kGroupStart)) {
            group = nullptr;
        }
        if (c.kind == ControlKind::Radio && c.Has(kAuto)) {
            auto* radio = static_cast<QAbstractButton*>(control);
            radio->setAutoExclusive(false);
            if (group == nullptr) {
                group = new QButtonGroup(w);
                group->setExclusive(true);
                impl.buttonGroups.push_back(group);
            }
            group->addButton(radio);
        }
        impl.controls.push_back(control);
        previous = control;
    }
    // Notifications start only now: building the controls reports nothing.
    for (std::size_t pos = 0; pos < impl.controls.size(); ++pos) {
        impl.Connect(pos);
    }
}

QWidget* Dialog::Impl::MakeControl(const ControlTemplate& c, QWidget* previous) {
    QWidget* parent = window;
    const QString caption = ToQString(c.caption);
    QWidget* w = nullptr;
    switch (c.kind) {
        case ControlKind::Group: {
            auto* box = new QGroupBox(caption, parent);
            box->setFocusPolicy(Qt::NoFocus);
            // As Windows draws it: the frame's top line runs through the middle of the title.
            box->setStyleSheet(
                QStringLiteral(
                    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; "
                    "margin-top: %1px; }"
                    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; "
                    "left: %2px; top: 0px; padding: 0px %3px; }")
                    .arg(parent->fontMetrics().height() / 2)
                    .arg(kGroupTitleLeft)
                    .arg(kGroupTitlePadding));
            w = box;
            break;
        }
        case ControlKind::Static: {
            auto* label = new QLabel(caption, parent);
            label->setTextFormat(Qt::PlainText);
            // Statics wrap, as on Windows, where they have room for a second line; a one-line
            // static clips instead, so that a font wider than the template's own does not spill
            // a half line over the control below.
            const int height = MapDialogRect(owner.m_units, 0, 0, 0, c.cy).height;
            label->setWordWrap(height >= 2 * parent->fontMetrics().height());
            label->setAlignment(TextAlignment(c) | Qt::AlignTop);
            w = label;
            break;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(caption, parent);
            edit->setAlignment(TextAlignment(c) | Qt::AlignVCenter);
            if (c.Has(kReadOnly)) {
                edit->setReadOnly(true);
                QPalette pal = edit->palette();
                pal.setColor(QPalette::Base, pal.color(QPalette::Window));
                edit->setPalette(pal);
            }
            edit->installEventFilter(window);  // EN_KILLFOCUS
            w = edit;
            break;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(caption, parent);
            button->setAutoDefault(false);
            button->setDefault(c.Has(kDefault));
            w = button;
            break;
        }
        case ControlKind::Check:
            w = c.Has(kAuto) ? new QCheckBox(caption, parent) : new PlainCheckBox(caption, parent);
            break;
        case ControlKind::Radio:
            w = c.Has(kAuto) ? new QRadioButton(caption, parent)
                             : new PlainRadioButton(caption, parent);
            static_cast<QAbstractButton*>(w)->setAutoExclusive(false);
            break;
        case ControlKind::Combo: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(false);
            w = combo;
            break;
        }
        case ControlKind::UpDown: {
            auto* spin = new qt::UpDownWidget(parent);
            spin->SetControlId(c.id);
            auto* buddy = dynamic_cast<QLineEdit*>(previous);
            if (c.Has(kAutoBuddy) && buddy != nullptr) {
                spin->SetBuddy(buddy, c.Has(kSetBuddyInt), c.Has(kArrowKeys));
            }
            w = spin;
            break;
        }
        case ControlKind::Tab:
            w = new qt::TabCtrlWidget(parent);
            break;
    }
    if (c.kind != ControlKind::Group && c.kind != ControlKind::Static &&
        c.kind != ControlKind::UpDown) {
        w->setFocusPolicy(c.Has(kTabStop) && !c.Has(kNoTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
    }
    return w;
}

void Dialog::Impl::Place(QWidget* w, const ControlTemplate& c) const {
    const QRect r = qt::ToQRect(MapDialogRect(owner.m_units, c.x, c.y, c.cx, c.cy));
    if (auto* combo = dynamic_cast<QComboBox*>(w)) {
        // The template height is that of the dropped list; the closed box is one line.
        const int closed = std::min(r.height(), combo->sizeHint().height());
        combo->setGeometry(r.x(), r.y(), r.width(), closed);
        const int line = std::max(1, combo->fontMetrics().height());
        combo->setMaxVisibleItems(std::max(1, (r.height() - closed) / line));
        return;
    }
    w->setGeometry(r);
}

void Dialog::Impl::Connect(std::size_t pos) {
    const int id = owner.m_template->controls[pos].id;
    if (id == kNoId) {
        return;
    }
    QWidget* w = controls[pos];
    Dialog* d = &owner;
    if (auto* button = dynamic_cast<QAbstractButton*>(w)) {
        QObject::connect(button, &QAbstractButton::clicked, window,
                         [d, id] { d->Dispatch(Notify::BnClicked, id); });
    } else if (auto* edit = dynamic_cast<QLineEdit*>(w)) {
        QObject::connect(edit, &QLineEdit::textChanged, window,
                         [d, id] { d->Dispatch(Notify::EnChange, id); });
    } else if (auto* spin = dynamic_cast<UpDown*>(w)) {
        spin->SetDeltaPosHandler([d, id](NmUpDown& nm) -> int {
            LResult result = 0;
            d->Dispatch(Notify::UdnDeltaPos, id, &nm, &result);
            return static_cast<int>(result);
        });
    } else if (auto* tab = dynamic_cast<TabCtrl*>(w)) {
        tab->SetSelChangeHandler([d, id] {
            NmHdr hdr{id, Notify::TcnSelChange};
            LResult result = 0;
            d->Dispatch(Notify::TcnSelChange, id, &hdr, &result);
        });
    }
}

// ---- the modal loop --------------------------------------------------------------------------

int Dialog::RunModal() {
    Impl& impl = *m_impl;
    QWidget* window = impl.window;
    if (window == nullptr) {
        return -1;
    }
    const Size room = AvailableClientArea();
    if (!ShrinkInto(room)) {
        // Larger than the screen even at its smallest font: the window scrolls its contents,
        // and the buttons stay reachable by scrolling and by their keys.
        impl.frame = std::make_unique<QScrollArea>();
        impl.frame->setWindowFlags(window->windowFlags());
        impl.frame->setWindowTitle(window->windowTitle());
        impl.frame->setWindowIcon(window->windowIcon());
        impl.frame->setWidget(window);
        const int frame = 2 * impl.frame->frameWidth();
        impl.frame->resize((window->size() + QSize(frame, frame)).boundedTo(qt::ToQSize(room)));
        impl.frame->installEventFilter(impl.window);
        window = impl.frame.get();
    }
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    QEventLoop loop;
    impl.loop = &loop;
    m_result = loop.exec();
    impl.loop = nullptr;
    window->hide();
    impl.ReleaseFrame();
    return m_result;
}

void Dialog::Impl::ReleaseFrame() {
    if (frame) {
        frame->removeEventFilter(window);
        frame->takeWidget();  // the dialog's window is not the frame's to delete
        frame.reset();
    }
}

void Dialog::EndModalLoop(int result) {
    Impl& impl = *m_impl;
    if (impl.loop != nullptr) {
        impl.loop->exit(result);
    }
    if (impl.frame) {
        impl.frame->hide();
    }
}

bool Dialog::PressFocusedPushButton() {
    auto* focused = dynamic_cast<QPushButton*>(QApplication::focusWidget());
    if (focused == nullptr || focused->parentWidget() != m_impl->window) {
        return false;
    }
    if (focused->isEnabled()) {
        focused->click();
    }
    return true;
}

void Dialog::PostCall(std::function<void()> fn) {
    if (m_impl->window) {
        QMetaObject::invokeMethod(m_impl->window, std::move(fn), Qt::QueuedConnection);
    }
}

int EventLoopLevel() {
    return QThread::currentThread()->loopLevel();
}

// ---- the window ------------------------------------------------------------------------------

void Dialog::ShowWindow(bool show) {
    if (m_impl->window) {
        m_impl->window->setVisible(show);
    }
}

bool Dialog::IsWindowVisible() const {
    return m_impl->window && m_impl->window->isVisible();
}

void Dialog::SetWindowText(const std::string& text) {
    if (m_impl->window) {
        m_impl->window->setWindowTitle(ToQString(text));
    }
}

std::string Dialog::GetWindowText() const {
    return m_impl->window ? m_impl->window->windowTitle().toStdString() : std::string();
}

Size Dialog::GetClientSize() const {
    return m_impl->window ? qt::FromQSize(m_impl->window->size()) : Size{};
}

void Dialog::SetClientSize(Size size) {
    if (m_impl->window) {
        m_impl->window->setFixedSize(size.width, size.height);
    }
}

bool Dialog::IsItemHidden(std::size_t pos) const {
    QWidget* w = m_impl->At(pos);
    return w == nullptr || w->isHidden();
}

TabCtrl* Dialog::ItemTab(std::size_t pos) const {
    return dynamic_cast<TabCtrl*>(m_impl->At(pos));
}

Rect Dialog::ItemRect(std::size_t pos) const {
    QWidget* w = m_impl->At(pos);
    return w != nullptr ? qt::FromQRect(w->geometry()) : Rect{};
}

void Dialog::SetItemRect(std::size_t pos, const Rect& r) {
    if (QWidget* w = m_impl->At(pos)) {
        w->setGeometry(qt::ToQRect(r));
    }
}

// ---- controls by ID --------------------------------------------------------------------------

TabCtrl* Dialog::GetTabCtrl(int id) const {
    return m_impl->ItemAs<TabCtrl>(id);
}

UpDown* Dialog::GetUpDown(int id) const {
    return m_impl->ItemAs<UpDown>(id);
}

void Dialog::SetDlgItemText(int id, const std::string& utf8) {
    QWidget* w = m_impl->Item(id);
    const QString text = ToQString(utf8);
    if (auto* label = dynamic_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* edit = dynamic_cast<QLineEdit*>(w)) {
        // A new text shows from its start, and the caret is there before the change is
        // reported, so a handler that moves the caret has the last word.
        const bool changed = edit->text() != text;
        {
            const QSignalBlocker quiet(edit);
            edit->setText(text);
            edit->setCursorPosition(0);
        }
        if (changed) {
            Dispatch(Notify::EnChange, id);
        }
    } else if (auto* button = dynamic_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* box = dynamic_cast<QGroupBox*>(w)) {
        box->setTitle(text);
    } else if (auto* combo = dynamic_cast<QComboBox*>(w)) {
        const int i = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i >= 0) {
            combo->setCurrentIndex(i);
        }
    } else if (w != nullptr) {
        w->setWindowTitle(text);
    }
}

std::string Dialog::GetDlgItemText(int id) const {
    QWidget* w = m_impl->Item(id);
    QString text;
    if (auto* label = dynamic_cast<QLabel*>(w)) {
        text = label->text();
    } else if (auto* edit = dynamic_cast<QLineEdit*>(w)) {
        text = edit->text();
    } else if (auto* button = dynamic_cast<QAbstractButton*>(w)) {
        text = button->text();
    } else if (auto* box = dynamic_cast<QGroupBox*>(w)) {
        text = box->title();
    } else if (auto* combo = dynamic_cast<QComboBox*>(w)) {
        text = combo->currentIndex() < 0 ? QString() : combo->currentText();
    } else if (w != nullptr) {
        text = w->windowTitle();
    }
    return text.toStdString();
}

void Dialog::EnableDlgItem(int id, bool enable) {
    if (QWidget* w = m_impl->Item(id)) {
        w->setEnabled(enable);
    }
}

bool Dialog::IsDlgItemEnabled(int id) const {
    QWidget* w = m_impl->Item(id);
    return w != nullptr && w->isEnabled();
}

void Dialog::SetDlgItemTip(int id, const std::string& tip) {
    if (QWidget* w = m_impl->Item(id)) {
        w->setToolTip(ToQString(tip));
    }
}

std::string Dialog::GetDlgItemTip(int id) const {
    QWidget* w = m_impl->Item(id);
    return w != nullptr ? w->toolTip().toStdString() : std::string();
}

void Dialog::ShowDlgItem(int id, bool show) {
    if (QWidget* w = m_impl->Item(id)) {
        w->setVisible(show);
    }
}

bool Dialog::IsDlgItemShown(int id) const {
    QWidget* w = m_impl->Item(id);
    return w != nullptr && !w->isHidden();
}

QButtonGroup* Dialog::Impl::ButtonGroupOf(QAbstractButton* button) const {
    for (QButtonGroup* g : buttonGroups) {
        if (g->buttons().contains(button)) {
            return g;
        }
    }
    return nullptr;
}

void Dialog::CheckDlgButton(int id, bool checked) {
    auto* button = m_impl->ItemAs<QAbstractButton>(id);
    if (button == nullptr) {
        return;
    }
    QButtonGroup* group = m_impl->ButtonGroupOf(button);
    if (group != nullptr && !checked) {
        group->setExclusive(false);  // an exclusive group would keep its last button checked
    }
    button->setCheckable(true);
    button->setChecked(checked);
    if (group != nullptr) {
        group->setExclusive(true);
    }
}

bool Dialog::IsDlgButtonChecked(int id) const {
    auto* button = m_impl->ItemAs<QAbstractButton>(id);
    return button != nullptr && button->isChecked();
}

bool Dialog::IsItemChecked(std::size_t pos) const {
    auto* button = dynamic_cast<QAbstractButton*>(m_impl->At(pos));
    return button != nullptr && button->isChecked();
}

void Dialog::SetRadioChecks(const std::vector<std::size_t>& radios, int index) {
    std::vector<QAbstractButton*> buttons;
    for (std::size_t pos : radios) {
        if (auto* b = dynamic_cast<QAbstractButton*>(m_impl->At(pos))) {
            buttons.push_back(b);
        }
    }
    std::vector<QButtonGroup*> groups;
    for (QAbstractButton* r : buttons) {
        if (QButtonGroup* g = m_impl->ButtonGroupOf(r)) {
            g->setExclusive(false);
            groups.push_back(g);
        }
    }
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        buttons[i]->setChecked(static_cast<int>(i) == index);
    }
    for (QButtonGroup* g : groups) {
        g->setExclusive(true);
    }
}

void Dialog::ComboResetContent(int id) {
    if (auto* combo = m_impl->ItemAs<QComboBox>(id)) {
        combo->clear();
    }
}

int Dialog::ComboAddString(int id, const std::string& text) {
    auto* combo = m_impl->ItemAs<QComboBox>(id);
    if (combo == nullptr) {
        return -1;
    }
    combo->addItem(ToQString(text));
    return combo->count() - 1;
}

int Dialog::ComboGetCount(int id) const {
    auto* combo = m_impl->ItemAs<QComboBox>(id);
    return combo == nullptr ? -1 : combo->count();
}

int Dialog::ComboGetCurSel(int id) const {
    auto* combo = m_impl->ItemAs<QComboBox>(id);
    return combo == nullptr ? -1 : combo->currentIndex();
}

void Dialog::ComboSetCurSel(int id, int index) {
    if (auto* combo = m_impl->ItemAs<QComboBox>(id)) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
}

std::string Dialog::ComboGetLBText(int id, int index) const {
    auto* combo = m_impl->ItemAs<QComboBox>(id);
    return combo == nullptr ? std::string() : combo->itemText(index).toStdString();
}

void Dialog::EditSetSel(int id, int start, int end) {
    auto* edit = m_impl->ItemAs<QLineEdit>(id);
    if (edit == nullptr) {
        return;
    }
    const int length = static_cast<int>(edit->text().size());
    const int to = end < 0 ? length : std::min(end, length);
    const int from = std::clamp(start, 0, length);
    if (from == to) {
        edit->setCursorPosition(from);
    } else {
        edit->setSelection(from, to - from);
    }
}

void Dialog::EditScrollCaret(int id) {
    // A QLineEdit keeps its caret in view by itself; repaint so the scroll shows at once.
    if (auto* edit = m_impl->ItemAs<QLineEdit>(id)) {
        edit->update();
    }
}

void Dialog::EditSelectAll(int id) {
    if (auto* edit = m_impl->ItemAs<QLineEdit>(id)) {
        edit->selectAll();
    }
}

void Dialog::GotoDlgCtrl(int id) {
    if (QWidget* w = m_impl->Item(id)) {
        w->setFocus(Qt::OtherFocusReason);
    }
}

// ---- the backend's own access ----------------------------------------------------------------

QWidget* qt::Window(const Dialog& dialog) {
    return Dialog::Impl::Of(dialog).window;
}

QWidget* qt::Item(const Dialog& dialog, int id) {
    return Dialog::Impl::Of(dialog).Item(id);
}

std::vector<std::pair<const ControlTemplate*, QWidget*>> qt::Controls(const Dialog& dialog) {
    std::vector<std::pair<const ControlTemplate*, QWidget*>> out;
    const Dialog::Impl& impl = Dialog::Impl::Of(dialog);
    const DialogTemplate* tpl = dialog.Template();
    if (tpl == nullptr || !impl.window) {
        return out;
    }
    for (std::size_t pos = 0; pos < impl.controls.size() && pos < tpl->controls.size(); ++pos) {
        out.emplace_back(&tpl->controls[pos], impl.controls[pos]);
    }
    return out;
}

}  // namespace vexilo::ui
