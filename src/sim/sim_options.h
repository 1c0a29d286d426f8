#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/sim_converter.h"

namespace vexilo {

// A fault from the command line, for one converter (by position) or all (-1).
struct SimServerFault {
    int converter = -1;
    SimFaultSpec spec;
};

// The command line of vexilo-sim.
struct SimServerOptions {
    std::vector<SimKind> kinds;  // one converter each, in this order
    int seriesCode = -1;         // -1: the firmware's default
    SimFirmware firmware = SimFirmware::Main;
    bool noCableDetect = false;
    int delayMs = 0;       // before every reply
    int inputFormat = -1;  // -1: the kind's default
    std::vector<SimServerFault> faults;
    std::string portsFile;
    std::string linkDir;
    std::string logFile;     // one line per request: "<converter> 0x<command>"
    int hotplugEveryMs = 0;  // unplug and replug on this schedule; 0: only on SIGUSR1
    int hotplugPort = -1;    // the converter that SIGUSR1 and the schedule toggle; -1: all
    bool help = false;
    bool version = false;
};

// Parses the arguments after the program name; false with `error` set on a mistake.
bool ParseSimServerArgs(const std::vector<std::string>& args, SimServerOptions* options,
                        std::string* error);
// Parses one fault: TYPE[=VALUE][,cmd=C][,count=N|always][,skip=N][,port=I].
bool ParseSimFault(const std::string& text, SimServerFault* fault, std::string* error);
std::string SimServerUsage();

// The converters the options describe.
std::vector<std::shared_ptr<CSimConverter>> MakeSimConverters(const SimServerOptions& options);
// "rgb=/dev/pts/3,dvi=/dev/pts/4": the value of VEXILO_PORTS.
std::string FormatVexiloPorts(const std::vector<SimKind>& kinds,
                              const std::vector<std::string>& paths);
// Stable names per converter: rgb0, rgb1, dvi0, ...
std::vector<std::string> SimLinkNames(const std::vector<SimKind>& kinds);

}  // namespace vexilo
