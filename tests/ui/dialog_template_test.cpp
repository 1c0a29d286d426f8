#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <array>

#include "ui/dialog_template.h"
#include "ui/dialog_units.h"

namespace vexilo::ui {
namespace {

TEST(DialogTemplate, ParsesHeaderControlsAndFlags) {
    const auto dlg = ParseDialogTemplate(
        QStringLiteral("# comment\n"
                       "dialog 7 100 50 popup caption\n"
                       "caption \"Title\"\n"
                       "font 9 \"Face A\" \"Face B\"\n"
                       "edit 10 1 2 3 4 \"text with  spaces\" readonly center tabstop\n"
                       "static -1 5 6 7 8 \"\"\n"));
    ASSERT_TRUE(dlg);
    EXPECT_EQ(dlg->id, 7);
    EXPECT_EQ(dlg->cx, 100);
    EXPECT_EQ(dlg->style, kDlgPopup | kDlgCaption);
    EXPECT_EQ(dlg->caption, "Title");
    EXPECT_EQ(dlg->fontFamilies, QStringList({"Face A", "Face B"}));
    ASSERT_EQ(dlg->controls.size(), 2u);
    const ControlTemplate& e = dlg->controls[0];
    EXPECT_EQ(e.kind, ControlKind::Edit);
    EXPECT_EQ(e.caption, "text with  spaces");
    EXPECT_EQ(e.style, kReadOnly | kCenter | kTabStop);
    EXPECT_EQ((std::array{e.x, e.y, e.cx, e.cy}), (std::array{1, 2, 3, 4}));
    EXPECT_EQ(dlg->controls[1].id, kNoId);
}

TEST(DialogTemplate, RejectsMalformedText) {
    const char* const bad[] = {
        "edit 1 0 0 1 1 \"\"",                                       // no dialog line first
        "dialog 1 10 10\nedit 1 0 0 1 1 \"x",                        // unterminated quote
        "dialog 1 10 10\nedit 1 0 0 1 1 \"\" bold",                  // unknown flag
        "dialog 1 10 10\nslider 1 0 0 1 1 \"\"",                     // unknown kind
        "dialog 1 10 10\nedit 1 0 0 1 \"\"",                         // missing size
        "dialog 1 10 10\nedit 5 0 0 1 1 \"\"\nedit 5 0 0 1 1 \"\"",  // duplicate ID
        "dialog 1 0 10",                                             // empty dialog
    };
    for (const char* text : bad) {
        QString error;
        EXPECT_FALSE(ParseDialogTemplate(QString::fromUtf8(text), &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(DialogTemplate, EmbeddedTemplatesLoad) {
    for (int id : {102, 133, 134, 135}) {
        QString error;
        const auto dlg = LoadDialogTemplate(id, &error);
        ASSERT_TRUE(dlg) << id << ": " << error.toStdString();
        EXPECT_EQ(dlg->fontFamilies.value(0), "MS UI Gothic");
        EXPECT_EQ(dlg->fontFamilies.value(1), "IPAPGothic");
        EXPECT_EQ(dlg->fontFamilies.value(2), "Noto Sans CJK JP");
        EXPECT_EQ(dlg->pointSize, 9);
    }
    EXPECT_FALSE(LoadDialogTemplate(999));
}

// The framework's controls, which every page template must hold with these kinds.
struct FrameworkControl {
    int id;
    ControlKind kind;
};
constexpr FrameworkControl kFramework[] = {
    {1013, ControlKind::Edit},   {1015, ControlKind::Edit},   {1012, ControlKind::Edit},
    {1016, ControlKind::Edit},   {1008, ControlKind::Edit},   {1010, ControlKind::Edit},
    {1009, ControlKind::Edit},   {1020, ControlKind::Check},  {1011, ControlKind::Button},
    {1000, ControlKind::Radio},  {1001, ControlKind::Radio},  {1022, ControlKind::Group},
    {1005, ControlKind::Radio},  {1006, ControlKind::Radio},  {1002, ControlKind::Radio},
    {1003, ControlKind::Radio},  {1021, ControlKind::Static}, {1014, ControlKind::Static},
    {1017, ControlKind::Static}, {1018, ControlKind::Button}, {1060, ControlKind::Check},
    {1061, ControlKind::Combo},  {1062, ControlKind::Edit},   {1064, ControlKind::Edit},
    {1065, ControlKind::Edit},   {1067, ControlKind::Static},
};

TEST(DialogTemplate, PageTemplatesHoldTheFrameworkControls) {
    for (int id : {133, 134, 135}) {
        const auto dlg = LoadDialogTemplate(id);
        ASSERT_TRUE(dlg);
        EXPECT_EQ(dlg->style, kDlgChild) << id;
        for (const FrameworkControl& f : kFramework) {
            const ControlTemplate* c = dlg->Find(f.id);
            ASSERT_NE(c, nullptr) << "template " << id << " lacks " << f.id;
            EXPECT_EQ(c->kind, f.kind) << id << "/" << f.id;
        }
        EXPECT_EQ(dlg->Find(1021)->caption, "FPGA Vev. : ");
        EXPECT_EQ(dlg->Find(1067)->caption, "※注記欄");
        EXPECT_TRUE(dlg->Find(1011)->Has(kDefault));
        EXPECT_TRUE(dlg->Find(1061)->Has(kDropDownList | kVScroll));
        for (int start : {1000, 1005, 1002}) {
            EXPECT_TRUE(dlg->Find(start)->Has(kGroupStart)) << id << "/" << start;
        }
        // The ID function group stands at the same place in every page.
        const ControlTemplate* name = dlg->Find(1065);
        EXPECT_EQ((std::array{name->x, name->y, name->cx, name->cy}),
                  (std::array{296, 205, 132, 12}));
    }
}

TEST(DialogTemplate, PageSpecificLayouts) {
    const auto rgb = LoadDialogTemplate(134);
    const auto cvbs = LoadDialogTemplate(135);
    const auto dvi = LoadDialogTemplate(133);
    ASSERT_TRUE(rgb && cvbs && dvi);
    EXPECT_EQ((std::array{rgb->cx, rgb->cy, cvbs->cx, cvbs->cy, dvi->cx, dvi->cy}),
              (std::array{447, 256, 447, 256, 447, 255}));
    // Every up-down control of the adjustment pages takes the edit before it as its buddy.
    for (const auto* dlg : {&*rgb, &*cvbs}) {
        const ControlTemplate* previous = nullptr;
        for (const ControlTemplate& c : dlg->controls) {
            if (c.kind == ControlKind::UpDown) {
                ASSERT_NE(previous, nullptr);
                EXPECT_EQ(previous->kind, ControlKind::Edit) << c.id;
                EXPECT_TRUE(previous->Has(kReadOnly | kCenter)) << previous->id;
                EXPECT_TRUE(c.Has(kAutoBuddy | kSetBuddyInt | kArrowKeys)) << c.id;
            }
            previous = &c;
        }
    }
    EXPECT_EQ(rgb->Find(1004)->caption, "RGB（３線）");
    EXPECT_EQ(cvbs->Find(1003)->caption, "(削除ダメ) 同期可能な場合はスケーリングを行わない");
    EXPECT_TRUE(cvbs->Find(1002)->Has(kGroupStart));
    EXPECT_EQ(dvi->Find(1059)->caption, "+5V Cable Detectをチェックしない");
    EXPECT_TRUE(dvi->Find(1059)->Has(kAuto | kTabStop));
}

TEST(DialogTemplate, MainWindowTemplate) {
    const auto dlg = LoadDialogTemplate(102);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(dlg->caption, "Vexilo");
    EXPECT_EQ((std::array{dlg->cx, dlg->cy}), (std::array{469, 333}));
    ASSERT_EQ(dlg->controls.size(), 5u);
    const int order[] = {1023, 2, 1066, 1, 1056};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(dlg->controls[i].id, order[i]);
    }
    EXPECT_EQ(dlg->Find(1023)->kind, ControlKind::Tab);
    EXPECT_TRUE(dlg->Find(2)->Has(kNoTabStop));
    EXPECT_EQ(dlg->Find(1)->caption, "設定を保存して終了(&X)");
    EXPECT_TRUE(dlg->Find(1056)->Has(kDefault));
}

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
    struct Case {
        int a, b, c, expected;
    };
    const Case cases[] = {{447, 6, 4, 671}, {5, 6, 4, 8},   {1, 6, 4, 2},    {1, 7, 4, 2},
                          {3, 12, 8, 5},    {-5, 6, 4, -8}, {9, 96, 72, 12}, {1, 1, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
    }
}

TEST(DialogUnits, MapsEachCoordinateWithItsOwnBaseUnit) {
    const BaseUnits units{6, 12};
    EXPECT_EQ(MapDialogRect(units, 8, 7, 118, 130), QRect(12, 11, 177, 195));
    EXPECT_EQ(MapDialogRect(units, 0, 0, 447, 256), QRect(0, 0, 671, 384));
}

TEST(DialogUnits, BaseUnitsComeFromTheLatinAlphabetNotTheAverageWidth) {
    const QFont font = DialogFont({"MS UI Gothic", "Noto Sans CJK JP"}, 9);
    EXPECT_EQ(font.pixelSize(), 12);
    const BaseUnits units = DialogBaseUnits(font);
    const QFontMetrics fm(font);
    EXPECT_EQ(units.cy, fm.height());
    const int alphabet = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(units.cx, (alphabet / 26 + 1) / 2);
    EXPECT_GT(units.cx, 3);
    EXPECT_LT(units.cx, 10);
    if (QFontInfo(font).family() == "Noto Sans CJK JP") {
        EXPECT_LT(units.cx, fm.averageCharWidth()) << "the CJK average is a full-width one";
    }
}

}  // namespace
}  // namespace vexilo::ui
