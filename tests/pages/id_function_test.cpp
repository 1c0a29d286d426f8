#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "page_fixture.h"
#include "protocol/crc24.h"
#include "protocol/id_record.h"
#include "support/messages.h"
#include "ui/text.h"

namespace vexilo::test {
namespace {

const std::string kErrorCaption = "KTP Series ERROR";

std::string Repeat(const char* unit, int times) {
    std::string s;
    for (int i = 0; i < times; ++i) {
        s += unit;
    }
    return s;
}

// ---- the filters -----------------------------------------------------------------------------

TEST(IdFilters, TextLimits) {
    struct Case {
        std::string (*filter)(const std::string&);
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {&CDevDialog::FilterSnDigits, "12ab34", "1234"},
        {&CDevDialog::FilterSnDigits, "123456789", "12345678"},
        {&CDevDialog::FilterSnDigits, "１２3", "3"},  // full-width digits
        {&CDevDialog::PadSn, "1234", "00001234"},
        {&CDevDialog::PadSn, "x7", "00000007"},
        {&CDevDialog::PadSn, "12345678", "12345678"},
        {&CDevDialog::PadSn, "abc", ""},
        {&CDevDialog::FilterIdText, "abc-def_1", "ABCDEF_1"},
        {&CDevDialog::FilterIdText, "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOP"},
        {&CDevDialog::FilterIdText, "ａb c", "BC"},
        {&CDevDialog::LimitNameUtf8, Repeat("映", 30), Repeat("映", 26)},
        {&CDevDialog::LimitNameUtf8, std::string(80, 'n'), std::string(80, 'n')},
        {&CDevDialog::LimitNameUtf8, std::string(81, 'n'), std::string(80, 'n')},
        // A character outside the BMP is removed whole, never half of it.
        {&CDevDialog::LimitNameUtf8, std::string(77, 'n') + "😀", std::string(77, 'n')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.filter(c.in), c.out) << c.in;
    }
}

TEST(IdFilters, ModelName) {
    EXPECT_EQ(CDevDialog::MakeModelName(1, Kind::Rgb), "KTP-RGB-SDI");
    EXPECT_EQ(CDevDialog::MakeModelName(0, Kind::Ntsc), "KTQ-NTSC-SDI");
    EXPECT_EQ(CDevDialog::MakeModelName(0xFF, Kind::Dvi), "KTP-DVI-SDI");
    EXPECT_EQ(CDevDialog::MakeModelName(1, Kind::Other), "");
    EXPECT_EQ(CDevDialog::MakeModelName(1, static_cast<Kind>(4)), "");
}

// ---- loading ---------------------------------------------------------------------------------

class IdTest : public PageTest {
protected:
    // A started page with the ID function switched on by the operator.
    CTestPage* StartEnabled() {
        CTestPage* page = Start();
        ui::qt::ItemAs<QAbstractButton>(*page, IDC_ID_ENABLE)->click();
        return page;
    }

    // Typing at the end of the text, as after a click behind it.
    void Type(CTestPage* page, int id, const std::string& keys) {
        const int end = ui::Utf16Length(page->GetDlgItemText(id));
        page->EditSetSel(id, end, end);
        QTest::keyClicks(ui::qt::Item(*page, id), QString::fromStdString(keys));
    }
};

TEST_F(IdTest, StoredSettingsAreShownAsStored) {
    Store(1, 0x52, "00001234", "CAM_1", "スタジオＡ");
    CTestPage* page = Start();
    EXPECT_TRUE(page->m_bIdSupported);
    EXPECT_TRUE(page->IsDlgButtonChecked(IDC_ID_ENABLE));
    EXPECT_EQ(Text(page, IDC_ID_DID), "0x52");
    EXPECT_EQ(Text(page, IDC_ID_SN), "00001234");
    EXPECT_EQ(Text(page, IDC_ID_ID), "CAM_1");
    EXPECT_EQ(Text(page, IDC_ID_NAME), "スタジオＡ");
    EXPECT_EQ(page->m_strModelName, "KTP-RGB-SDI");
    EXPECT_EQ(Text(page, IDC_ID_NOTE), kIdNoteSupportedText);
    for (int id : {IDC_ID_ENABLE, IDC_ID_DID, IDC_ID_SN, IDC_ID_ID, IDC_ID_NAME}) {
        EXPECT_TRUE(page->IsDlgItemEnabled(id)) << id;
    }
    EXPECT_EQ(page->ComboGetCount(IDC_ID_DID), 16);
    EXPECT_EQ(page->ComboGetLBText(IDC_ID_DID, 0), "0x50");
    EXPECT_FALSE(page->m_bIdAutoFilled);
    EXPECT_EQ(Count(0x05), 1) << "loading fills nothing in, so one series query";
}

TEST_F(IdTest, AnUnreadableRecordShowsTheDefaults) {
    CTestPage* page = Start();  // a storage block of zeros does not decode
    EXPECT_FALSE(page->IsDlgButtonChecked(IDC_ID_ENABLE));
    EXPECT_EQ(Text(page, IDC_ID_DID), "0x5F");
    EXPECT_FALSE(page->IsDlgItemEnabled(IDC_ID_SN)) << "function off: the fields are disabled";
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_ID_ENABLE));
}

