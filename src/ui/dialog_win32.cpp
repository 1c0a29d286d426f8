// Dialogs on Win32: the window, the controls of the template as native controls, their
// notifications, the modal loop and the dialog keys.
// The backend's header first: it brings windows.h, which commctrl.h builds on.
#include "ui/win32_backend.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "ui/dialog.h"
#include "ui/window_timers.h"

namespace vexilo::ui {

namespace {

constexpr wchar_t kDialogClass[] = L"VexiloDialog";
int g_loopLevel = 0;

int KeyCode(WPARAM vk) {
    switch (vk) {
        case VK_CANCEL:
            return kKeyCancel;
        case VK_RETURN:
            return kKeyReturn;
        case VK_ESCAPE:
            return kKeyEscape;
        case VK_F5:
            return kKeyF5;
        default:
            return 0;
    }
}

LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

void RegisterDialogClass() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                                  ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSW wc{};
        wc.lpfnWndProc = DialogProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
        wc.lpszClassName = kDialogClass;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

struct Dialog::Impl {
    explicit Impl(Dialog& d) : owner(d) {}
    ~Impl() { Destroy(); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    static Impl& Of(const Dialog& d) { return *d.m_impl; }
    static Impl* FromWindow(HWND hwnd) {
        wchar_t name[32] = {};
        if (hwnd == nullptr || GetClassNameW(hwnd, name, 32) == 0 ||
            lstrcmpW(name, kDialogClass) != 0) {
            return nullptr;
        }
        return reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }

    void Destroy() {
        spins.clear();
        tabs.clear();
        tips.clear();
        if (tooltip != nullptr) {
            DestroyWindow(tooltip);
            tooltip = nullptr;
        }
        if (hwnd != nullptr) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            DestroyWindow(hwnd);
            hwnd = nullptr;
        }
        controls.clear();
        if (font != nullptr) {
            DeleteObject(font);
            font = nullptr;
        }
    }

    HWND At(std::size_t pos) const {
        return hwnd != nullptr && pos < controls.size() ? controls[pos] : nullptr;
    }
    HWND Item(int id) const {
        const long pos = owner.Position(id);
        return pos < 0 ? nullptr : At(static_cast<std::size_t>(pos));
    }
    // The template kind of control `id` when it has a window.
    const ControlTemplate* Kind(int id) const {
        return Item(id) != nullptr ? owner.m_template->Find(id) : nullptr;
    }
    bool Is(int id, ControlKind kind) const {
        const ControlTemplate* c = Kind(id);
        return c != nullptr && c->kind == kind;
    }
    int IdOf(HWND control) const {
        for (std::size_t pos = 0; pos < controls.size(); ++pos) {
            if (controls[pos] == control) {
                return owner.m_template->controls[pos].id;
            }
        }
        return kNoId;
    }

    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

    // The tip of `control`: over the control while it takes the mouse, and over its place in the
    // dialog while it is disabled (a disabled control leaves the mouse to its parent).
    void ShowTip(HWND control, const std::string& tip) {
        if (tooltip == nullptr && !tip.empty()) {
            tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, hwnd,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
            SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
        }
        if (tooltip == nullptr) {
            return;
        }
        std::wstring text = win32::Wide(tip);
        TOOLINFOW own{};
        own.cbSize = sizeof(own);
        own.hwnd = hwnd;
        own.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        own.uId = reinterpret_cast<UINT_PTR>(control);
        TOOLINFOW place{};
        place.cbSize = sizeof(place);
        place.hwnd = hwnd;
        place.uFlags = TTF_SUBCLASS;
        place.uId = reinterpret_cast<UINT_PTR>(control) ^ 1;  // any ID apart from the window's
        SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&own));
        SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&place));
        if (tip.empty()) {
            return;
        }
        own.lpszText = text.data();
        place.lpszText = text.data();
        GetWindowRect(control, &place.rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&place.rect), 2);
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&own));
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&place));
    }

    Dialog& owner;
    HWND hwnd = nullptr;
    HFONT font = nullptr;
    HWND tooltip = nullptr;      // made with the first tip
    std::vector<HWND> controls;  // template order
    std::map<std::size_t, std::unique_ptr<win32::TabCtrlWindow>> tabs;
    std::map<std::size_t, std::unique_ptr<win32::UpDownWindow>> spins;
    std::map<int, std::string> tips;
    int quiet = 0;          // programmatic edit changes report nothing of their own
    bool modal = false;     // the modal loop runs
    bool loopDone = false;  // EndDialog ended it
    std::shared_ptr<int> alive = std::make_shared<int>(0);  // posted calls check it
};

