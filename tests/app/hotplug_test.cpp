// Converters plugged in and out while the panel runs, on a umockdev test bed (run under
// umockdev-wrapper) with the simulator behind each device node: the libudev monitor, the shared
// enumeration, and the main window's new and closed tabs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/hotplug_watcher.h"
#include "app/page_factory.h"
#include "app/vexilo_app.h"
#include "app/vexilo_dlg.h"
#include "discovery/device_monitor.h"
#include "sim/sim_pty_server.h"
#include "support/fake_usb_converter.h"
#include "support/message_box_recorder.h"
#include "ui/qt_backend.h"
#include "ui/window_timers.h"

namespace vexilo {
namespace {

const std::string kNoResponse =
    "デバイスが反応しません\n接続を確認してください\n該当タブを強制クローズします";

std::shared_ptr<CSimConverter> Converter(SimKind kind, SimFirmware firmware = SimFirmware::Main) {
    return std::make_shared<CSimConverter>(SimConfig::For(kind, firmware));
}

// Runs the event loop for `ms` inside whatever runs now, as a modal box's own loop does.
void RunNestedLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Another program holding a converter's port the way the panel holds one (flock).
class PortHolder {
public:
    explicit PortHolder(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
        EXPECT_GE(m_fd, 0) << path;
        EXPECT_EQ(::flock(m_fd, LOCK_EX | LOCK_NB), 0) << path;
    }
    ~PortHolder() { Release(); }
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;
    void Release() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

class HotplugTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(umockdev_in_mock_environment()) << "run under umockdev-wrapper";
    }
    void TearDown() override {
        watcher.reset();
        dlg.reset();
        for (auto& d : devices) {
            if (d->server) {
                bus.Unplug(*d);
            }
        }
    }

    test::FakeUsbBus::Device& Plug(int n, const std::string& name, SimKind kind,
                                   const char* product = "0022",
                                   SimFirmware firmware = SimFirmware::Main) {
        Add(n, name, product);
        bus.Plug(*devices.back(), Converter(kind, firmware));
        return *devices.back();
    }
    // On the bus, not yet plugged in (its node exists, nothing serves it, nothing is told).
    test::FakeUsbBus::Device& Add(int n, const std::string& name, const char* product) {
        devices.push_back(bus.Add(n, name, vendor.c_str(), product));
        return *devices.back();
    }

    void Start(int recheckMs = HotplugWatcher::kRecheckMs) {
        dlg = std::make_unique<CVexiloDlg>(false, ModelPageFactory());
        dlg->Create(IDD_VEXILO_DIALOG, nullptr);
        dlg->ShowWindow(true);
        auto monitor = OpenDeviceMonitor();
        ASSERT_NE(monitor, nullptr);
        watcher = std::make_unique<HotplugWatcher>(*dlg, std::move(monitor), nullptr);
        watcher->SetRecheckInterval(recheckMs);
    }

    std::vector<std::string> Captions() const { return CaptionsOf(*dlg); }
    static std::vector<std::string> CaptionsOf(CVexiloDlg& w) {
        std::vector<std::string> out;
        for (int i = 0; i < w.TabControl().GetItemCount(); ++i) {
            out.push_back(w.TabControl().GetItemText(i));
        }
        return out;
    }
    // The port label of the converter behind each tab, in tab order.
    static std::vector<std::string> TabPortsOf(CVexiloDlg& w) {
        std::vector<std::string> out;
        for (int i = 0; i < w.PageCount(); ++i) {
            if (const CDevDialog* page = w.Page(i); page && page->HasConverter()) {
                out.push_back(page->Device()->Channel().Label());
            }
        }
        return out;
    }