TEST_F(IdTest, UnsupportedConvertersShowTheGroupDisabledWithTheUpdateNote) {
    struct Case {
        const char* what;
        std::optional<std::uint8_t> series;
        std::optional<std::uint16_t> fpga;
        bool supported;
    };
    const Case cases[] = {
        {"series 0xFF", 0xFF, 0x00B4, false}, {"series unanswered", std::nullopt, 0x00B4, false},
        {"FPGA 0x0A9", 1, 0x00A9, false},     {"FPGA unread", 1, std::nullopt, false},
        {"FPGA 0x1000", 1, 0x1000, false},    {"FPGA 0x0AA", 1, 0x00AA, true},
        {"FPGA 0xFFF", 0, 0x0FFF, true},
    };
    for (const Case& c : cases) {
        SimConfig firmware = SimConfig::For(SimKind::Rgb);
        firmware.seriesCode = c.series.value_or(1);
        firmware.fpgaVersion = c.fpga.value_or(0x00B4);
        NewConverter(firmware);
        Store(1, 0x51, "1", "X", "n");
        if (!c.series) {
            Fault(SimFaultKind::Silence, 0x05);
        }
        if (!c.fpga) {
            Fault(SimFaultKind::Silence, 0x01, 1, 3);  // selector 3
        }
        CTestPage* page = Start();
        EXPECT_EQ(page->m_bIdSupported, c.supported) << c.what;
        EXPECT_EQ(page->IsDlgItemEnabled(IDC_ID_ENABLE), c.supported) << c.what;
        EXPECT_EQ(page->IsDlgItemEnabled(IDC_ID_SN), c.supported) << c.what;
        EXPECT_EQ(page->GetDlgItemTip(IDC_ID_ENABLE).empty(), c.supported) << c.what;
        EXPECT_EQ(page->GetDlgItemTip(IDC_ID_NAME).empty(), c.supported) << c.what;
        EXPECT_EQ(Text(page, IDC_ID_NOTE),
                  c.supported ? kIdNoteSupportedText : kIdNoteUnsupportedText)
            << c.what;
        EXPECT_EQ(Count(0x11), c.supported ? 1 : 0) << c.what;
        if (!c.supported) {
            EXPECT_FALSE(page->IsDlgButtonChecked(IDC_ID_ENABLE)) << c.what;
            EXPECT_EQ(Text(page, IDC_ID_SN), "") << c.what;
            EXPECT_EQ(Text(page, IDC_ID_DID), "") << c.what;
            EXPECT_EQ(Text(page, IDC_ID_NAME), "") << c.what;
            // Saving stores nothing of the ID function and asks nothing.
            const int queries = Count(0x05);
            EXPECT_TRUE(page->ApplyIdFunction()) << c.what;
            EXPECT_EQ(Count(0x05), queries) << c.what;
        }
    }
}

TEST_F(IdTest, TheEnableBoxSwitchesTheFields) {
    CTestPage* page = StartEnabled();
    EXPECT_TRUE(page->m_bIdEnable);
    EXPECT_TRUE(page->IsDlgItemEnabled(IDC_ID_NAME));
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_ID_ENABLE)->click();
    EXPECT_FALSE(page->IsDlgItemEnabled(IDC_ID_DID));
    EXPECT_FALSE(page->IsDlgItemEnabled(IDC_ID_NAME));
}

// ---- typing ----------------------------------------------------------------------------------

