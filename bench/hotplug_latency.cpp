// Hotplug benchmark: the time from a converter's appearance (its udev "add" event on a umockdev
// test bed, with vexilo-sim's model behind the device node) to its tab in a running panel,
// including the new page's whole start-up. Run under umockdev-wrapper; prints every run and the
// median.
//
//   umockdev-wrapper build/dev/bench/bench_hotplug_latency [RUNS]     (default 20)
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/hotplug_watcher.h"
#include "app/page_factory.h"
#include "app/vexilo_dlg.h"
#include "discovery/device_monitor.h"
#include "support/fake_usb_converter.h"
#include "ui/message_box.h"

int main(int argc, char** argv) {
    using namespace vexilo;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ui::SetMessageBoxHandler([](ui::Dialog*, const std::string&, const std::string&, unsigned) {
        return ui::kIdOk;  // the closes of unplugged converters
    });

    test::FakeUsbBus bus;
    if (!umockdev_in_mock_environment()) {
        std::fprintf(stderr, "run under umockdev-wrapper\n");
        return 2;
    }
    const std::string vendor = UsbVendorIdText();
    std::vector<std::unique_ptr<test::FakeUsbBus::Device>> devices;
    auto plug = [&](int n, SimKind kind, const char* product) -> test::FakeUsbBus::Device& {
        devices.push_back(bus.Add(n, "ttyACM" + std::to_string(n), vendor.c_str(), product));
        bus.Plug(*devices.back(), std::make_shared<CSimConverter>(SimConfig::For(kind)));
        return *devices.back();
    };
    plug(0, SimKind::Dvi, "0021");
    CVexiloDlg dlg(false, ModelPageFactory());
    dlg.Create(IDD_VEXILO_DIALOG, nullptr);
    dlg.ShowWindow(true);
    HotplugWatcher watcher(dlg, OpenDeviceMonitor(), nullptr);

    std::vector<double> ms;
    for (int i = 1; i <= runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        test::FakeUsbBus::Device& d = plug(i, SimKind::Rgb, "0022");
        if (!QTest::qWaitFor([&] { return dlg.OpenTabs() == 2; }, 10000)) {
            std::fprintf(stderr, "run %d: no tab within 10 s\n", i);
            return 1;
        }
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        std::printf("run %d: %.1f ms\n", i, ms.back());
        bus.Unplug(d);
        if (!QTest::qWaitFor([&] { return dlg.OpenTabs() == 1; }, 10000)) {
            std::fprintf(stderr, "run %d: the tab did not close\n", i);
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    const double median =
        ms.size() % 2 ? ms[ms.size() / 2] : (ms[ms.size() / 2 - 1] + ms[ms.size() / 2]) / 2;
    std::printf("appearance to tab, median of %d: %.1f ms (min %.1f, max %.1f)\n", runs, median,
                ms.front(), ms.back());
    for (auto& d : devices) {
        if (d->server) {
            bus.Unplug(*d);
        }
    }
    return 0;
}
