#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <array>
#include <string>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/qt_backend.h"
#include "ui/resource.h"

namespace vexilo::ui {
namespace {

TEST(DialogTemplate, ParsesHeaderControlsAndFlags) {
    const auto dlg = ParseDialogTemplate(
        "# comment\n"
        "dialog 7 100 50 popup caption\n"
        "caption \"Title\"\n"
        "font 9 \"Face A\" \"Face B\"\n"
        "edit 10 1 2 3 4 \"text with  spaces\" readonly center tabstop\n"
        "static -1 5 6 7 8 \"\"\n");
    ASSERT_TRUE(dlg);
    EXPECT_EQ(dlg->id, 7);
    EXPECT_EQ(dlg->cx, 100);
    EXPECT_EQ(dlg->style, kDlgPopup | kDlgCaption);
    EXPECT_EQ(dlg->caption, "Title");
    EXPECT_EQ(dlg->fontFamilies, (std::vector<std::string>{"Face A", "Face B"}));
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
        std::string error;
        EXPECT_FALSE(ParseDialogTemplate(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(DialogTemplate, EmbeddedTemplatesLoad) {
    for (int id : {102, 133, 134, 135}) {
        std::string error;
        const auto dlg = LoadDialogTemplate(id, &error);
        ASSERT_TRUE(dlg) << id << ": " << error;
        EXPECT_EQ(dlg->fontFamilies,
                  (std::vector<std::string>{"MS UI Gothic", "IPAPGothic", "Noto Sans CJK JP"}));
        EXPECT_EQ(dlg->pointSize, 9);
    }
    EXPECT_FALSE(LoadDialogTemplate(999));
}

TEST(DialogTemplate, MainWindowTemplate) {
    const auto dlg = LoadDialogTemplate(102);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(dlg->caption, "Vexilo");
    EXPECT_EQ((std::array{dlg->cx, dlg->cy}), (std::array{469, 333}));
    ASSERT_EQ(dlg->controls.size(), 5u);
    const int order[] = {IDC_TAB, 2, IDC_SAVE, 1, IDC_DUMMY};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(dlg->controls[i].id, order[i]);
    }
    EXPECT_EQ(dlg->Find(IDC_TAB)->kind, ControlKind::Tab);
    EXPECT_TRUE(dlg->Find(2)->Has(kNoTabStop));
    EXPECT_EQ(dlg->Find(1)->caption, "設定を保存して終了(&X)");
    EXPECT_TRUE(dlg->Find(IDC_DUMMY)->Has(kDefault));
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
    EXPECT_EQ(MapDialogRect(units, 8, 7, 118, 130), (Rect{12, 11, 177, 195}));
    EXPECT_EQ(MapDialogRect(units, 0, 0, 447, 256), (Rect{0, 0, 671, 384}));
}

TEST(DialogUnits, BaseUnitsComeFromTheLatinAlphabetNotTheAverageWidth) {
    const FontSpec spec = DialogFont({"MS UI Gothic", "Noto Sans CJK JP"}, 9);
    EXPECT_EQ(spec.pixelSize, 12);
    const BaseUnits units = DialogBaseUnits(spec);
    const QFont font = qt::ToQFont(spec);
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
