#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "protocol/id_record.h"
#include "sim/sim_comm.h"
#include "sim/sim_converter.h"
#include "support/message_box_recorder.h"
#include "test_page.h"
#include "ui/window_timers.h"

namespace vexilo::test {

// A test page on a simulated converter inside a reduced main window; message boxes are
// recorded, timers fire by hand.
class PageTest : public ::testing::Test {
protected:
    // The converter of the next page, made from `config` on first use, so a test can change
    // the firmware first and script the converter afterwards.
    CSimConverter& Sim() {
        if (!sim) {
            sim = std::make_shared<CSimConverter>(config);
        }
        return *sim;
    }
    // Starts over with a new converter (table-driven tests).
    void NewConverter(const SimConfig& c = SimConfig::For(SimKind::Rgb)) {
        config = c;
        sim.reset();
    }

    std::unique_ptr<CDevLink> Link(const std::shared_ptr<CSimConverter>& converter,
                                   const std::string& label) {
        return std::make_unique<CDevLink>(
            std::make_unique<CDevChannel>(std::make_unique<CSimComm>(converter), label),
            converter->Config().kind);
    }

    // Start-up as the main window runs it: the page does not know its main window yet.
    CTestPage* Start(const std::string& label = "COM3") {
        Sim();
        return main.Add(Link(sim, label));
    }
    // Another page with a converter of its own.
    CTestPage* StartOther(const std::string& label) {
        return main.Add(Link(std::make_shared<CSimConverter>(config), label));
    }
    // Start-up with the main window already known: a forced close during start-up shows its box
    // and closes the page's tab in that window.
    CTestPage* StartKnown() {
        Sim();
        main.pages.push_back(std::make_unique<CTestPage>());
        CTestPage* p = main.pages.back().get();
        p->UseDevice(Link(sim, "COM3"));
        p->JoinMainWindow(&main, -1);
        ++main.openTabs;
        p->Create(134, &main.tab);
        return p;
    }

    // Stores an ID record in the converter's storage block.
    void Store(std::uint8_t enable = 1, std::uint8_t did = 0x5A, const char* sn = "00001234",
               const char* id = "KTPRGB_00001234", const std::string& name = "第1スタジオ カメラ") {
        IdBlock block = DefaultIdBlock();
        block[kIdOffEnable] = enable;
        block[kIdOffDid] = did;
        std::strncpy(reinterpret_cast<char*>(&block[kIdOffSerial]), sn, kIdSerialMax);
        std::strncpy(reinterpret_cast<char*>(&block[kIdOffId]), id, kIdIdMax);
        std::memcpy(&block[kIdOffName], name.data(), name.size());
        std::array<std::uint8_t, kSimIdStorageSize> storage{};
        std::uint16_t length = 0;
        ASSERT_TRUE(EncodeIdRecord(block, storage, length));
        Sim().SetIdStorage(storage);
    }

    // A fault on every request with `command`, or on `count` of them after `skip`.
    void Fault(SimFaultKind kind, int command, int count = kSimForever, int skip = 0,
               int value = 0) {
        Sim().AddFault({kind, value, command, count, skip});
    }

    int Count(std::uint8_t command) {
        int n = 0;
        for (const SimRequest& r : Sim().Log()) {
            n += r.command == command ? 1 : 0;
        }
        return n;
    }
    // Data of the last request with `command` (empty when there was none).
    std::vector<std::uint8_t> LastData(std::uint8_t command) {
        const auto log = Sim().Log();
        for (auto it = log.rbegin(); it != log.rend(); ++it) {
            if (it->command == command) {
                return it->data;
            }
        }
        return {};
    }

    std::string Text(CTestPage* p, int id) const { return p->GetDlgItemText(id); }

    SimConfig config = SimConfig::For(SimKind::Rgb);
    std::shared_ptr<CSimConverter> sim;
    ui::ManualTimers manualTimers;
    MessageBoxRecorder boxes;
    FakeMain main;
};

}  // namespace vexilo::test