namespace {

LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (Dialog::Impl* impl = Dialog::Impl::FromWindow(hwnd)) {
        return impl->Handle(msg, wp, lp);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

LRESULT Dialog::Impl::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: {
            const int id = IdOf(reinterpret_cast<HWND>(lp));
            if (lp == 0 || id == kNoId) {
                break;
            }
            switch (HIWORD(wp)) {
                case BN_CLICKED:
                    owner.Dispatch(Notify::BnClicked, id);
                    break;
                case EN_CHANGE:
                    if (quiet == 0) {
                        owner.Dispatch(Notify::EnChange, id);
                    }
                    break;
                case EN_KILLFOCUS:
                    owner.Dispatch(Notify::EnKillFocus, id);
                    break;
                default:
                    break;
            }
            return 0;
        }
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
            if (hdr->code == static_cast<UINT>(TCN_SELCHANGE)) {
                for (auto& [pos, tab] : tabs) {
                    if (tab->Handle() == hdr->hwndFrom) {
                        tab->OnNativeSelChange();
                    }
                }
            }
            return 0;
        }
        case WM_VSCROLL:
            return 0;  // the up-down controls report through the kit
        case WM_CLOSE:
            // A close request is Cancel; whether the window really closes is OnCancel's business.
            owner.SendCommand(kIdCancel);
            return 0;
        case WM_SHOWWINDOW:
            if (lp == 0) {
                owner.OnShowWindow(wp != FALSE);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- construction ----------------------------------------------------------------------------

Dialog::Impl* Dialog::NewImpl(Dialog& owner) {
    return new Impl(owner);
}

void Dialog::ImplDeleter::operator()(Impl* impl) const {
    delete impl;
}

void Dialog::BuildWindow(TabCtrl* parent) {
    RegisterDialogClass();
    Impl& impl = *m_impl;
    impl.Destroy();
    impl.font = win32::MakeFont(m_font);
    const Rect size = MapDialogRect(m_units, 0, 0, m_template->cx, m_template->cy);
    auto* tab = dynamic_cast<win32::TabCtrlWindow*>(parent);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (tab != nullptr) {
        impl.hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kDialogClass, L"",
                                    WS_CHILD | WS_CLIPSIBLINGS, 0, 0, size.width, size.height,
                                    tab->PageArea(), nullptr, instance, nullptr);
    } else {
        // No WS_CLIPCHILDREN: group boxes leave their inside for the dialog to paint.
        DWORD style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
        if ((m_template->style & kDlgCaption) != 0) {
            style |= WS_CAPTION;
        }
        const DWORD ex = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;
        RECT r{0, 0, size.width, size.height};
        AdjustWindowRectEx(&r, style, FALSE, ex);
        impl.hwnd = CreateWindowExW(ex, kDialogClass, win32::Wide(m_template->caption).c_str(),
                                    style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                                    r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    }
    if (impl.hwnd == nullptr) {
        return;
    }
    SetWindowLongPtrW(impl.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&impl));
    SendMessageW(impl.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(impl.font), FALSE);

    HWND previous = nullptr;
    for (std::size_t pos = 0; pos < m_template->controls.size(); ++pos) {
        const ControlTemplate& c = m_template->controls[pos];
        const Rect r = MapDialogRect(m_units, c.x, c.y, c.cx, c.cy);
        DWORD style = WS_CHILD;
        DWORD ex = 0;
        const wchar_t* cls = L"BUTTON";
        if (!c.Has(kHidden)) {
            style |= WS_VISIBLE;
        }
        if (c.Has(kDisabled)) {
            style |= WS_DISABLED;
        }
        if (c.Has(kGroupStart)) {
            style |= WS_GROUP;
        }
        const bool focusable = c.kind != ControlKind::Group && c.kind != ControlKind::Static &&
                               c.kind != ControlKind::UpDown;
        if (focusable && c.Has(kTabStop) && !c.Has(kNoTabStop)) {
            style |= WS_TABSTOP;
        }
        const DWORD align = c.Has(kCenter) ? 1u : c.Has(kRight) ? 2u : 0u;
        int height = r.height;
        switch (c.kind) {
            case ControlKind::Group:
                style |= BS_GROUPBOX;
                break;
            case ControlKind::Static:
                cls = L"STATIC";
                style |= align == 1 ? SS_CENTER : align == 2 ? SS_RIGHT : SS_LEFT;
                break;
            case ControlKind::Edit:
                cls = L"EDIT";
                ex |= WS_EX_CLIENTEDGE;
                style |= ES_AUTOHSCROLL | (align == 1   ? ES_CENTER
                                           : align == 2 ? ES_RIGHT
                                                        : ES_LEFT);
                if (c.Has(kReadOnly)) {
                    style |= ES_READONLY;
                }
                break;
            case ControlKind::Button:
                style |= c.Has(kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
                break;
            case ControlKind::Check:
                style |= c.Has(kAuto) ? BS_AUTOCHECKBOX : BS_CHECKBOX;
                break;
            case ControlKind::Radio:
                style |= c.Has(kAuto) ? BS_AUTORADIOBUTTON : BS_RADIOBUTTON;
                break;
            case ControlKind::Combo:
                cls = L"COMBOBOX";
                style |= CBS_DROPDOWNLIST | WS_VSCROLL;  // the height is the dropped list's
                break;
            case ControlKind::UpDown:
                cls = UPDOWN_CLASSW;
                break;
            case ControlKind::Tab:
                cls = WC_TABCONTROLW;
                style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
                ex |= WS_EX_CONTROLPARENT;
                break;
        }
        const bool captioned = c.kind != ControlKind::Combo && c.kind != ControlKind::UpDown &&
                               c.kind != ControlKind::Tab;
        HWND control = CreateWindowExW(
            ex, cls, captioned ? win32::Wide(c.caption).c_str() : L"", style, r.x, r.y, r.width,
            height, impl.hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id == kNoId ? 0xFFFF : (c.id & 0xFFFF))),
            instance, nullptr);
        if (control != nullptr) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(impl.font), FALSE);
        }
        if (c.kind == ControlKind::Tab && control != nullptr) {
            auto tab = std::make_unique<win32::TabCtrlWindow>(control);
            Dialog* d = this;
            const int id = c.id;
            tab->SetSelChangeHandler([d, id] {
                NmHdr hdr{id, Notify::TcnSelChange};
                LResult result = 0;
                d->Dispatch(Notify::TcnSelChange, id, &hdr, &result);
            });
            impl.tabs[pos] = std::move(tab);
        } else if (c.kind == ControlKind::UpDown && control != nullptr) {
            const bool buddy = c.Has(kAutoBuddy) && pos > 0 &&
                               m_template->controls[pos - 1].kind == ControlKind::Edit;
            auto spin = std::make_unique<win32::UpDownWindow>(
                control, buddy ? previous : nullptr, c.Has(kSetBuddyInt), c.Has(kArrowKeys));
            spin->SetControlId(c.id);
            Dialog* d = this;
            const int id = c.id;
            spin->SetDeltaPosHandler([d, id](NmUpDown& nm) -> int {
                LResult result = 0;
                d->Dispatch(Notify::UdnDeltaPos, id, &nm, &result);
                return static_cast<int>(result);
            });
            impl.spins[pos] = std::move(spin);
        }
        impl.controls.push_back(control);
        previous = control;
    }
}

