// The Win32 backend: templates become native controls that answer the kit's API.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "ui/dialog.h"
#include "ui/resource.h"
#include "ui/tr.h"
#include "ui/win32_backend.h"
// clang-format off
#include <commctrl.h>
// clang-format on

namespace vexilo::ui {
namespace {

std::string ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return win32::Utf8(name);
}

// A page that counts the notifications of one edit and one up-down control.
class CountingPage : public Dialog {
public:
    CountingPage(int editId, int spinId)
        : Dialog(IDD_RGB_PAGE),
          m_map{&Dialog::ThisMessageMap(),
                {OnEnChange(editId, &CountingPage::Changed),
                 OnUdnDeltaPos(spinId, &CountingPage::Delta)}} {}
    const MessageMap* GetMessageMap() const override { return &m_map; }

    int changes = 0;
    int deltas = 0;
    int refuse = 0;

private:
    void Changed() { ++changes; }
    void Delta(NmUpDown*, LResult* result) {
        ++deltas;
        *result = refuse;
    }
    MessageMap m_map;
};

TEST(Win32Dialog, TemplateControlsAreNativeAndAnswerByID) {
    CountingPage page(1025, 1024);  // 1025: the buddy of up-down control 1024
    ASSERT_TRUE(page.Create(IDD_RGB_PAGE, nullptr));
    const struct {
        ControlKind kind;
        const char* cls;
    } classes[] = {{ControlKind::Edit, "Edit"},
                   {ControlKind::Button, "Button"},
                   {ControlKind::Check, "Button"},
                   {ControlKind::Radio, "Button"},
                   {ControlKind::Combo, "ComboBox"},
                   {ControlKind::Static, "Static"},
                   {ControlKind::UpDown, "msctls_updown32"}};
    for (const ControlTemplate& c : page.Template()->controls) {
        for (const auto& row : classes) {
            if (c.kind == row.kind && c.id != kNoId) {
                EXPECT_STRCASEEQ(ClassOf(win32::Item(page, c.id)).c_str(), row.cls) << c.id;
            }
        }
    }
    // UTF-8 in and out; a programmatic change reports EN_CHANGE once, an equal text not at all.
    const int changesBefore = page.changes;
    page.SetDlgItemText(1025, "調整 12");
    page.SetDlgItemText(1025, "調整 12");
    EXPECT_EQ(page.GetDlgItemText(1025), "調整 12");
    EXPECT_EQ(page.changes, changesBefore + 1);

    // The up-down control steps through UDN_DELTAPOS and writes its buddy; a refused step stays.
    UpDown* spin = page.GetUpDown(1024);
    ASSERT_NE(spin, nullptr);
    spin->SetRange32(0, 10);
    spin->SetPos32(3);
    EXPECT_EQ(page.GetDlgItemText(1025), "3");
    spin->Step(1);
    EXPECT_EQ(page.GetDlgItemText(1025), "4");
    page.refuse = 1;
    spin->Step(1);
    EXPECT_EQ(spin->GetPos32(), 4);
    EXPECT_EQ(page.deltas, 2);

    // Combo and check boxes.
    const int combo = 1061;
    page.ComboResetContent(combo);
    EXPECT_EQ(page.ComboAddString(combo, "720p"), 0);
    EXPECT_EQ(page.ComboAddString(combo, "1080i"), 1);
    page.ComboSetCurSel(combo, 1);
    EXPECT_EQ(page.GetDlgItemText(combo), "1080i");
    page.ComboSetCurSel(combo, 5);
    EXPECT_EQ(page.ComboGetCurSel(combo), -1);
    EXPECT_EQ(page.GetDlgItemText(99999), "");

    // A tip stays with a disabled control, and an empty one removes it.
    page.EnableDlgItem(combo, false);
    page.SetDlgItemTip(combo, "入力信号がありません");
    EXPECT_EQ(page.GetDlgItemTip(combo), "入力信号がありません");
    page.SetDlgItemTip(combo, "");
    EXPECT_EQ(page.GetDlgItemTip(combo), "");
}

// A window that counts the user's tab changes.
class TabWindow : public Dialog {
public:
    TabWindow()
        : Dialog(IDD_VEXILO_DIALOG),
          m_map{&Dialog::ThisMessageMap(), {OnTcnSelChange(IDC_TAB, &TabWindow::Changed)}} {}
    const MessageMap* GetMessageMap() const override { return &m_map; }
    int changes = 0;

private:
    void Changed(NmHdr*, LResult*) { ++changes; }
    MessageMap m_map;
};

TEST(Win32TabCtrl, SelectionFollowsTheKitRules) {
    TabWindow main;
    ASSERT_TRUE(main.Create(IDD_VEXILO_DIALOG, nullptr));
    TabCtrl* tab = main.GetTabCtrl(IDC_TAB);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->InsertItem(0, "RGB (COM3)"), 0);
    EXPECT_EQ(tab->GetCurSel(), 0);  // the first item is selected
    EXPECT_EQ(tab->InsertItem(9, "DVI (COM4)"), 1);
    EXPECT_EQ(tab->GetItemText(1), "DVI (COM4)");
    EXPECT_EQ(tab->SetCurSel(1), 0);
    EXPECT_EQ(tab->SetCurSel(7), -1);
    EXPECT_EQ(main.changes, 0);  // programmatic changes notify nothing
    // The user's choices reach the message map: by keyboard, and as the native control reports.
    tab->SelectNext(1);
    EXPECT_EQ(tab->GetCurSel(), 0);
    NMHDR hdr{win32::Item(main, IDC_TAB), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(win32::Window(main), WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&hdr));
    EXPECT_EQ(main.changes, 2);
    EXPECT_TRUE(tab->DeleteItem(0));
    EXPECT_EQ(tab->GetCurSel(), -1);  // no selection until the next SetCurSel
    EXPECT_GT(tab->RowHeight(), 0);
}

