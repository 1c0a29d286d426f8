#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>

#include "page_converter.h"
#include "protocol/id_record.h"
#include "serial/port_table.h"
#include "support/message_box_recorder.h"
#include "test_page.h"
#include "ui/window_timers.h"

QT_BEGIN_NAMESPACE
// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace vexilo::test {

// A test page on a scripted converter inside a reduced main window; boxes are recorded, timers
// fire by hand.
class PageTest : public ::testing::Test {
protected:
    void TearDown() override { ClearPortTable(); }

    int Port(const std::string& label) { return RegisterPort("", label); }

    // Start-up as the main window runs it: the page does not know its main window yet.
    CTestPage* Start(int kind = 2, const std::string& label = "COM3") {
        return main.Add(MakeLink(model, Port(label), kind));
    }

    // Start-up with the main window already known, so a forced close during start-up shows its
    // box and returns instead of ending the process.
    CTestPage* StartKnown(int kind = 2) {
        main.pages.push_back(std::make_unique<CTestPage>());
        CTestPage* p = main.pages.back().get();
        p->m_pDevice = MakeLink(model, Port("COM3"), kind);
        p->m_pMainDlg = &main;
        main.openTabs += 2;  // as if another tab stays open after a close
        p->Create(134, &main.tab);
        return p;
    }

    // Stores an ID record in the converter's storage block.
    void Store(std::uint8_t enable = 1, std::uint8_t did = 0x5A, const char* sn = "00001234",
               const char* id = "KTPRGB_00001234",
               const QString& name = QString::fromUtf16(u"第1スタジオ カメラ")) {
        IdBlock block = DefaultIdBlock();
        block[kIdOffEnable] = enable;
        block[kIdOffDid] = did;
        std::strncpy(reinterpret_cast<char*>(&block[kIdOffSerial]), sn, kIdSerialMax);
        std::strncpy(reinterpret_cast<char*>(&block[kIdOffId]), id, kIdIdMax);
        const QByteArray utf8 = name.toUtf8();
        std::memcpy(&block[kIdOffName], utf8.constData(), static_cast<std::size_t>(utf8.size()));
        std::uint16_t length = 0;
        ASSERT_TRUE(EncodeIdRecord(block, model->storage, length));
    }

    QString Text(CTestPage* p, int id) const { return p->GetDlgItemText(id); }

    std::shared_ptr<ConverterModel> model = std::make_shared<ConverterModel>();
    ui::ManualTimers manualTimers;
    MessageBoxRecorder boxes;
    FakeMain main;
};

}  // namespace vexilo::test
