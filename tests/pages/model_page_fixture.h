#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "pages/main_window.h"
#include "pages/model_pages.h"
#include "protocol/dev_link.h"
#include "sim/sim_comm.h"
#include "sim/sim_converter.h"
#include "support/message_box_recorder.h"
#include "support/messages.h"
#include "ui/qt_backend.h"
#include "ui/window_timers.h"

namespace vexilo {
inline void PrintTo(const SimRequest& r, std::ostream* os) {
    *os << "{0x" << std::hex << int(r.command) << ":";
    for (std::uint8_t b : r.data) {
        *os << ' ' << int(b);
    }
    *os << std::dec << '}';
}
}  // namespace vexilo

namespace vexilo::test {

// The main window as far as the model pages use it.
class ModelMain : public IMainWindow {
public:
    ModelMain() { tab.resize(800, 640); }

    ui::TabCtrl& TabControl() override { return tab; }
    int PageCount() const override { return static_cast<int>(pages.size()); }
    CDevDialog* Page(int index) const override { return pages.at(index).get(); }
    int& OpenTabs() override { return openTabs; }
    void OnTcnSelchangeTab(ui::NmHdr*, ui::LResult*) override { ++selChanges; }
    void OnLastTabClosed() override { ++lastTabClosed; }

    ui::qt::TabCtrlWidget tab;
    std::vector<std::unique_ptr<CDevDialog>> pages;  // in `tab`, so declared after it
    int openTabs = 0;
    int selChanges = 0;
    int lastTabClosed = 0;
};

// Requests as the simulator logs them.
inline SimRequest Req(std::uint8_t command, std::vector<std::uint8_t> data = {}) {
    return SimRequest{command, std::move(data)};
}
inline SimRequest GetAdj(std::uint8_t index) {
    return Req(0x07, {0x01, index});
}
inline SimRequest SetAdj(std::uint8_t index, std::uint16_t value) {
    return Req(0x08, {0x01, index, static_cast<std::uint8_t>(value & 0xFF),
                      static_cast<std::uint8_t>(value >> 8)});
}
inline SimRequest QueryFormat() {
    return Req(0x0F);
}

// A model page from the factory on a simulated converter, inside a reduced main window. Boxes
// are recorded and answered, timers fire by hand.
class ModelPageTest : public ::testing::Test {
protected:
    // A fresh converter of `kind` running `firmware`, or as `config` describes it.
    void NewSim(SimKind kind, SimFirmware firmware = SimFirmware::Main) {
        sim = std::make_shared<CSimConverter>(SimConfig::For(kind, firmware));
    }
    void NewSim(const SimConfig& config) { sim = std::make_shared<CSimConverter>(config); }

    // Start-up as the main window runs it, except that the page knows its main window from the
    // start, so a forced close during start-up returns.
    template <class Page>
    Page* Start(Kind kind) {
        std::unique_ptr<CDevDialog> created = CreateDevicePage(kind);
        Page* page = dynamic_cast<Page*>(created.get());
        EXPECT_NE(page, nullptr) << "kind " << KindName(kind);
        if (page == nullptr) {
            return nullptr;
        }
        main.pages.push_back(std::move(created));
        const Port port{{}, "COM3", kind, {}};
        page->UseDevice(std::make_unique<CDevLink>(
            std::make_unique<CDevChannel>(std::make_unique<CSimComm>(sim), port.label), kind));
        page->JoinMainWindow(&main, -1);
        ++main.openTabs;
        page->Create(PageTemplateId(kind), &main.tab);
        page->SetComPort(port);
        page->JoinMainWindow(&main, static_cast<int>(main.pages.size()) - 1);
        if (page->HasConverter()) {
            main.tab.InsertItem(page->TabIndex(), page->TabTitle());
        }
        return page;
    }

    // What the page sent since the last Mark().
    void Mark() { mark = sim->Log().size(); }
    std::vector<SimRequest> Sent() const {
        const auto log = sim->Log();
        return {log.begin() + static_cast<std::ptrdiff_t>(std::min(mark, log.size())), log.end()};
    }

    static void Step(CDevDialog* page, int spinId, int direction) {
        ui::UpDown* spin = page->GetUpDown(spinId);
        ASSERT_NE(spin, nullptr) << spinId;
        spin->Step(direction);
    }
    static int Pos(CDevDialog* page, int spinId) {
        ui::UpDown* spin = page->GetUpDown(spinId);
        return spin != nullptr ? spin->GetPos32() : -99999;
    }

    std::shared_ptr<CSimConverter> sim =
        std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    std::size_t mark = 0;
    ui::ManualTimers manualTimers;
    MessageBoxRecorder boxes;
    ModelMain main;
};

}  // namespace vexilo::test