// ---- the modal loop --------------------------------------------------------------------------

void win32::EnterLoop() {
    ++g_loopLevel;
}

void win32::LeaveLoop() {
    --g_loopLevel;
}

int EventLoopLevel() {
    return g_loopLevel;
}

bool win32::PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) {
        return false;
    }
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    Dialog::Impl* top = Dialog::Impl::FromWindow(root);
    if (top == nullptr) {
        return false;
    }
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (msg.message == WM_KEYDOWN && ctrl &&
        (msg.wParam == VK_TAB || msg.wParam == VK_NEXT || msg.wParam == VK_PRIOR)) {
        const bool back = msg.wParam == VK_PRIOR ||
                          (msg.wParam == VK_TAB && (GetKeyState(VK_SHIFT) & 0x8000) != 0);
        if (!top->tabs.empty()) {
            top->tabs.begin()->second->SelectNext(back ? -1 : 1);
            return true;
        }
    }
    const int key = msg.message == WM_KEYDOWN ? KeyCode(msg.wParam) : 0;
    if (key != 0) {
        // The focused control's dialog first, then the dialogs around it.
        for (HWND h = msg.hwnd; h != nullptr; h = GetParent(h)) {
            if (Dialog::Impl* impl = Dialog::Impl::FromWindow(h)) {
                if (impl->owner.PreTranslateKeyDown(key)) {
                    return true;
                }
            }
            if (h == root) {
                break;
            }
        }
        if (key == kKeyReturn || key == kKeyEscape) {
            return false;  // left to the control; never turned into IDOK/IDCANCEL
        }
    }
    return IsDialogMessageW(root, &msg) != FALSE;
}