TEST_F(IdTest, SnKeepsEightDigitsAndIsPaddedOnLeaving) {
    CTestPage* page = StartEnabled();
    Type(page, IDC_ID_SN, "12ab34");
    EXPECT_EQ(Text(page, IDC_ID_SN), "1234");
    EXPECT_EQ(ui::qt::ItemAs<QLineEdit>(*page, IDC_ID_SN)->cursorPosition(), 4);
    page->Dispatch(ui::Notify::EnKillFocus, IDC_ID_SN);
    EXPECT_EQ(Text(page, IDC_ID_SN), "00001234");

    page->SetDlgItemText(IDC_ID_SN, "");
    Type(page, IDC_ID_SN, "123456789");
    EXPECT_EQ(Text(page, IDC_ID_SN), "12345678");
}

TEST_F(IdTest, SnFillsIdAndNameFromTheModel) {
    struct Case {
        std::uint8_t series;
        SimKind kind;
        const char* filled;
    };
    const Case cases[] = {{1, SimKind::Rgb, "KTPRGB_00001234"},
                          {0, SimKind::Ntsc, "KTQNTSC_00001234"},
                          {5, SimKind::Dvi, "KTPDVI_00001234"}};
    for (const Case& c : cases) {
        SimConfig firmware = SimConfig::For(c.kind);
        firmware.seriesCode = c.series;
        NewConverter(firmware);
        CTestPage* page = StartEnabled();
        Type(page, IDC_ID_SN, "1234");
        EXPECT_EQ(Text(page, IDC_ID_ID), c.filled);
        EXPECT_EQ(Text(page, IDC_ID_NAME), c.filled);
        EXPECT_TRUE(page->m_bIdAutoFilled);
    }
}

TEST_F(IdTest, NoAutoFillForAKindWithoutModelName) {
    NewConverter(SimConfig::For(SimKind::Other));
    CTestPage* page = StartEnabled();
    Type(page, IDC_ID_SN, "12");
    EXPECT_EQ(Text(page, IDC_ID_ID), "");
    EXPECT_EQ(Text(page, IDC_ID_NAME), "");
}

TEST_F(IdTest, TheOperatorsIdAndNameStayUntilBothAreEmptied) {
    CTestPage* page = StartEnabled();
    Type(page, IDC_ID_SN, "1");
    EXPECT_EQ(Text(page, IDC_ID_ID), "KTPRGB_00000001");
    Type(page, IDC_ID_SN, "2");
    EXPECT_EQ(Text(page, IDC_ID_ID), "KTPRGB_00000012") << "filled again while auto-filled";

    Type(page, IDC_ID_ID, "x");
    EXPECT_EQ(Text(page, IDC_ID_ID), "KTPRGB_00000012X");
    EXPECT_FALSE(page->m_bIdAutoFilled);
    Type(page, IDC_ID_SN, "3");
    EXPECT_EQ(Text(page, IDC_ID_ID), "KTPRGB_00000012X");
    EXPECT_EQ(Text(page, IDC_ID_NAME), "KTPRGB_00000012");

    page->SetDlgItemText(IDC_ID_ID, "");
    Type(page, IDC_ID_SN, "4");
    EXPECT_EQ(Text(page, IDC_ID_ID), "") << "the Name still holds the operator's text";
    page->SetDlgItemText(IDC_ID_NAME, "");
    Type(page, IDC_ID_SN, "5");
    EXPECT_EQ(Text(page, IDC_ID_ID), "KTPRGB_00012345");
    EXPECT_EQ(Text(page, IDC_ID_NAME), "KTPRGB_00012345");

    // Emptying the SN empties what it filled.
    page->SetDlgItemText(IDC_ID_SN, "");
    EXPECT_EQ(Text(page, IDC_ID_ID), "");
    EXPECT_EQ(Text(page, IDC_ID_NAME), "");
    EXPECT_TRUE(page->m_bIdAutoFilled);
}