    // Runs the event loop until the tab row reads `expected`, for at most 5 s.
    ::testing::AssertionResult TabsBecome(const std::vector<std::string>& expected) {
        if (QTest::qWaitFor([&] { return Captions() == expected; }, 5000)) {
            return ::testing::AssertionSuccess();
        }
        auto failure = ::testing::AssertionFailure() << "tabs:";
        for (const std::string& c : Captions()) {
            failure << " [" << c << "]";
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
    EXPECT_FALSE(dlg->Page(1)->IsWindowVisible());
    EXPECT_TRUE(boxes.boxes.empty());

    // The shown tab's converter goes: its message at once, and the other tab is shown.
    bus.Unplug(rgb);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM2)"}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, kNoResponse);
    EXPECT_EQ(boxes.boxes[0].caption, "KTP-RGB-SDI (ttyACM0) ERROR");
    EXPECT_TRUE(dlg->Page(1)->IsWindowVisible());

    // Plugged in again (umockdev cannot reuse a node name): a new page at the end; then the
    // hidden one's converter goes and is closed all the same.
    auto& again = Plug(5, "ttyACM3", SimKind::Rgb);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM2)", "KTP-RGB-SDI (ttyACM3)"}));
    bus.Unplug(again);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM2)"}));
    EXPECT_TRUE(dlg->Page(1)->IsWindowVisible());
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

// The whole program's start-up, with its own watcher: a converter plugged in while a start-up box
// is open waits for the window's loop, and every tab shows the converter it names.
TEST_F(HotplugTest, AConverterPluggedInDuringStartUpGetsItsTabAfterwards) {
    Plug(1, "ttyACM0", SimKind::Rgb, "0022", SimFirmware::Boot);
    Plug(2, "ttyACM1", SimKind::Dvi, "0021");
    boxes.onBox = [&] {
        if (boxes.boxes.size() == 1) {  // the boot firmware's box, during start-up
            Plug(3, "ttyACM2", SimKind::Ntsc, "0023");
            RunNestedLoop(500);
        }
    };
    std::vector<std::string> tabs;
    std::vector<std::string> ports;
    CVexiloApp app(ModelPageFactory());
    app.m_onRunning = [&](CVexiloDlg& w) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return CaptionsOf(w).size() >= 2; }, 5000));
        tabs = CaptionsOf(w);
        ports = TabPortsOf(w);
        w.EndDialog(ui::kIdCancel);
    };
    app.InitInstance({"vexilo-panel"});
    EXPECT_EQ(tabs, (std::vector<std::string>{"KTP-DVI-SDI (ttyACM1)", "KTP-NTSC-SDI (ttyACM2)"}));
    EXPECT_EQ(ports, (std::vector<std::string>{"ttyACM1", "ttyACM2"}));
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

// No converter at start and the operator waits: the window opens empty with its note, the first
// converter plugged in gets its tab, shown at once and whole, and closing the window ends
// start-up as usual.
TEST_F(HotplugTest, WithoutConvertersTheOperatorMayWaitForThem) {
    boxes.yesNo = ui::kIdYes;
    std::string waiting;
    std::vector<std::string> tabs;
    bool shown = false;
    CVexiloApp app(ModelPageFactory());
    app.m_onRunning = [&](CVexiloDlg& w) {
        waiting = w.WaitingText();
        EXPECT_EQ(w.TabControl().GetItemCount(), 0);
        Plug(1, "ttyACM0", SimKind::Rgb);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !CaptionsOf(w).empty(); }, 5000));
        tabs = CaptionsOf(w);
        // Shown whole: the empty window made room for a page of any kind.
        const CDevDialog* page = w.Page(0);
        shown = page != nullptr && page->IsWindowVisible() && w.WaitingText().empty() &&
                ui::qt::Widget(w.TabControl())->rect().contains(ui::qt::Window(*page)->geometry());
        ui::qt::Window(w)->close();
    };
    app.InitInstance({"vexilo-panel"});
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, ui::kMbYesNo | ui::kMbIconExclamation | ui::kMbDefButton2);
    EXPECT_EQ(waiting, "コンバーターの接続を待っています。");
    EXPECT_EQ(tabs, std::vector<std::string>{"KTP-RGB-SDI (ttyACM0)"});
    EXPECT_TRUE(shown);
}

// A port held by another program: named in the window at start-up and when plugged in, and the
// converter gets its tab once the port is released.
TEST_F(HotplugTest, HeldPortsAreNamedAndRetriedWhenReleased) {
    Plug(1, "ttyACM0", SimKind::Dvi, "0021");
    auto held = std::make_unique<PortHolder>(Plug(2, "ttyACM1", SimKind::Rgb).node);
    Start(100);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM0)"}));
    EXPECT_EQ(dlg->BusyPortsText(), "他のアプリケーションが使用中: ttyACM1");

    held->Release();
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM0)", "KTP-RGB-SDI (ttyACM1)"}));
    EXPECT_EQ(dlg->BusyPortsText(), "");

    auto& ntsc = Add(3, "ttyACM2", "0023");
    held = std::make_unique<PortHolder>(ntsc.node);
    bus.Plug(ntsc, Converter(SimKind::Ntsc));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg->BusyPortsText().empty(); }, 5000));
    EXPECT_EQ(dlg->BusyPortsText(), "他のアプリケーションが使用中: ttyACM2");
    EXPECT_EQ(Captions().size(), 2u);
    held->Release();
    ASSERT_TRUE(
        TabsBecome({"KTP-DVI-SDI (ttyACM0)", "KTP-RGB-SDI (ttyACM1)", "KTP-NTSC-SDI (ttyACM2)"}));
    EXPECT_TRUE(boxes.boxes.empty());
}

