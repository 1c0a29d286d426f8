#pragma once

#include <cstdint>
#include <memory>

namespace vexilo {

// Tells when converters may have been plugged in or out. The owner waits for NativeHandle() in its
// event loop (a file descriptor to read on Linux, an event handle on Windows), calls Drain() when
// it is signalled, and when that says so lists the converters again (ListPresentDevices) and
// compares (DiffDevices): what a converter is stays defined by the enumeration alone.
class CDeviceMonitor {
public:
    virtual ~CDeviceMonitor() = default;
    virtual std::intptr_t NativeHandle() const = 0;
    // Takes every pending notification; true when one may concern a converter.
    virtual bool Drain() = 0;
};

// The platform's monitor (Linux: libudev's tty events and the directories of the VEXILO_PORTS
// paths; Windows: COM-port interface arrivals and removals). Null when it cannot watch; the panel
// then works as before, without hotplug.
std::unique_ptr<CDeviceMonitor> OpenDeviceMonitor();

}  // namespace vexilo