TEST_F(IdTest, IdAndNameAreFilteredWhileTyped) {
    CTestPage* page = StartEnabled();
    Type(page, IDC_ID_ID, "abc-def_1");
    EXPECT_EQ(Text(page, IDC_ID_ID), "ABCDEF_1");
    page->SetDlgItemText(IDC_ID_ID, "abcdefghijklmnopqrst");
    EXPECT_EQ(Text(page, IDC_ID_ID), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(ui::qt::ItemAs<QLineEdit>(*page, IDC_ID_ID)->cursorPosition(), 16);
    page->SetDlgItemText(IDC_ID_NAME, Repeat("映", 30));
    EXPECT_EQ(Text(page, IDC_ID_NAME), Repeat("映", 26));
}

// ---- saving ----------------------------------------------------------------------------------

TEST_F(IdTest, ApplyHandsAValidBlockToTheLink) {
    CTestPage* page = StartEnabled();
    page->ComboSetCurSel(IDC_ID_DID, 3);
    Type(page, IDC_ID_SN, "1234");
    page->SetDlgItemText(IDC_ID_NAME, "副調整室");
    const int queries = Count(0x05);
    ASSERT_TRUE(page->ApplyIdFunction());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(Count(0x05), queries + 1) << "the model name is asked again";
    const auto& block = page->Converter()->Id().block;
    EXPECT_EQ(block[kIdOffEnable], 1);
    EXPECT_EQ(block[kIdOffDid], 0x53);
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[kIdOffSerial]), "1234");
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[kIdOffModel]), "KTP-RGB-SDI");
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[kIdOffId]), "KTPRGB_00001234");
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[kIdOffName]), "副調整室");
    EXPECT_TRUE(page->Converter()->Id().owed);

    // The save writes it; the converter then holds the same settings.
    page->CommitSettings(false);
    EXPECT_EQ(Count(0x12), 1);
    IdBlock stored{};
    ASSERT_TRUE(DecodeIdRecord(Sim().IdStorage(), stored));
    EXPECT_EQ(stored, block);
}

TEST_F(IdTest, EachSaveTimeErrorHasItsMessageAndChangesNothing) {
    struct Case {
        const char* what;
        void (*spoil)(CTestPage*);
        const std::string* message;
    };
    // The edits filter what is typed, so these faults are put in the way the page writes.
    const Case cases[] = {
        {"no DID", [](CTestPage* p) { p->ComboSetCurSel(IDC_ID_DID, -1); }, &kIdBadDidText},
        {"name too long",
         [](CTestPage* p) {
             p->m_bSettingText = true;
             p->SetDlgItemText(IDC_ID_NAME, std::string(81, 'n'));
             p->m_bSettingText = false;
         },
         &kIdConvertFailedText},
        {"no code-page form",
         [](CTestPage* p) {
             p->m_bSettingText = true;
             p->SetDlgItemText(IDC_ID_ID, "\u00E9\u0301");
             p->m_bSettingText = false;
         },
         &kIdConvertFailedText},
        {"not ASCII",
         [](CTestPage* p) {
             p->m_bSettingText = true;
             p->SetDlgItemText(IDC_ID_ID, "ＡＢ");
             p->m_bSettingText = false;
         },
         &kIdCheckFailedText},
    };
    for (const Case& c : cases) {
        NewConverter();
        CTestPage* page = StartEnabled();
        Type(page, IDC_ID_SN, "7");
        const auto before = page->Converter()->Id().block;
        const bool changedBefore = page->Converter()->Id().owed;
        boxes.boxes.clear();
        c.spoil(page);
        EXPECT_FALSE(page->ApplyIdFunction()) << c.what;
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.what;
        EXPECT_EQ(boxes.boxes[0].text, *c.message) << c.what;
        EXPECT_EQ(boxes.boxes[0].caption, kErrorCaption);
        EXPECT_EQ(boxes.boxes[0].style, ui::kMbIconExclamation | ui::kMbOk);
        EXPECT_EQ(page->Converter()->Id().block, before) << c.what;
        EXPECT_EQ(page->Converter()->Id().owed, changedBefore) << c.what;
        // The save sends nothing after the message.
        const std::size_t sent = Sim().Log().size();
        page->CommitSettings(false);
        EXPECT_EQ(Sim().Log().size(), sent + 1) << c.what << ": only the series query";
    }
}

TEST_F(IdTest, WithTheFunctionSwitchedOffTheBlockStillCarriesTheTexts) {
    Store(1, 0x55, "00000042", "ABC", "name");
    CTestPage* page = Start();
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_ID_ENABLE)->click();  // off
    ASSERT_TRUE(page->ApplyIdFunction());
    const auto& block = page->Converter()->Id().block;
    EXPECT_EQ(block[kIdOffEnable], 0);
    EXPECT_EQ(block[kIdOffDid], 0x55);
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[kIdOffId]), "ABC");
}

// ---- what a save leaves of the converter's record ---------------------------------------------

