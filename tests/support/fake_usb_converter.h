#pragma once
// Converters plugged in and out of a umockdev test bed, each served by the simulator on the
// pseudo-terminal behind its device node. The program must run under umockdev-wrapper.

#include <umockdev.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "sim/sim_converter.h"
#include "sim/sim_pty_server.h"

namespace vexilo::test {

class FakeUsbBus {
public:
    FakeUsbBus() : m_bed(umockdev_testbed_new()) {
        // The driver the interface is bound to must exist for its link to resolve.
        gchar* dir = umockdev_testbed_get_sys_dir(m_bed);
        const std::string sys = dir;
        g_free(dir);
        std::filesystem::create_directories(sys + "/bus/usb/drivers/cdc_acm");
        std::filesystem::create_directories(sys + "/bus/usb/drivers/usbserial");
    }
    ~FakeUsbBus() { g_object_unref(m_bed); }
    FakeUsbBus(const FakeUsbBus&) = delete;
    FakeUsbBus& operator=(const FakeUsbBus&) = delete;

    // A USB device `n` with one interface bound to `driver` and its tty `name`; nothing is told
    // until Announce.
    struct Device {
        std::string tty;  // sysfs path of the tty
        std::string node;
        std::shared_ptr<CSimConverter> model;
        std::unique_ptr<CSimPtyServer> server;
        std::thread thread;
    };

    std::unique_ptr<Device> Add(int n, const std::string& name, const char* vendor,
                                const char* product, const char* driver = "cdc_acm") {
        const std::string usbName = "1-" + std::to_string(n);
        gchar* usb = umockdev_testbed_add_device(m_bed, "usb", usbName.c_str(), nullptr, "idVendor",
                                                 vendor, "idProduct", product, nullptr, "DEVTYPE",
                                                 "usb_device", nullptr);
        gchar* iface = umockdev_testbed_add_device(m_bed, "usb", (usbName + ":1.0").c_str(), usb,
                                                   nullptr, "DEVTYPE", "usb_interface", nullptr);
        umockdev_testbed_set_attribute_link(
            m_bed, iface, "driver", ("../../../bus/usb/drivers/" + std::string(driver)).c_str());
        auto device = std::make_unique<Device>();
        device->tty = std::string(iface) + "/" + name;
        device->node = "/dev/" + name;
        const std::string record = "P: " + device->tty.substr(4) + "\nN: " + name +
                                   "\nE: SUBSYSTEM=tty\nE: DEVNAME=" + device->node +
                                   "\nA: dev=166:" + std::to_string(n) + "\nL: device=..\n";
        GError* error = nullptr;
        umockdev_testbed_add_from_string(m_bed, record.c_str(), &error);
        if (error != nullptr) {
            g_error_free(error);
        }
        g_free(iface);
        g_free(usb);
        return device;
    }

    // Serves `model` on the device's node, then tells the monitors it was added.
    void Plug(Device& device, std::shared_ptr<CSimConverter> model) {
        device.model = std::move(model);
        device.server = std::make_unique<CSimPtyServer>();
        device.server->AddConverterOnTerminal(
            device.model, ::dup(umockdev_testbed_get_dev_fd(m_bed, device.node.c_str())));
        device.thread = std::thread([server = device.server.get()] { server->Run(); });
        Announce(device);
    }
    void Announce(const Device& device) {
        umockdev_testbed_uevent(m_bed, device.tty.c_str(), "add");
    }

    // Tells the monitors the tty went, removes it, and stops serving it.
    void Unplug(Device& device) {
        umockdev_testbed_uevent(m_bed, device.tty.c_str(), "remove");
        umockdev_testbed_remove_device(m_bed, device.tty.c_str());
        if (device.server) {
            device.server->Stop();
            device.thread.join();
            device.server.reset();
        }
    }

private:
    UMockdevTestbed* m_bed;
};

}  // namespace vexilo::test
