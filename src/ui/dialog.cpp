#include "ui/dialog.h"

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
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QtGlobal>
#include <algorithm>
#include <utility>

#include "ui/tab_ctrl.h"
#include "ui/text.h"

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

Qt::Alignment TextAlignment(const ControlTemplate& c) {
    if (c.Has(kCenter)) {
        return Qt::AlignHCenter;
    }
    if (c.Has(kRight)) {
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

}  // namespace

// ---- data exchange ---------------------------------------------------------------------------

void DDX_Text(DataExchange& dx, int id, std::string& value) {
    if (dx.m_bSaveAndValidate) {
        value = dx.m_dialog.GetDlgItemText(id);
    } else {
        dx.m_dialog.SetDlgItemText(id, value);
    }
}

void DDX_Check(DataExchange& dx, int id, bool& value) {
    if (dx.m_bSaveAndValidate) {
        value = dx.m_dialog.IsDlgButtonChecked(id);
    } else {
        dx.m_dialog.CheckDlgButton(id, value);
    }
}

void DDX_Radio(DataExchange& dx, int id, int& value) {
    if (dx.m_bSaveAndValidate) {
        value = dx.m_dialog.GetRadioIndex(id);
    } else {
        dx.m_dialog.SetRadioIndex(id, value);
    }
}

void DDX_CBString(DataExchange& dx, int id, std::string& value) {
    Dialog& d = dx.m_dialog;
    const int count = d.ComboGetCount(id);
    if (count < 0) {
        return;
    }
    if (dx.m_bSaveAndValidate) {
        const int selected = d.ComboGetCurSel(id);
        value = selected < 0 ? std::string() : d.ComboGetLBText(id, selected);
        return;
    }
    if (value.empty()) {
        d.ComboSetCurSel(id, -1);
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (StartsWithIgnoringAsciiCase(d.ComboGetLBText(id, i), value)) {
            d.ComboSetCurSel(id, i);
            return;
        }
    }
    // A drop-down list cannot show a text it does not hold: the selection stays.
}

// ---- construction ----------------------------------------------------------------------------

Dialog::Dialog(int templateId)
    : m_templateId(templateId), m_timers([this](int id) { OnTimer(id); }) {}

Dialog::~Dialog() {
    m_timers.KillAll();
    ReleaseFrame();
}

const MessageMap& Dialog::ThisMessageMap() {
    static const MessageMap map{nullptr,
                                {
                                    OnBnClicked(kIdOk, &Dialog::OnOK),
                                    OnBnClicked(kIdCancel, &Dialog::OnCancel),
                                }};
    return map;
}

bool Dialog::Create(int templateId, QWidget* parent) {
    if (!Build(templateId, parent)) {
        return false;
    }
    OnInitDialog();
    if (parent != nullptr) {
        setVisible((m_template->style & kDlgVisible) != 0);
    }
    return true;
}

bool Dialog::Build(int templateId, QWidget* parent) {
    QString error;
    auto tpl = LoadDialogTemplate(templateId, &error);
    if (!tpl) {
        qWarning("dialog template %d: %s", templateId, qPrintable(error));
        return false;
    }
    m_templateId = templateId;
    m_template = std::make_unique<DialogTemplate>(std::move(*tpl));
    if (auto* tab = dynamic_cast<TabCtrl*>(parent)) {
        parent = tab->PageArea();  // a tab control's pages live in its scrolling page area
    }
    if (parent != nullptr) {
        setParent(parent);
        hide();  // shown by the owner, or below when the template says so
    } else {
        Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
        if ((m_template->style & kDlgCaption) != 0) {
            flags |= Qt::WindowTitleHint;
        }
        setParent(nullptr, flags);
        setWindowTitle(m_template->caption);
    }
    const QFont font =
        m_layout ? m_layout->font : DialogFont(m_template->fontFamilies, m_template->pointSize);
    setFont(font);
    // Wide enough for every caption; a window's pages share its width.
    m_units = FittingUnits(*m_template, font, style());
    if (m_layout) {
        m_units.cx = std::max(m_units.cx, m_layout->units.cx);
    }
    const QRect size = MapDialogRect(m_units, 0, 0, m_template->cx, m_template->cy);
    setFixedSize(size.width(), size.height());

    m_controls.clear();
    m_index.clear();
    QWidget* previous = nullptr;
    const ControlTemplate* previousTpl = nullptr;
    QButtonGroup* group = nullptr;
    for (const ControlTemplate& c : m_template->controls) {
        QWidget* w = MakeControl(c, previous);
        Place(w, c);
        if (previousTpl != nullptr && IsUnitLabel(c, *previousTpl)) {
            // Such a label shares the edit's line: its text starts where the edit centres its
            // own line of text, so both sit on one baseline.
            auto* label = static_cast<QLabel*>(w);
            const QRect edit = previous->geometry();
            const int line = label->fontMetrics().height();
            label->setGeometry(label->x(), edit.y() + (edit.height() - line + 1) / 2,
                               label->width(), line);
            label->setAlignment(TextAlignment(c) | Qt::AlignTop);
        }
        previousTpl = &c;
        if (c.Has(kHidden)) {
            w->setVisible(false);
        }
        if (c.Has(kDisabled)) {
            w->setEnabled(false);
        }
        // Auto radio buttons between two group starts exclude each other.
        if (c.Has(kGroupStart)) {
            group = nullptr;
        }
        if (c.kind == ControlKind::Radio && c.Has(kAuto)) {
            auto* radio = static_cast<QAbstractButton*>(w);
            radio->setAutoExclusive(false);
            if (group == nullptr) {
                group = new QButtonGroup(this);
                group->setExclusive(true);
                m_buttonGroups.push_back(group);
            }
            group->addButton(radio);
        }
        if (c.id != kNoId) {
            m_index[c.id] = m_controls.size();
        }
        m_controls.push_back({c, w});
        previous = w;
    }
    // Notifications start only now: building the controls reports nothing.
    for (const Control& control : m_controls) {
        Connect(control);
    }
    return true;
}

QWidget* Dialog::MakeControl(const ControlTemplate& c, QWidget* previous) {
    QWidget* w = nullptr;
    switch (c.kind) {
        case ControlKind::Group: {
            auto* box = new QGroupBox(c.caption, this);
            box->setFocusPolicy(Qt::NoFocus);
            // As Windows draws it: the frame's top line runs through the middle of the title.
            box->setStyleSheet(
                QStringLiteral(
                    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; "
                    "margin-top: %1px; }"
                    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; "
                    "left: %2px; top: 0px; padding: 0px %3px; }")
                    .arg(fontMetrics().height() / 2)
                    .arg(kGroupTitleLeft)
                    .arg(kGroupTitlePadding));
            w = box;
            break;
        }
        case ControlKind::Static: {
            auto* label = new QLabel(c.caption, this);
            label->setTextFormat(Qt::PlainText);
            // Statics wrap, as on Windows, where they have room for a second line; a one-line
            // static clips instead, so that a font wider than the template's own does not spill
            // a half line over the control below.
            const int height = MapDialogRect(m_units, 0, 0, 0, c.cy).height();
            label->setWordWrap(height >= 2 * fontMetrics().height());
            label->setAlignment(TextAlignment(c) | Qt::AlignTop);
            w = label;
            break;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(c.caption, this);
            edit->setAlignment(TextAlignment(c) | Qt::AlignVCenter);
            if (c.Has(kReadOnly)) {
                edit->setReadOnly(true);
                QPalette pal = edit->palette();
                pal.setColor(QPalette::Base, pal.color(QPalette::Window));
                edit->setPalette(pal);
            }
            edit->installEventFilter(this);  // EN_KILLFOCUS
            w = edit;
            break;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(c.caption, this);
            button->setAutoDefault(false);
            button->setDefault(c.Has(kDefault));
            w = button;
            break;
        }
        case ControlKind::Check:
            w = c.Has(kAuto) ? new QCheckBox(c.caption, this) : new PlainCheckBox(c.caption, this);
            break;
        case ControlKind::Radio:
            w = c.Has(kAuto) ? new QRadioButton(c.caption, this)
                             : new PlainRadioButton(c.caption, this);
            static_cast<QAbstractButton*>(w)->setAutoExclusive(false);
            break;
        case ControlKind::Combo: {
            auto* combo = new QComboBox(this);
            combo->setEditable(false);
            w = combo;
            break;
        }
        case ControlKind::UpDown: {
            auto* spin = new UpDown(this);
            spin->SetControlId(c.id);
            auto* buddy = dynamic_cast<QLineEdit*>(previous);
            if (c.Has(kAutoBuddy) && buddy != nullptr) {
                spin->SetBuddy(buddy, c.Has(kSetBuddyInt), c.Has(kArrowKeys));
            }
            w = spin;
            break;
        }
        case ControlKind::Tab:
            w = new TabCtrl(this);
            break;
    }
    if (c.kind != ControlKind::Group && c.kind != ControlKind::Static &&
        c.kind != ControlKind::UpDown) {
        w->setFocusPolicy(c.Has(kTabStop) && !c.Has(kNoTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
    }
    return w;
}

void Dialog::Place(QWidget* w, const ControlTemplate& c) {
    const QRect r = MapDialogRect(m_units, c.x, c.y, c.cx, c.cy);
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

void Dialog::Connect(const Control& control) {
    const int id = control.tpl.id;
    if (id == kNoId) {
        return;
    }
    QWidget* w = control.widget;
    if (auto* button = dynamic_cast<QAbstractButton*>(w)) {
        QObject::connect(button, &QAbstractButton::clicked, this,
                         [this, id] { Dispatch(Notify::BnClicked, id); });
    } else if (auto* edit = dynamic_cast<QLineEdit*>(w)) {
        QObject::connect(edit, &QLineEdit::textChanged, this,
                         [this, id] { Dispatch(Notify::EnChange, id); });
    } else if (auto* spin = dynamic_cast<UpDown*>(w)) {
        spin->SetDeltaPosHandler([this, id](NmUpDown& nm) -> int {
            LResult result = 0;
            Dispatch(Notify::UdnDeltaPos, id, &nm, &result);
            return static_cast<int>(result);
        });
    } else if (auto* tab = dynamic_cast<TabCtrl*>(w)) {
        tab->SetSelChangeHandler([this, id] {
            NmHdr hdr{id, Notify::TcnSelChange};
            LResult result = 0;
            Dispatch(Notify::TcnSelChange, id, &hdr, &result);
        });
    }
}

int Dialog::DoModal() {
    if (m_template == nullptr) {
        if (!Build(m_templateId, nullptr)) {
            return -1;
        }
        m_inModalInit = true;
        OnInitDialog();
        m_inModalInit = false;
        if (m_endedInInit) {
            m_endedInInit = false;
            return m_result;
        }
    }
    QWidget* window = this;
    const QSize room = AvailableClientArea();
    if (!ShrinkInto(room)) {
        // Larger than the screen even at its smallest font: the window scrolls its contents,
        // and the buttons stay reachable by scrolling and by their keys.
        m_frame = std::make_unique<QScrollArea>();
        m_frame->setWindowFlags(windowFlags());
        m_frame->setWindowTitle(windowTitle());
        m_frame->setWindowIcon(windowIcon());
        m_frame->setWidget(this);
        const int frame = 2 * m_frame->frameWidth();
        m_frame->resize((size() + QSize(frame, frame)).boundedTo(room));
        m_frame->installEventFilter(this);
        window = m_frame.get();
    }
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    QEventLoop loop;
    m_loop = &loop;
    m_result = loop.exec();
    m_loop = nullptr;
    window->hide();
    ReleaseFrame();
    return m_result;
}

bool Dialog::ShrinkInto(QSize room) {
    const int dw = std::max(0, width() - room.width());
    const int dh = std::max(0, height() - room.height());
    if (dw == 0 && dh == 0) {
        return true;
    }
    TabCtrl* tab = nullptr;
    for (const Control& c : m_controls) {
        if (c.tpl.kind == ControlKind::Tab && !c.widget->isHidden()) {
            tab = static_cast<TabCtrl*>(c.widget);
            break;
        }
    }
    if (tab == nullptr) {
        return false;
    }
    // The tab control keeps its row and enough of its page area to be worked in by scrolling.
    const QRect before = tab->geometry();
    const int minWidth = before.width() / 2;
    const int minHeight = tab->RowHeight() + (before.height() - tab->RowHeight()) / 2;
    const int giveW = std::min(dw, std::max(0, before.width() - minWidth));
    const int giveH = std::min(dh, std::max(0, before.height() - minHeight));
    // What lies below the tab control moves up with the bottom edge, what lies in its right half
    // moves left with the right edge: the buttons keep their places relative to the corner.
    for (const Control& c : m_controls) {
        if (c.widget == tab) {
            continue;
        }
        QRect g = c.widget->geometry();
        if (g.top() > before.bottom()) {
            g.translate(0, -giveH);
        }
        if (g.left() >= before.center().x()) {
            g.translate(-giveW, 0);
        }
        c.widget->setGeometry(g);
    }
    tab->resize(before.width() - giveW, before.height() - giveH);
    setFixedSize(width() - giveW, height() - giveH);
    return giveW == dw && giveH == dh;
}

void Dialog::ReleaseFrame() {
    if (m_frame) {
        m_frame->removeEventFilter(this);
        m_frame->takeWidget();  // this dialog is not the frame's to delete
        m_frame.reset();
    }
}

void Dialog::EndDialog(int result) {
    m_result = result;
    m_endedInInit = m_endedInInit || m_inModalInit;
    if (m_loop != nullptr) {
        m_loop->exit(result);
    }
    if (m_frame) {
        m_frame->hide();
    }
    hide();
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return true;
}

void Dialog::OnOK() {
    EndDialog(kIdOk);
}

void Dialog::OnCancel() {
    EndDialog(kIdCancel);
}

// ---- controls by ID --------------------------------------------------------------------------

QWidget* Dialog::GetDlgItem(int id) const {
    auto it = m_index.find(id);
    return it == m_index.end() ? nullptr : m_controls[it->second].widget;
}

void Dialog::SetDlgItemText(int id, const std::string& utf8) {
    QWidget* w = GetDlgItem(id);
    const QString text = QString::fromStdString(utf8);
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
    QWidget* w = GetDlgItem(id);
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
    if (QWidget* w = GetDlgItem(id)) {
        w->setEnabled(enable);
    }
}

bool Dialog::IsDlgItemEnabled(int id) const {
    QWidget* w = GetDlgItem(id);
    return w != nullptr && w->isEnabled();
}

void Dialog::SetDlgItemTip(int id, const std::string& tip) {
    if (QWidget* w = GetDlgItem(id)) {
        w->setToolTip(QString::fromStdString(tip));
    }
}

std::string Dialog::GetDlgItemTip(int id) const {
    QWidget* w = GetDlgItem(id);
    return w != nullptr ? w->toolTip().toStdString() : std::string();
}

void Dialog::ShowDlgItem(int id, bool show) {
    if (QWidget* w = GetDlgItem(id)) {
        w->setVisible(show);
    }
}

bool Dialog::IsDlgItemShown(int id) const {
    QWidget* w = GetDlgItem(id);
    return w != nullptr && !w->isHidden();
}

void Dialog::CheckDlgButton(int id, bool checked) {
    auto* button = DlgItem<QAbstractButton>(id);
    if (button == nullptr) {
        return;
    }
    QButtonGroup* group = ButtonGroupOf(button);
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
    auto* button = DlgItem<QAbstractButton>(id);
    return button != nullptr && button->isChecked();
}

std::vector<QAbstractButton*> Dialog::RadioGroup(int firstId) const {
    std::vector<QAbstractButton*> radios;
    auto it = m_index.find(firstId);
    if (it == m_index.end()) {
        return radios;
    }
    for (std::size_t i = it->second; i < m_controls.size(); ++i) {
        const Control& c = m_controls[i];
        if (i != it->second && c.tpl.Has(kGroupStart)) {
            break;
        }
        if (c.tpl.kind == ControlKind::Radio) {
            radios.push_back(static_cast<QAbstractButton*>(c.widget));
        }
    }
    return radios;
}

QButtonGroup* Dialog::ButtonGroupOf(QAbstractButton* button) const {
    for (QButtonGroup* g : m_buttonGroups) {
        if (g->buttons().contains(button)) {
            return g;
        }
    }
    return nullptr;
}

int Dialog::GetRadioIndex(int firstId) const {
    const auto radios = RadioGroup(firstId);
    for (std::size_t i = 0; i < radios.size(); ++i) {
        if (radios[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Dialog::SetRadioIndex(int firstId, int index) {
    const auto radios = RadioGroup(firstId);
    std::vector<QButtonGroup*> groups;
    for (QAbstractButton* r : radios) {
        if (QButtonGroup* g = ButtonGroupOf(r)) {
            g->setExclusive(false);
            groups.push_back(g);
        }
    }
    for (std::size_t i = 0; i < radios.size(); ++i) {
        radios[i]->setChecked(static_cast<int>(i) == index);
    }
    for (QButtonGroup* g : groups) {
        g->setExclusive(true);
    }
}

void Dialog::ComboResetContent(int id) {
    if (auto* combo = DlgItem<QComboBox>(id)) {
        combo->clear();
    }
}

int Dialog::ComboAddString(int id, const std::string& text) {
    auto* combo = DlgItem<QComboBox>(id);
    if (combo == nullptr) {
        return -1;
    }
    combo->addItem(QString::fromStdString(text));
    return combo->count() - 1;
}

int Dialog::ComboGetCount(int id) const {
    auto* combo = DlgItem<QComboBox>(id);
    return combo == nullptr ? -1 : combo->count();
}

int Dialog::ComboFindStringExact(int id, const std::string& text) const {
    const int count = ComboGetCount(id);
    for (int i = 0; i < count; ++i) {
        if (EqualsIgnoringAsciiCase(ComboGetLBText(id, i), text)) {
            return i;
        }
    }
    return -1;
}

int Dialog::ComboGetCurSel(int id) const {
    auto* combo = DlgItem<QComboBox>(id);
    return combo == nullptr ? -1 : combo->currentIndex();
}

void Dialog::ComboSetCurSel(int id, int index) {
    if (auto* combo = DlgItem<QComboBox>(id)) {
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
}

std::string Dialog::ComboGetLBText(int id, int index) const {
    auto* combo = DlgItem<QComboBox>(id);
    return combo == nullptr ? std::string() : combo->itemText(index).toStdString();
}

void Dialog::EditSetSel(int id, int start, int end) {
    auto* edit = DlgItem<QLineEdit>(id);
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
    if (auto* edit = DlgItem<QLineEdit>(id)) {
        edit->update();
    }
}

void Dialog::EditSelectAll(int id) {
    if (auto* edit = DlgItem<QLineEdit>(id)) {
        edit->selectAll();
    }
}

void Dialog::GotoDlgCtrl(int id) {
    if (QWidget* w = GetDlgItem(id)) {
        w->setFocus(Qt::OtherFocusReason);
    }
}

std::vector<std::pair<const ControlTemplate*, QWidget*>> Dialog::Controls() const {
    std::vector<std::pair<const ControlTemplate*, QWidget*>> out;
    out.reserve(m_controls.size());
    for (const Control& c : m_controls) {
        out.emplace_back(&c.tpl, c.widget);
    }
    return out;
}

int Dialog::DefaultButtonId() const {
    for (const Control& c : m_controls) {
        if (c.tpl.kind == ControlKind::Button && c.tpl.Has(kDefault)) {
            return c.tpl.id;
        }
    }
    return 0;
}

// ---- notifications ---------------------------------------------------------------------------

void Dialog::SendCommand(int id) {
    Dispatch(Notify::BnClicked, id);
}

bool Dialog::Dispatch(Notify code, int id, void* data, LResult* result) {
    for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
        for (const MessageMapEntry& e : map->entries) {
            if (e.code == code && id >= e.firstId && id <= e.lastId) {
                e.call(*this, data, result);
                return true;
            }
        }
    }
    return false;
}

int Dialog::SetTimer(int id, int periodMs) {
    return m_timers.Set(id, periodMs);
}

bool Dialog::KillTimer(int id) {
    return m_timers.Kill(id);
}

bool Dialog::IsTimerRunning(int id) const {
    return m_timers.IsRunning(id);
}

void Dialog::OnTimer(int) {}

void Dialog::ShowWindow(bool show) {
    setVisible(show);
}

bool Dialog::IsWindowVisible() const {
    return isVisible();
}

void Dialog::PostCall(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void Dialog::OnShowWindow(bool) {}

bool Dialog::PreTranslateKeyDown(int key) {
    if (key == kKeyEscape) {
        SendCommand(kIdCancel);
        return true;
    }
    if (key == kKeyReturn) {
        auto* focused = dynamic_cast<QPushButton*>(QApplication::focusWidget());
        if (focused != nullptr && focused->parentWidget() == this) {
            if (focused->isEnabled()) {
                focused->click();
            }
            return true;
        }
        const int id = DefaultButtonId();
        if (id == 0) {
            SendCommand(kIdOk);
        } else if (IsDlgItemEnabled(id)) {
            SendCommand(id);
        }
        return true;
    }
    return false;
}

void Dialog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        OnShowWindow(true);
    }
}

void Dialog::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        OnShowWindow(false);
    }
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    if (PreTranslateKeyDown(KeyCode(event->key()))) {
        event->accept();
    } else {
        event->ignore();
    }
}

void Dialog::closeEvent(QCloseEvent* event) {
    // A close request is Cancel; whether the window really closes is OnCancel's business.
    event->ignore();
    SendCommand(kIdCancel);
}

bool Dialog::eventFilter(QObject* watched, QEvent* event) {
    if (m_frame && watched == m_frame.get() && event->type() == QEvent::Close) {
        closeEvent(static_cast<QCloseEvent*>(event));  // the frame's close box is ours
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        const auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() != Qt::PopupFocusReason) {
            for (const Control& c : m_controls) {
                if (c.widget == watched && c.tpl.id != kNoId) {
                    Dispatch(Notify::EnKillFocus, c.tpl.id);
                    break;
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vexilo::ui