// A page larger than the room left after shrinking the window: the page area scrolls it, and a
// page that fits stays centred.
TEST(Win32TabCtrl, APageLargerThanItsAreaScrolls) {
    TabWindow main;
    ASSERT_TRUE(main.Create(IDD_VEXILO_DIALOG, nullptr));
    auto* tab = dynamic_cast<win32::TabCtrlWindow*>(main.GetTabCtrl(IDC_TAB));
    ASSERT_NE(tab, nullptr);
    Dialog page(IDD_RGB_PAGE);
    ASSERT_TRUE(page.Create(IDD_RGB_PAGE, tab));
    tab->InsertItem(0, "RGB (COM3)");
    tab->PlacePage(page);
    HWND area = tab->PageArea();
    ASSERT_EQ(GetParent(win32::Window(page)), area);
    const Size full = main.GetClientSize();
    main.ShrinkInto({full.width - 200, full.height - 150});

    RECT client{};
    GetClientRect(area, &client);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(area, SB_VERT, &si));
    EXPECT_EQ(static_cast<int>(si.nPage), client.bottom);
    EXPECT_GT(si.nMax + 1, client.bottom);  // the page is taller than what shows
    SendMessageW(area, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(area, WM_HSCROLL, SB_PAGEDOWN, 0);
    RECT at{};
    GetWindowRect(win32::Window(page), &at);
    MapWindowPoints(nullptr, area, reinterpret_cast<POINT*>(&at), 2);
    EXPECT_EQ(at.top, -GetScrollPos(area, SB_VERT));
    EXPECT_LT(at.top, 0);
    EXPECT_LT(at.left, 0);
    SendMessageW(area, WM_VSCROLL, SB_BOTTOM, 0);  // never past the page's end
    GetWindowRect(win32::Window(page), &at);
    MapWindowPoints(nullptr, area, reinterpret_cast<POINT*>(&at), 2);
    EXPECT_EQ(at.bottom, client.bottom);
}

// A window whose modal loop is ended by a posted call and a timer.
class LoopDialog : public Dialog {
public:
    LoopDialog() : Dialog(IDD_VEXILO_DIALOG) {}
    int levelInCall = -1;

private:
    bool OnInitDialog() override {
        PostCall([this] {
            levelInCall = EventLoopLevel();
            SetTimer(7, 10);
        });
        return Dialog::OnInitDialog();
    }
    void OnTimer(int id) override {
        KillTimer(id);
        EndDialog(40 + id);
    }
};

TEST(Win32Dialog, ModalLoopRunsPostedCallsAndTimers) {
    LoopDialog dlg;
    EXPECT_EQ(dlg.DoModal(), 47);
    EXPECT_EQ(dlg.levelInCall, 1);
    EXPECT_EQ(EventLoopLevel(), 0);
    EXPECT_FALSE(dlg.IsWindowVisible());

    // A call posted by a dialog that is gone by then never runs.
    bool ran = false;
    {
        Dialog gone(IDD_VEXILO_DIALOG);
        ASSERT_TRUE(gone.Create(IDD_VEXILO_DIALOG, nullptr));
        gone.PostCall([&ran] { ran = true; });
    }
    Dialog other(IDD_VEXILO_DIALOG);
    ASSERT_TRUE(other.Create(IDD_VEXILO_DIALOG, nullptr));
    bool done = false;
    other.PostCall([&done] { done = true; });
    EXPECT_TRUE(win32::RunLoopUntil(done));
    EXPECT_FALSE(ran);
}

TEST(Win32Tr, EnglishFromTheGeneratedTable) {
    EXPECT_EQ(Tr("Template 102", "キャンセル(&C)"), "キャンセル(&C)");
    win32::UseEnglish(true);
    EXPECT_EQ(Tr("Template 102", "キャンセル(&C)"), "&Cancel");
    EXPECT_EQ(Tr("Template 102", "not in the table"), "not in the table");
    win32::UseEnglish(false);
}

}  // namespace
}  // namespace vexilo::ui