// A converter closed because it stopped answering comes back once it answers: F5 looks at once.
TEST_F(HotplugTest, AConverterThatAnswersAgainIsOfferedAgain) {
    Plug(1, "ttyACM0", SimKind::Dvi, "0021");
    auto& rgb = Plug(2, "ttyACM1", SimKind::Rgb);
    Start(60'000);  // no periodic look within the test: only F5
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM0)", "KTP-RGB-SDI (ttyACM1)"}));

    rgb.model->AddFault({SimFaultKind::WrongCheck, 0, kSimAnyCommand, kSimForever});
    dlg->TabControl().SetCurSel(1);
    dlg->OnTcnSelchangeTab(nullptr, nullptr);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM0)"}));
    ASSERT_EQ(boxes.boxes.size(), 1u);

    // Still answering wrongly: F5 (typed in the page shown) finds nothing to offer, and shows
    // nothing.
    QWidget* shown = ui::qt::Window(*dlg->Page(0));
    QTest::keyClick(shown, Qt::Key_F5);
    EXPECT_FALSE(QTest::qWaitFor([&] { return Captions().size() != 1; }, 500));
    rgb.model->ClearFaults();
    QTest::keyClick(shown, Qt::Key_F5);
    ASSERT_TRUE(TabsBecome({"KTP-DVI-SDI (ttyACM0)", "KTP-RGB-SDI (ttyACM1)"}));
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

// Converters on a simulator's links, which keep their path when the converter is plugged in
// again on a new terminal.
class LinkedSimulator {
public:
    explicit LinkedSimulator(std::vector<SimKind> kinds)
        : m_dir(std::filesystem::temp_directory_path() /
                ("vexilo-replug-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_dir);
        std::string ports;
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            const std::string link = (m_dir / ("sim" + std::to_string(i))).string();
            std::filesystem::create_symlink(
                m_server.AddConverter(std::make_shared<CSimConverter>(SimConfig::For(kinds[i]))),
                link);
            m_links.push_back(link);
            ports += (ports.empty() ? "" : ",") + std::string(i == 0 ? "rgb=" : "dvi=") + link;
        }
        m_server.SetHotplug(0, 0);  // each toggle unplugs or replugs the first converter
        m_server.m_onPathChanged = [this](std::size_t i, const std::string& path) {
            std::filesystem::remove(m_links[i]);
            if (!path.empty()) {
                std::filesystem::create_symlink(path, m_links[i]);
            }
        };
        ::setenv("VEXILO_PORTS", ports.c_str(), 1);
        m_thread = std::thread([this] { m_server.Run(); });
    }
    ~LinkedSimulator() {
        m_server.Stop();
        m_thread.join();
        ::unsetenv("VEXILO_PORTS");
        std::filesystem::remove_all(m_dir);
    }
    LinkedSimulator(const LinkedSimulator&) = delete;
    LinkedSimulator& operator=(const LinkedSimulator&) = delete;

    const std::string& Link(std::size_t i) const { return m_links[i]; }
    // Unplugs or replugs the first converter and waits until its link shows it.
    bool Toggle(bool present) {
        m_server.RequestToggle();
        return QTest::qWaitFor([&] { return std::filesystem::exists(m_links[0]) == present; },
                               5000);
    }

private:
    std::filesystem::path m_dir;
    CSimPtyServer m_server;
    std::vector<std::string> m_links;
    std::thread m_thread;
};

// Unplugged and plugged in again under the same path while a box is open: one replug, so the old
// page closes and the converter gets a new page that talks to it.
TEST_F(HotplugTest, AQuickReplugOnTheSamePathIsSeenAsOne) {
    LinkedSimulator sim({SimKind::Rgb, SimKind::Dvi});
    Start();
    const std::string rgb = "KTP-RGB-SDI (" + sim.Link(0) + ")";
    const std::string dvi = "KTP-DVI-SDI (" + sim.Link(1) + ")";
    ASSERT_TRUE(TabsBecome({rgb, dvi}));

    boxes.onBox = [&] {
        ASSERT_TRUE(sim.Toggle(false));
        ASSERT_TRUE(sim.Toggle(true));
        RunNestedLoop(300);
    };
    ui::ShowMessageBox(dlg.get(), "open", "box", ui::kMbOk);
    boxes.onBox = nullptr;
    ASSERT_TRUE(TabsBecome({dvi, rgb}));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, kNoResponse);
    const CDevDialog* page = dlg->Page(dlg->PageCount() - 1);
    ASSERT_TRUE(page != nullptr && page->HasConverter());
    EXPECT_TRUE(page->Device()->CheckConnection(1, true));
}

}  // namespace
}  // namespace vexilo
