// Converters plugged in and out while the panel runs, on a umockdev test bed (run under
// umockdev-wrapper) with the simulator behind each device node: the libudev monitor, the shared
// enumeration, and the main window's new and closed tabs.
#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/hotplug_watcher.h"
#include "app/page_factory.h"
#include "app/vexilo_dlg.h"
#include "discovery/device_monitor.h"
#include "serial/port_table.h"
#include "support/fake_usb_converter.h"
#include "support/message_box_recorder.h"
#include "ui/window_timers.h"

namespace vexilo {
namespace {

const QString kNoResponse = QString::fromUtf16(
    u"デバイスが反応しません\n接続を確認してください\n該当タブを強制クローズします");

std::shared_ptr<CSimConverter> Converter(SimKind kind) {
    return std::make_shared<CSimConverter>(SimConfig::For(kind));
}

class HotplugTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run under umockdev-wrapper";
        ClearPortTable();
    }
    void TearDown() override {
        watcher.reset();
        dlg.reset();
        for (auto& d : devices) {
            if (d->server) {
                bus.Unplug(*d);
            }
        }
        ClearPortTable();
    }

    test::FakeUsbBus::Device& Plug(int n, const std::string& name, SimKind kind,
                                   const char* product = "0022") {
        devices.push_back(bus.Add(n, name, vendor.c_str(), product));
        bus.Plug(*devices.back(), Converter(kind));
        return *devices.back();
    }

    void Start() {
        dlg = std::make_unique<CVexiloDlg>(false, ModelPageFactory());
        dlg->Create(IDD_VEXILO_DIALOG, nullptr);
        dlg->show();
        auto monitor = OpenDeviceMonitor();
        ASSERT_NE(monitor, nullptr);
        watcher = std::make_unique<HotplugWatcher>(*dlg, std::move(monitor), nullptr);
    }

    std::vector<QString> Captions() const {
        std::vector<QString> out;
        for (int i = 0; i < dlg->TabControl().GetItemCount(); ++i) {
            out.push_back(dlg->TabControl().GetItemText(i));
        }
        return out;
    }

    // Runs the event loop until the tab row reads `expected`, for at most 5 s.
    ::testing::AssertionResult TabsBecome(const std::vector<QString>& expected) {
        if (QTest::qWaitFor([&] { return Captions() == expected; }, 5000)) {
            return ::testing::AssertionSuccess();
        }
        auto failure = ::testing::AssertionFailure() << "tabs:";
        for (const QString& c : Captions()) {
            failure << " [" << c.toStdString() << "]";
        }
        return failure;
    }

    const std::string vendor = UsbVendorIdText();
    test::FakeUsbBus bus;
    std::vector<std::unique_ptr<test::FakeUsbBus::Device>> devices;
    ui::ManualTimers manualTimers;
    test::MessageBoxRecorder boxes;
    std::unique_ptr<CVexiloDlg> dlg;
    std::unique_ptr<HotplugWatcher> watcher;
};

TEST_F(HotplugTest, ConvertersPluggedInGetTabsAtTheEndAndUnpluggedOnesCloseAtOnce) {
    auto& rgb = Plug(1, "ttyACM0", SimKind::Rgb);
    Start();
    ASSERT_TRUE(TabsBecome({"KTP-RGB-SDI (ttyACM0)"}));

    // A tty that is no converter of ours: another vendor, and a converter's IDs on another driver.
    devices.push_back(bus.Add(2, "ttyACM1", "1D6B", "0022"));
    bus.Announce(*devices.back());
    devices.push_back(bus.Add(3, "ttyUSB0", vendor.c_str(), "0022", "usbserial"));
    bus.Announce(*devices.back());
    Plug(4, "ttyACM2", SimKind::Dvi, "0021");
    ASSERT_TRUE(TabsBecome({"KTP-RGB-SDI (ttyACM0)", "KTP-DVI-SDI (ttyACM2)"}));
    EXPECT_FALSE(dlg->Page(1)->isVisible());
    EXPECT_TRUE(boxes.boxes.empty());

    // The shown tab's converter goes: its message at once, and the other tab is shown.
    bus.Unplug(rgb);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM2)"}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kNoResponse);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (ttyACM0) ERROR");
    EXPECT_TRUE(dlg->Page(1)->isVisible());

    // Plugged in again (umockdev cannot reuse a node name): a new page at the end; then the
    // hidden one's converter goes and is closed all the same.
    auto& again = Plug(5, "ttyACM3", SimKind::Rgb);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM2)", "KTP-RGB-SDI (ttyACM3)"}));
    bus.Unplug(again);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM2)"}));
    EXPECT_TRUE(dlg->Page(1)->isVisible());
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(dlg->OpenTabs(), 1);
}

// Closed pages make room: sixteen tabs at most, and a converter beyond that gets none.
TEST_F(HotplugTest, TheSeventeenthConverterGetsNoTabUntilOneHasGone) {
    for (int i = 0; i < 16; ++i) {
        Plug(10 + i, "ttyACM" + std::to_string(i), SimKind::Other, "0020");
    }
    Start();
    ASSERT_EQ(dlg->OpenTabs(), 16);
    Plug(30, "ttyACM16", SimKind::Ntsc, "0023");  // beyond the sixteen listed: nothing
    ASSERT_FALSE(QTest::qWaitFor([&] { return !boxes.boxes.empty(); }, 300));
    EXPECT_EQ(dlg->OpenTabs(), 16);

    // One goes: its tab closes, and the seventeenth is listed now and takes the free place.
    bus.Unplug(*devices[3]);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dlg->OpenTabs() == 16 && Captions().back() == "KTP-NTSC-SDI (ttyACM16)"; },
        5000));
    EXPECT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(dlg->PageCount(), 16);  // the closed page was forgotten to make room
}

}  // namespace
}  // namespace vexilo