bool win32::RunLoopUntil(const bool& done) {
    EnterLoop();
    bool quit = false;
    while (!done) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside this one
            quit = true;
            break;
        }
        if (!PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    LeaveLoop();
    return !quit;
}

int Dialog::RunModal() {
    Impl& impl = *m_impl;
    if (impl.hwnd == nullptr) {
        return -1;
    }
    ShrinkInto(AvailableClientArea());
    // The other windows of the program wait, as under a modal dialog.
    std::vector<HWND> disabled;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM data) -> BOOL {
            auto* list = reinterpret_cast<std::vector<HWND>*>(data);
            if (::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
                list->push_back(w);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabled));
    disabled.erase(std::remove(disabled.begin(), disabled.end(), impl.hwnd), disabled.end());
    for (HWND w : disabled) {
        EnableWindow(w, FALSE);
    }
    impl.modal = true;
    impl.loopDone = false;
    ShowWindow(true);
    SetForegroundWindow(impl.hwnd);
    const std::weak_ptr<int> alive = impl.alive;
    win32::RunLoopUntil(impl.loopDone);
    for (HWND w : disabled) {
        if (IsWindow(w)) {
            EnableWindow(w, TRUE);
        }
    }
    if (alive.expired()) {
        return m_result;
    }
    impl.modal = false;
    ShowWindow(false);
    return m_result;
}

void Dialog::EndModalLoop(int) {
    m_impl->loopDone = true;
    if (m_impl->modal) {
        PostMessageW(m_impl->hwnd, WM_NULL, 0, 0);  // wakes the loop waiting for a message
    }
}

bool Dialog::PressFocusedPushButton() {
    HWND focus = GetFocus();
    if (focus == nullptr || GetParent(focus) != m_impl->hwnd) {
        return false;
    }
    const long style = GetWindowLongW(focus, GWL_STYLE);
    const long type = style & BS_TYPEMASK;
    wchar_t name[16] = {};
    GetClassNameW(focus, name, 16);
    if (lstrcmpiW(name, L"BUTTON") != 0 || (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)) {
        return false;
    }
    const int id = m_impl->IdOf(focus);
    if (IsWindowEnabled(focus) && id != kNoId) {
        SendCommand(id);
    }
    return true;
}

void Dialog::PostCall(std::function<void()> fn) {
    if (m_impl->hwnd == nullptr) {
        return;
    }
    PostToEventLoop([alive = std::weak_ptr<int>(m_impl->alive), fn = std::move(fn)] {
        if (!alive.expired()) {
            fn();
        }
    });
}

// ---- the window ------------------------------------------------------------------------------

void Dialog::ShowWindow(bool show) {
    if (m_impl->hwnd != nullptr) {
        ::ShowWindow(m_impl->hwnd, show ? SW_SHOW : SW_HIDE);
    }
}

bool Dialog::IsWindowVisible() const {
    return m_impl->hwnd != nullptr && ::IsWindowVisible(m_impl->hwnd) != FALSE;
}

void Dialog::SetWindowText(const std::string& text) {
    if (m_impl->hwnd != nullptr) {
        SetWindowTextW(m_impl->hwnd, win32::Wide(text).c_str());
    }
}