using Storage = std::array<std::uint8_t, kSimIdStorageSize>;
using Item = std::pair<std::uint8_t, std::string>;

// A storage block holding a record with exactly these items, coded by hand.
Storage RecordOf(std::uint8_t enable, std::uint8_t did, const std::vector<Item>& items) {
    Storage s{};
    std::size_t p = 7;
    for (const auto& [type, value] : items) {
        s[p++] = type;
        s[p++] = static_cast<std::uint8_t>(value.size());
        std::memcpy(&s[p], value.data(), value.size());
        p += value.size();
    }
    const int listLength = static_cast<int>(p - 7);
    s[0] = 0x01;
    s[1] = enable;
    s[2] = static_cast<std::uint8_t>(listLength + 4);
    s[3] = 0x01;
    s[4] = static_cast<std::uint8_t>(listLength);
    s[5] = did;
    s[6] = 0xFC;
    const std::uint32_t crc = Crc24(s.data(), static_cast<std::uint16_t>(p));
    s[p] = crc & 0xFF;
    s[p + 1] = (crc >> 8) & 0xFF;
    s[p + 2] = (crc >> 16) & 0xFF;
    s[1000] = 0x5A;  // the converter's own bytes past the record area
    return s;
}

// A record with an item type the panel does not know and a Name that is not UTF-8.
std::vector<Item> ForeignItems(const std::string& sn, const std::string& model = "KTP-RGB-SDI") {
    return {{0x01, "E-AUXTAG"},
            {0x02, "0001"},
            {0x03, model},
            {0x04, sn},
            {0x10, "CAM_7"},
            {0x11,
             "\xFF\xFE"
             "ab"},
            {0x42, "vendor data"}};
}

TEST_F(IdTest, AnUntouchedIdGroupLeavesTheStoredRecordAsItIs) {
    struct Case {
        const char* what;
        SimFaultKind fault;  // on the start-up read only
        int value;
    };
    const Case cases[] = {
        {"time-out", SimFaultKind::Silence, 0},
        {"1023-byte reply", SimFaultKind::WrongLength, -1},
        {"error code", SimFaultKind::ErrorCode, 0x0C},
        {"nothing failed; unknown item and undecodable Name", SimFaultKind::Delay, 0},
    };
    for (const Case& c : cases) {
        NewConverter();
        const Storage stored = RecordOf(1, 0x53, ForeignItems("00000042"));
        Sim().SetIdStorage(stored);
        Fault(c.fault, 0x11, 1, 0, c.value);
        CTestPage* page = Start();
        page->CommitSettings(false);
        EXPECT_EQ(Sim().IdStorage(), stored) << c.what;
        EXPECT_EQ(Count(0x12), 0) << c.what;
        EXPECT_EQ(Count(0x09), 1) << c.what << ": the settings are still saved";
    }
}

TEST_F(IdTest, ASaveReplacesOnlyTheFieldsTheOperatorChanged) {
    // Read at start-up, or not (the page then shows defaults): either way SN alone changes.
    for (const bool readFails : {false, true}) {
        NewConverter();
        Sim().SetIdStorage(RecordOf(1, 0x53, ForeignItems("00000042")));
        if (readFails) {
            Fault(SimFaultKind::Silence, 0x11, 1);
        }
        CTestPage* page = Start();
        if (readFails) {
            ui::qt::ItemAs<QAbstractButton>(*page, IDC_ID_ENABLE)->click();  // on, as it already is
        }
        page->SetDlgItemText(IDC_ID_ID, "CAM_7");  // as stored; SN then fills nothing in
        page->SetDlgItemText(IDC_ID_SN, "");
        Type(page, IDC_ID_SN, "77");
        page->CommitSettings(false);
        EXPECT_EQ(Sim().IdStorage(), RecordOf(1, 0x53, ForeignItems("77"))) << readFails;
    }
}

TEST_F(IdTest, FactorySettingsResetTheStoredRecordAtTheNextSave) {
    Sim().SetIdStorage(RecordOf(1, 0x53, ForeignItems("00000042")));
    Fault(SimFaultKind::Silence, 0x11, 1);  // the page shows the defaults already
    CTestPage* page = Start();
    boxes.yesNo = ui::kIdYes;
    ui::qt::ItemAs<QAbstractButton>(*page, IDC_FACTORY)->click();
    page->CommitSettings(false);
    EXPECT_EQ(Sim().IdStorage(), RecordOf(0, 0x5F,
                                          {{0x01, "E-AUXTAG"},
                                           {0x02, "0001"},
                                           {0x03, "KTP-RGB-SDI"},
                                           {0x04, ""},
                                           {0x10, ""},
                                           {0x11, ""},
                                           {0x42, "vendor data"}}));
}

