// Every caption fits its control in every template, in Japanese and in English, with the CJK
// fonts a Linux desktop has; ctest runs this program at scale 1, 1.5 and 2. The English texts
// carry no Japanese, and a window too large for the screen shrinks until it fits, keeping its
// buttons and tab row in view.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QXmlStreamReader>
#include <ostream>
#include <string>
#include <tuple>

#include "app/language.h"
#include "ui/dialog.h"
#include "ui/dialog_fit.h"
#include "ui/qt_backend.h"
#include "ui/resource.h"

namespace vexilo {

// Readable parameters in test names and failure messages.
void PrintTo(Language language, std::ostream* os) {
    *os << (language == Language::English ? "en" : "ja");
}

namespace {

const int kTemplates[] = {102, 133, 134, 135};

bool HasJapanese(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // Kana, CJK ideographs and punctuation, full-width forms, the reference mark.
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
            (u >= 0xFF00 && u <= 0xFFEF) || u == 0x203B) {
            return true;
        }
    }
    return false;
}

bool HasJapanese(const std::string& utf8) {
    return HasJapanese(QString::fromStdString(utf8));
}

QString WithoutMnemonic(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

// What the control needs across: its text's advance plus what the style draws beside it.
int NeededWidth(QWidget* w, const QString& text) {
    const int advance = w->fontMetrics().horizontalAdvance(WithoutMnemonic(text));
    if (qobject_cast<QCheckBox*>(w) != nullptr || qobject_cast<QRadioButton*>(w) != nullptr) {
        return w->sizeHint().width();  // indicator, spacing and text, as the style lays them out
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->style()
            ->sizeFromContents(QStyle::CT_PushButton, &option, QSize(advance, 0), button)
            .width();
    }
    if (qobject_cast<QGroupBox*>(w) != nullptr) {
        // The title's inset and padding, and the frame on both sides.
        return ui::kGroupTitleLeft + 2 * ui::kGroupTitlePadding + advance + 2;
    }
    if (qobject_cast<QLineEdit*>(w) != nullptr) {
        return advance + 2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
    }
    return advance;
}

using FitCase = std::tuple<int, Language, std::string>;

class CaptionFitTest : public ::testing::TestWithParam<FitCase> {
protected:
    void TearDown() override { InstallLanguage(Language::Japanese); }
};

TEST_P(CaptionFitTest, EveryCaptionFitsItsControl) {
    const auto [templateId, language, family] = GetParam();
    ASSERT_TRUE(InstallLanguage(language));
    const ui::FontSpec font = ui::DialogFont({family}, 9);
    if (QFontInfo(ui::qt::ToQFont(font)).family() != QString::fromStdString(family)) {
        GTEST_SKIP() << family << " is not installed";
    }
    ui::qt::TabCtrlWidget parent;
    ui::Dialog dlg;
    dlg.SetLayout({font, ui::DialogBaseUnits(font)});
    ASSERT_TRUE(dlg.Create(templateId, &parent));
    int checked = 0;
    for (const auto& [tpl, w] : ui::qt::Controls(dlg)) {
        QString text;
        if (auto* box = qobject_cast<QGroupBox*>(w)) {
            text = box->title();
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            text = label->wordWrap() ? QString() : label->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            text = button->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            text = edit->text();
        }
        if (text.isEmpty() || w->isHidden()) {
            continue;
        }
        ++checked;
        EXPECT_LE(NeededWidth(w, text), w->width())
            << "\"" << text.toStdString() << "\" (control " << tpl->id << " at " << tpl->x << ","
            << tpl->y << ")";
    }
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(
    TemplatesLanguagesFonts, CaptionFitTest,
    ::testing::Combine(::testing::ValuesIn(kTemplates),
                       ::testing::Values(Language::Japanese, Language::English),
                       ::testing::Values(std::string("IPAPGothic"),
                                         std::string("Noto Sans CJK JP"))),
    [](const ::testing::TestParamInfo<FitCase>& info) {
        QString name = QStringLiteral("T%1_%2_%3")
                           .arg(std::get<0>(info.param))
                           .arg(std::get<1>(info.param) == Language::English ? "en" : "ja")
                           .arg(QString::fromStdString(std::get<2>(info.param)));
        return name.remove(QLatin1Char(' ')).toStdString();
    });

TEST(EnglishTexts, NoJapaneseInAnyTemplateCaptionOrTranslatedText) {
    ASSERT_TRUE(InstallLanguage(Language::English));
    for (const int id : kTemplates) {
        const auto tpl = ui::LoadDialogTemplate(id);
        ASSERT_TRUE(tpl);
        for (const ui::ControlTemplate& c : tpl->controls) {
            EXPECT_FALSE(HasJapanese(c.caption)) << id << ": " << c.caption;
        }
    }
    InstallLanguage(Language::Japanese);

    // Every text the sources hold, with its English, as lupdate wrote them down.
    QFile ts(QStringLiteral(VEXILO_TS_FILE));
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&ts);
    int messages = 0;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            ++messages;
            const bool unfinished = !xml.attributes().value("type").isEmpty();
            const QString english = xml.readElementText();
            EXPECT_FALSE(unfinished || english.isEmpty() || HasJapanese(english))
                << source.toStdString() << " -> " << english.toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(messages, 0);
}

TEST(ScreenFit, AWindowLargerThanTheScreenShrinksItsFontUntilItFitsOrReachesItsFloor) {
    const auto window = ui::LoadDialogTemplate(102);
    const auto page = ui::LoadDialogTemplate(134);
    ASSERT_TRUE(window && page);
    const ui::DialogLayout roomy = ui::FitLayout(*window, {&*page}, {4000, 4000});
    const ui::Size full = ui::MapDialogRect(roomy.units, 0, 0, window->cx, window->cy).GetSize();

    const ui::Size screen{full.width * 9 / 10, full.height * 9 / 10};
    const ui::DialogLayout fitted = ui::FitLayout(*window, {&*page}, screen);
    const ui::Size size = ui::MapDialogRect(fitted.units, 0, 0, window->cx, window->cy).GetSize();
    EXPECT_LE(size.width, screen.width);
    EXPECT_LE(size.height, screen.height);
    EXPECT_LT(fitted.font.pixelSize, roomy.font.pixelSize);
    // The page's captions still fit at the smaller font.
    EXPECT_GE(fitted.units.cx, ui::FittingUnits(*page, fitted.font).cx);

    // On a tiny screen the font stops at three quarters of its size; the window scrolls.
    const ui::DialogLayout tiny = ui::FitLayout(*window, {&*page}, {100, 100});
    EXPECT_EQ(tiny.font.pixelSize, roomy.font.pixelSize * 3 / 4);
}

// Laptop screens at their usual desktop scale: the main window with every page kind fits, the
// three buttons and the tab row stay on screen outside any scrolling, and the page area scrolls
// over the whole page.
struct Screen {
    int width, height;
    double scale;
};
using ScreenCase = std::tuple<Screen, Language, std::string>;

class ScreenFitTest : public ::testing::TestWithParam<ScreenCase> {
protected:
    void TearDown() override { InstallLanguage(Language::Japanese); }
};

TEST_P(ScreenFitTest, ButtonsAndTabRowStayInViewAndThePageAreaScrolls) {
    const auto [screen, language, family] = GetParam();
    ASSERT_TRUE(InstallLanguage(language));
    if (QFontInfo(ui::qt::ToQFont(ui::DialogFont({family}, 9))).family() !=
        QString::fromStdString(family)) {
        GTEST_SKIP() << family << " is not installed";
    }
    auto window = ui::LoadDialogTemplate(IDD_VEXILO_DIALOG);
    ASSERT_TRUE(window);
    window->fontFamilies = {family};
    std::vector<ui::DialogTemplate> pages;
    for (const int id : {IDD_DVI_PAGE, IDD_RGB_PAGE, IDD_NTSC_PAGE}) {
        pages.push_back(*ui::LoadDialogTemplate(id));
    }
    const std::vector<const ui::DialogTemplate*> inner{&pages[0], &pages[1], &pages[2]};
    const ui::Size room = ui::ClientAreaOn({static_cast<int>(screen.width / screen.scale),
                                            static_cast<int>(screen.height / screen.scale)});
    const ui::DialogLayout layout = ui::FitLayout(*window, inner, room);

    ui::Dialog dlg;
    dlg.SetLayout(layout);
    ASSERT_TRUE(dlg.Create(IDD_VEXILO_DIALOG, nullptr));
    EXPECT_TRUE(dlg.ShrinkInto(room));
    EXPECT_LE(dlg.GetClientSize().width, room.width);
    EXPECT_LE(dlg.GetClientSize().height, room.height);
    ui::TabCtrl* tab = dlg.GetTabCtrl(IDC_TAB);
    ASSERT_NE(tab, nullptr);
    const QRect client = ui::qt::Window(dlg)->rect();
    const QRect tabRect = ui::qt::ToQRect(dlg.GetDlgItemRect(IDC_TAB));
    EXPECT_TRUE(client.contains(tabRect));
    for (const int id : {int{ui::kIdOk}, int{ui::kIdCancel}, int{IDC_SAVE}}) {
        const QRect button = ui::qt::ToQRect(dlg.GetDlgItemRect(id));
        EXPECT_TRUE(client.contains(button)) << id;
        EXPECT_GT(button.top(), tabRect.bottom()) << id;
    }

    tab->InsertItem(0, "KTP-RGB-SDI (ttyACM0)");
    ui::Dialog page;
    page.SetLayout(dlg.Layout());
    ASSERT_TRUE(page.Create(IDD_RGB_PAGE, tab));
    tab->PlacePage(page);
    QWidget* area = ui::qt::Widget(*tab)->PageArea();
    EXPECT_EQ(ui::qt::Window(page)->parentWidget(), area);
    EXPECT_TRUE(area->rect().contains(ui::qt::Window(page)->geometry()));
}

INSTANTIATE_TEST_SUITE_P(
    Laptops, ScreenFitTest,
    ::testing::Combine(::testing::Values(Screen{1280, 800, 1.5}, Screen{1366, 768, 1.25}),
                       ::testing::Values(Language::Japanese, Language::English),
                       ::testing::Values(std::string("IPAPGothic"),
                                         std::string("Noto Sans CJK JP"))),
    [](const ::testing::TestParamInfo<ScreenCase>& info) {
        const Screen s = std::get<0>(info.param);
        QString name = QStringLiteral("S%1x%2_%3_%4_%5")
                           .arg(s.width)
                           .arg(s.height)
                           .arg(static_cast<int>(s.scale * 100))
                           .arg(std::get<1>(info.param) == Language::English ? "en" : "ja")
                           .arg(QString::fromStdString(std::get<2>(info.param)));
        return name.remove(QLatin1Char(' ')).toStdString();
    });

}  // namespace
}  // namespace vexilo