std::string Dialog::GetWindowText() const {
    return m_impl->hwnd != nullptr ? win32::WindowText(m_impl->hwnd) : std::string();
}

Size Dialog::GetClientSize() const {
    RECT r{};
    if (m_impl->hwnd == nullptr || !GetClientRect(m_impl->hwnd, &r)) {
        return {};
    }
    return {r.right, r.bottom};
}

void Dialog::SetClientSize(Size size) {
    HWND hwnd = m_impl->hwnd;
    if (hwnd == nullptr) {
        return;
    }
    RECT r{0, 0, size.width, size.height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Dialog::IsItemHidden(std::size_t pos) const {
    HWND w = m_impl->At(pos);
    return w == nullptr || (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) == 0;
}

TabCtrl* Dialog::ItemTab(std::size_t pos) const {
    const auto it = m_impl->tabs.find(pos);
    return it == m_impl->tabs.end() ? nullptr : it->second.get();
}

Rect Dialog::ItemRect(std::size_t pos) const {
    HWND w = m_impl->At(pos);
    if (w == nullptr) {
        return {};
    }
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, m_impl->hwnd, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Dialog::SetItemRect(std::size_t pos, const Rect& r) {
    if (HWND w = m_impl->At(pos)) {
        MoveWindow(w, r.x, r.y, r.width, r.height, TRUE);
    }
}

// ---- controls by ID --------------------------------------------------------------------------

TabCtrl* Dialog::GetTabCtrl(int id) const {
    const long pos = Position(id);
    return pos < 0 ? nullptr : ItemTab(static_cast<std::size_t>(pos));
}

UpDown* Dialog::GetUpDown(int id) const {
    const long pos = Position(id);
    if (pos < 0) {
        return nullptr;
    }
    const auto it = m_impl->spins.find(static_cast<std::size_t>(pos));
    return it == m_impl->spins.end() ? nullptr : it->second.get();
}

void Dialog::SetDlgItemText(int id, const std::string& utf8) {
    HWND w = m_impl->Item(id);
    if (w == nullptr) {
        return;
    }
    const std::wstring text = win32::Wide(utf8);
    if (m_impl->Is(id, ControlKind::Combo)) {
        const LRESULT i = SendMessageW(w, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
        // Exact and case-sensitive, as the other toolkit matches.
        if (i >= 0 && ComboGetLBText(id, static_cast<int>(i)) == utf8) {
            SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        }
        return;
    }
    if (m_impl->Is(id, ControlKind::Edit)) {
        // A new text shows from its start, and the caret is there before the change is
        // reported, so a handler that moves the caret has the last word.
        const bool changed = win32::WindowText(w) != utf8;
        ++m_impl->quiet;
        SetWindowTextW(w, text.c_str());
        SendMessageW(w, EM_SETSEL, 0, 0);
        --m_impl->quiet;
        if (changed) {
            Dispatch(Notify::EnChange, id);
        }
        return;
    }
    SetWindowTextW(w, text.c_str());
}

std::string Dialog::GetDlgItemText(int id) const {
    HWND w = m_impl->Item(id);
    if (w == nullptr) {
        return {};
    }
    if (m_impl->Is(id, ControlKind::Combo)) {
        const int sel = ComboGetCurSel(id);
        return sel < 0 ? std::string() : ComboGetLBText(id, sel);
    }
    return win32::WindowText(w);
}

void Dialog::EnableDlgItem(int id, bool enable) {
    if (HWND w = m_impl->Item(id)) {
        EnableWindow(w, enable ? TRUE : FALSE);
    }
}

bool Dialog::IsDlgItemEnabled(int id) const {
    HWND w = m_impl->Item(id);
    return w != nullptr && IsWindowEnabled(w) != FALSE;
}

void Dialog::SetDlgItemTip(int id, const std::string& tip) {
    HWND control = m_impl->Item(id);
    if (control == nullptr) {
        return;
    }
    if (tip.empty()) {
        m_impl->tips.erase(id);
    } else {
        m_impl->tips[id] = tip;
    }
    m_impl->ShowTip(control, tip);
}

std::string Dialog::GetDlgItemTip(int id) const {
    const auto it = m_impl->tips.find(id);
    return it == m_impl->tips.end() ? std::string() : it->second;
}

void Dialog::ShowDlgItem(int id, bool show) {
    if (HWND w = m_impl->Item(id)) {
        ::ShowWindow(w, show ? SW_SHOWNA : SW_HIDE);
    }
}

bool Dialog::IsDlgItemShown(int id) const {
    HWND w = m_impl->Item(id);
    return w != nullptr && (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Dialog::CheckDlgButton(int id, bool checked) {
    if (m_impl->Is(id, ControlKind::Check) || m_impl->Is(id, ControlKind::Radio)) {
        SendMessageW(m_impl->Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

bool Dialog::IsDlgButtonChecked(int id) const {
    HWND w = m_impl->Item(id);
    return w != nullptr && SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Dialog::IsItemChecked(std::size_t pos) const {
    HWND w = m_impl->At(pos);
    return w != nullptr && SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Dialog::SetRadioChecks(const std::vector<std::size_t>& radios, int index) {
    for (std::size_t i = 0; i < radios.size(); ++i) {
        if (HWND w = m_impl->At(radios[i])) {
            SendMessageW(w, BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED,
                         0);
        }
    }
}

void Dialog::ComboResetContent(int id) {
    if (m_impl->Is(id, ControlKind::Combo)) {
        SendMessageW(m_impl->Item(id), CB_RESETCONTENT, 0, 0);
    }
}

int Dialog::ComboAddString(int id, const std::string& text) {
    if (!m_impl->Is(id, ControlKind::Combo)) {
        return -1;
    }
    const std::wstring wide = win32::Wide(text);
    return static_cast<int>(
        SendMessageW(m_impl->Item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int Dialog::ComboGetCount(int id) const {
    if (!m_impl->Is(id, ControlKind::Combo)) {
        return -1;
    }
    return static_cast<int>(SendMessageW(m_impl->Item(id), CB_GETCOUNT, 0, 0));
}

int Dialog::ComboGetCurSel(int id) const {
    if (!m_impl->Is(id, ControlKind::Combo)) {
        return -1;
    }
    return static_cast<int>(SendMessageW(m_impl->Item(id), CB_GETCURSEL, 0, 0));
}

void Dialog::ComboSetCurSel(int id, int index) {
    if (m_impl->Is(id, ControlKind::Combo)) {
        const int count = ComboGetCount(id);
        SendMessageW(m_impl->Item(id), CB_SETCURSEL,
                     static_cast<WPARAM>(index >= 0 && index < count ? index : -1), 0);
    }
}

std::string Dialog::ComboGetLBText(int id, int index) const {
    if (!m_impl->Is(id, ControlKind::Combo)) {
        return {};
    }
    HWND w = m_impl->Item(id);
    const LRESULT n = SendMessageW(w, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(w, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return win32::Utf8(text);
}

void Dialog::EditSetSel(int id, int start, int end) {
    if (m_impl->Is(id, ControlKind::Edit)) {
        HWND w = m_impl->Item(id);
        const int length = GetWindowTextLengthW(w);
        const int to = end < 0 ? length : std::min(end, length);
        const int from = std::clamp(start, 0, length);
        SendMessageW(w, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
    }
}

void Dialog::EditScrollCaret(int id) {
    if (m_impl->Is(id, ControlKind::Edit)) {
        SendMessageW(m_impl->Item(id), EM_SCROLLCARET, 0, 0);
    }
}

void Dialog::EditSelectAll(int id) {
    if (m_impl->Is(id, ControlKind::Edit)) {
        SendMessageW(m_impl->Item(id), EM_SETSEL, 0, -1);
    }
}

void Dialog::GotoDlgCtrl(int id) {
    if (HWND w = m_impl->Item(id)) {
        SetFocus(w);
    }
}

// ---- the backend's own access ----------------------------------------------------------------

HWND win32::Window(const Dialog& dialog) {
    return Dialog::Impl::Of(dialog).hwnd;
}

HWND win32::Item(const Dialog& dialog, int id) {
    return Dialog::Impl::Of(dialog).Item(id);
}

}  // namespace vexilo::ui
