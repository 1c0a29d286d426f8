// Hotplug on Linux: libudev's monitor for tty devices, and inotify on the directories of the
// VEXILO_PORTS paths (a simulator's terminal links), joined in one epoll descriptor.
#include <libudev.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "discovery/device_changes.h"
#include "discovery/device_monitor.h"
#include "discovery/virtual_ports.h"

namespace vexilo {
namespace {

class CUdevMonitor final : public CDeviceMonitor {
public:
    CUdevMonitor() = default;
    CUdevMonitor(const CUdevMonitor&) = delete;
    CUdevMonitor& operator=(const CUdevMonitor&) = delete;
    ~CUdevMonitor() override {
        if (m_monitor != nullptr) {
            udev_monitor_unref(m_monitor);
        }
        if (m_udev != nullptr) {
            udev_unref(m_udev);
        }
        for (int fd : {m_inotify, m_epoll}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }

    bool Open() {
        m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
        m_udev = udev_new();
        if (m_epoll < 0 || m_udev == nullptr) {
            return false;
        }
        // Events after udev's rules have run: the device node exists and has its permissions.
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (m_monitor == nullptr ||
            udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(m_monitor) < 0 ||
            !Watch(udev_monitor_get_fd(m_monitor))) {
            return false;
        }
        WatchVirtualPorts();
        return true;
    }

    std::intptr_t NativeHandle() const override { return m_epoll; }

    bool Drain() override {
        bool relevant = false;
        while (udev_device* dev = udev_monitor_receive_device(m_monitor)) {
            const char* action = udev_device_get_action(dev);
            relevant = relevant || (action != nullptr && (std::strcmp(action, "add") == 0 ||
                                                          std::strcmp(action, "remove") == 0));
            udev_device_unref(dev);
        }
        if (m_inotify >= 0) {
            relevant = DrainInotify() || relevant;
        }
        return relevant;
    }

private:
    bool Watch(int fd) {
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        return fd >= 0 && ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev) == 0;
    }

    // A virtual port comes and goes as its path does; watch the directory that holds it.
    void WatchVirtualPorts() {
        const char* env = std::getenv("VEXILO_PORTS");
        if (env == nullptr || *env == '\0') {
            return;
        }
        std::vector<std::string> problems;  // told by the enumeration already
        std::set<std::string> dirs;
        for (const VirtualPort& p : ParseVirtualPorts(env, problems)) {
            const std::filesystem::path path(p.path);
            m_names.insert(path.filename().string());
            dirs.insert(path.parent_path().string());
        }
        m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_inotify < 0 || !Watch(m_inotify)) {
            return;
        }
        for (const std::string& dir : dirs) {
            ::inotify_add_watch(m_inotify, dir.c_str(),
                                IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR);
        }
    }

    bool DrainInotify() {
        bool relevant = false;
        alignas(inotify_event) char buf[4096];
        for (;;) {
            const ssize_t n = ::read(m_inotify, buf, sizeof buf);
            if (n <= 0) {
                return relevant;
            }
            for (ssize_t off = 0; off < n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(buf + off);
                if (ev->len > 0 && m_names.count(ev->name) > 0) {
                    relevant = true;
                }
                off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
            }
        }
    }

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    int m_epoll = -1;
    int m_inotify = -1;
    std::set<std::string> m_names;  // file names of the VEXILO_PORTS paths
};

std::string FirstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

}  // namespace

std::unique_ptr<CDeviceMonitor> OpenDeviceMonitor() {
    auto monitor = std::make_unique<CUdevMonitor>();
    if (!monitor->Open()) {
        return nullptr;
    }
    return monitor;
}

std::optional<std::string> DeviceNodeOf(const Port& port) {
    const std::string& path = port.path;
    if (path.empty()) {
        return std::string();  // an in-process port has no node
    }
    struct stat link {};
    struct stat node {};
    if (::lstat(path.c_str(), &link) != 0 || ::stat(path.c_str(), &node) != 0) {
        return std::nullopt;
    }
    // A node made again has another inode; a link made again (a simulator's) has one too, even
    // when the terminal it points to got the old number back.
    std::string id = std::to_string(link.st_dev) + ":" + std::to_string(link.st_ino) + "/" +
                     std::to_string(node.st_rdev) + ":" + std::to_string(node.st_ino);
    // The kernel numbers a USB device anew each time it is plugged in. Only the node's name is
    // needed, so the links are followed here (umockdev's realpath overruns on links leaving /dev).
    std::error_code ec;
    std::filesystem::path target = path;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) {
            return id;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    const std::filesystem::path iface = std::filesystem::canonical(
        std::filesystem::path("/sys/class/tty") / target.filename() / "device", ec);
    if (!ec) {
        id += "/usb" + FirstLine(iface.parent_path() / "busnum") + "-" +
              FirstLine(iface.parent_path() / "devnum");
    }
    return id;
}

}  // namespace vexilo