// What the block holds after the save wrote the whole `block`: the record, the rest of the record
// area cleared, the converter's bytes beyond it and the last four as they were.
Storage Written(Storage storage, const IdBlock& block) {
    std::array<std::uint8_t, kIdRecordMax> record{};
    std::uint16_t length = 0;
    EXPECT_TRUE(EncodeIdRecord(block, record, length));
    std::copy(record.begin(), record.end(), storage.begin());
    return storage;
}

IdBlock BlockOf(std::uint8_t enable, std::uint8_t did, const char* sn, const char* model,
                const char* id) {
    IdBlock b = DefaultIdBlock();
    b[kIdOffEnable] = enable;
    b[kIdOffDid] = did;
    std::strncpy(reinterpret_cast<char*>(&b[kIdOffSerial]), sn, kIdSerialMax);
    std::strncpy(reinterpret_cast<char*>(&b[kIdOffModel]), model, kIdModelMax);
    std::strncpy(reinterpret_cast<char*>(&b[kIdOffId]), id, kIdIdMax);
    return b;
}

TEST_F(IdTest, EverySaveComparesWithTheRecordTheConverterHoldsNow) {
    const Storage good = RecordOf(1, 0x53, ForeignItems("00000042"));
    Storage damaged = good;  // two flipped bits: the record fails its CRC
    damaged[12] ^= 0x01;
    damaged[13] ^= 0x01;
    Storage blank{};
    blank.fill(0xFF);
    struct Case {
        const char* what;
        Storage atStartUp, atSave, expected;
    };
    const Case cases[] = {
        {"stale model name", RecordOf(1, 0x53, ForeignItems("00000042", "KTP-DVI-SDI")),
         RecordOf(1, 0x53, ForeignItems("00000042", "KTP-DVI-SDI")), good},
        {"empty model name", RecordOf(1, 0x53, ForeignItems("00000042", "")),
         RecordOf(1, 0x53, ForeignItems("00000042", "")), good},
        {"undecodable at start-up, whole at save", damaged, good, good},
        // The Name that is not UTF-8 showed empty, and the page's whole block is what it has.
        {"whole at start-up, blank at save", good, blank,
         Written(blank, BlockOf(1, 0x53, "00000042", "KTP-RGB-SDI", "CAM_7"))},
    };
    for (const Case& c : cases) {
        NewConverter();
        Sim().SetIdStorage(c.atStartUp);
        CTestPage* page = Start();
        Sim().SetIdStorage(c.atSave);
        const int reads = Count(0x11);
        page->CommitSettings(false);  // the ID group untouched
        EXPECT_EQ(Count(0x11), reads + 1) << c.what;
        EXPECT_EQ(Sim().IdStorage(), c.expected) << c.what;
        EXPECT_EQ(Count(0x09), 1) << c.what;
    }
}

TEST_F(IdTest, AKindWithoutModelNameKeepsTheStoredOne) {
    NewConverter(SimConfig::For(SimKind::Other));
    const Storage stored = RecordOf(1, 0x53, ForeignItems("00000042", "KTP-XYZ"));
    Sim().SetIdStorage(stored);
    CTestPage* page = Start();
    page->CommitSettings(false);
    EXPECT_EQ(Sim().IdStorage(), stored);
}

TEST_F(IdTest, AfterAFailedReadTheSnFillsNothingIn) {
    Sim().SetIdStorage(RecordOf(1, 0x53, ForeignItems("00000042")));
    Fault(SimFaultKind::Silence, 0x11, 1);
    CTestPage* page = StartEnabled();
    EXPECT_EQ(Text(page, IDC_ID_NOTE), kIdNoteUnreadText);
    Type(page, IDC_ID_SN, "77");
    EXPECT_EQ(Text(page, IDC_ID_ID), "");
    EXPECT_EQ(Text(page, IDC_ID_NAME), "");
    page->CommitSettings(false);
    EXPECT_EQ(Sim().IdStorage(), RecordOf(1, 0x53, ForeignItems("77")));
}

}  // namespace
}  // namespace vexilo::test
