#include "ui/dialog.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "ui/text.h"

namespace vexilo::ui {

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

void DDX_Control(DataExchange& dx, int id, TabCtrl*& control) {
    if (control == nullptr) {
        control = dx.m_dialog.GetTabCtrl(id);
    }
}

void DDX_Control(DataExchange& dx, int id, UpDown*& control) {
    if (control == nullptr) {
        control = dx.m_dialog.GetUpDown(id);
    }
}

// ---- construction ----------------------------------------------------------------------------

Dialog::Dialog(int templateId)
    : m_templateId(templateId), m_timers([this](int id) { OnTimer(id); }), m_impl(NewImpl(*this)) {}

Dialog::~Dialog() {
    m_timers.KillAll();
    m_impl.reset();  // the window goes before the rest of the dialog, reporting nothing
}

const MessageMap& Dialog::ThisMessageMap() {
    static const MessageMap map{nullptr,
                                {
                                    OnBnClicked(kIdOk, &Dialog::OnOK),
                                    OnBnClicked(kIdCancel, &Dialog::OnCancel),
                                }};
    return map;
}

bool Dialog::Create(int templateId, TabCtrl* parent) {
    if (!Build(templateId, parent)) {
        return false;
    }
    OnInitDialog();
    if (parent != nullptr) {
        ShowWindow((m_template->style & kDlgVisible) != 0);
    }
    return true;
}

bool Dialog::Build(int templateId, TabCtrl* parent) {
    std::string error;
    auto tpl = LoadDialogTemplate(templateId, &error);
    if (!tpl) {
        std::fprintf(stderr, "dialog template %d: %s\n", templateId, error.c_str());
        return false;
    }
    m_templateId = templateId;
    m_template = std::make_unique<DialogTemplate>(std::move(*tpl));
    m_font =
        m_layout ? m_layout->font : DialogFont(m_template->fontFamilies, m_template->pointSize);
    // Wide enough for every caption; a window's pages share its width.
    m_units = FittingUnits(*m_template, m_font);
    if (m_layout) {
        m_units.cx = std::max(m_units.cx, m_layout->units.cx);
    }
    m_index.clear();
    for (std::size_t pos = 0; pos < m_template->controls.size(); ++pos) {
        if (m_template->controls[pos].id != kNoId) {
            m_index[m_template->controls[pos].id] = pos;
        }
    }
    BuildWindow(parent);
    return true;
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
    return RunModal();
}

bool Dialog::ShrinkInto(Size room) {
    const Size size = GetClientSize();
    const int dw = std::max(0, size.width - room.width);
    const int dh = std::max(0, size.height - room.height);
    if (dw == 0 && dh == 0) {
        return true;
    }
    if (m_template == nullptr) {
        return false;
    }
    const auto& controls = m_template->controls;
    std::size_t tabPos = controls.size();
    TabCtrl* tab = nullptr;
    for (std::size_t pos = 0; pos < controls.size(); ++pos) {
        if (controls[pos].kind == ControlKind::Tab && !IsItemHidden(pos)) {
            tab = ItemTab(pos);
            tabPos = pos;
            break;
        }
    }
    if (tab == nullptr) {
        return false;
    }
    // The tab control keeps its row and enough of its page area to be worked in by scrolling.
    const Rect before = ItemRect(tabPos);
    const int minWidth = before.width / 2;
    const int minHeight = tab->RowHeight() + (before.height - tab->RowHeight()) / 2;
    const int giveW = std::min(dw, std::max(0, before.width - minWidth));
    const int giveH = std::min(dh, std::max(0, before.height - minHeight));
    // What lies below the tab control moves up with the bottom edge, what lies in its right half
    // moves left with the right edge: the buttons keep their places relative to the corner.
    const int centerX = (2 * before.x + before.width - 1) / 2;
    for (std::size_t pos = 0; pos < controls.size(); ++pos) {
        if (pos == tabPos) {
            continue;
        }
        Rect g = ItemRect(pos);
        if (g.y >= before.y + before.height) {
            g.y -= giveH;
        }
        if (g.x >= centerX) {
            g.x -= giveW;
        }
        SetItemRect(pos, g);
    }
    SetItemRect(tabPos, {before.x, before.y, before.width - giveW, before.height - giveH});
    SetClientSize({size.width - giveW, size.height - giveH});
    return giveW == dw && giveH == dh;
}

void Dialog::EndDialog(int result) {
    m_result = result;
    m_endedInInit = m_endedInInit || m_inModalInit;
    EndModalLoop(result);
    ShowWindow(false);
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

long Dialog::Position(int id) const {
    auto it = m_index.find(id);
    return it == m_index.end() ? -1 : static_cast<long>(it->second);
}

bool Dialog::HasDlgItem(int id) const {
    return Position(id) >= 0;
}

Rect Dialog::GetDlgItemRect(int id) const {
    const long pos = Position(id);
    return pos < 0 ? Rect{} : ItemRect(static_cast<std::size_t>(pos));
}

std::vector<std::size_t> Dialog::RadioGroup(int firstId) const {
    std::vector<std::size_t> radios;
    const long first = Position(firstId);
    if (first < 0) {
        return radios;
    }
    const auto& controls = m_template->controls;
    for (auto i = static_cast<std::size_t>(first); i < controls.size(); ++i) {
        if (i != static_cast<std::size_t>(first) && controls[i].Has(kGroupStart)) {
            break;
        }
        if (controls[i].kind == ControlKind::Radio) {
            radios.push_back(i);
        }
    }
    return radios;
}

int Dialog::GetRadioIndex(int firstId) const {
    const auto radios = RadioGroup(firstId);
    for (std::size_t i = 0; i < radios.size(); ++i) {
        if (IsItemChecked(radios[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Dialog::SetRadioIndex(int firstId, int index) {
    SetRadioChecks(RadioGroup(firstId), index);
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

int Dialog::DefaultButtonId() const {
    if (m_template == nullptr) {
        return 0;
    }
    for (const ControlTemplate& c : m_template->controls) {
        if (c.kind == ControlKind::Button && c.Has(kDefault)) {
            return c.id;
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

void Dialog::OnShowWindow(bool) {}

bool Dialog::PreTranslateKeyDown(int key) {
    if (key == kKeyEscape) {
        SendCommand(kIdCancel);
        return true;
    }
    if (key == kKeyReturn) {
        if (PressFocusedPushButton()) {
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

}  // namespace vexilo::ui
