#include "sim/sim_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>

namespace vexilo {
namespace {

constexpr int kMaxConverters = 64;

// A whole-text integer in decimal or with a 0x prefix, within [lo, hi].
bool ParseInt(const std::string& text, long lo, long hi, long* out) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < lo || v > hi) {
        return false;
    }
    *out = v;
    return true;
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

struct FaultType {
    SimFaultKind kind;
    bool needsValue;
    long lo;
    long hi;
};

const std::map<std::string, FaultType>& FaultTypes() {
    static const std::map<std::string, FaultType> types{
        {"silence", {SimFaultKind::Silence, false, 0, 0}},
        {"delay", {SimFaultKind::Delay, true, 0, 600000}},
        {"garbage", {SimFaultKind::Garbage, false, 1, 4166}},
        {"wrong-etx", {SimFaultKind::WrongEtx, false, 0, 0}},
        {"wrong-check", {SimFaultKind::WrongCheck, false, 0, 0}},
        {"short", {SimFaultKind::ShortReply, false, 1, 4166}},
        {"oversized", {SimFaultKind::Oversized, false, 4161, 65535}},
        {"error", {SimFaultKind::ErrorCode, true, 0, 255}},
        {"length", {SimFaultKind::WrongLength, true, -4160, 4160}},
        {"unplug", {SimFaultKind::Unplug, false, 0, 0}},
    };
    return types;
}

}  // namespace

bool ParseSimFault(const std::string& text, SimServerFault* fault, std::string* error) {
    const std::vector<std::string> parts = Split(text, ',');
    const size_t eq = parts[0].find('=');
    const std::string type = parts[0].substr(0, eq);
    const auto it = FaultTypes().find(type);
    if (it == FaultTypes().end()) {
        *error = "unknown fault type '" + type + "'";
        return false;
    }
    SimServerFault f;
    f.spec.kind = it->second.kind;
    f.spec.count = kSimForever;  // on the command line a fault lasts unless told otherwise
    if (eq != std::string::npos) {
        long v = 0;
        if (it->second.lo == it->second.hi ||
            !ParseInt(parts[0].substr(eq + 1), it->second.lo, it->second.hi, &v)) {
            *error = "bad value in fault '" + parts[0] + "'";
            return false;
        }
        f.spec.value = static_cast<int>(v);
    } else if (it->second.needsValue) {
        *error = "fault '" + type + "' needs a value (" + type + "=N)";
        return false;
    }
    for (size_t i = 1; i < parts.size(); ++i) {
        const size_t e = parts[i].find('=');
        const std::string key = parts[i].substr(0, e);
        const std::string value = e == std::string::npos ? "" : parts[i].substr(e + 1);
        long v = 0;
        if (key == "cmd" && ParseInt(value, 0, 255, &v)) {
            f.spec.command = static_cast<int>(v);
        } else if (key == "count" && value == "always") {
            f.spec.count = kSimForever;
        } else if (key == "count" && ParseInt(value, 1, INT_MAX, &v)) {
            f.spec.count = static_cast<int>(v);
        } else if (key == "skip" && ParseInt(value, 0, INT_MAX, &v)) {
            f.spec.skip = static_cast<int>(v);
        } else if (key == "port" && ParseInt(value, 0, kMaxConverters - 1, &v)) {
            f.converter = static_cast<int>(v);
        } else {
            *error = "bad fault option '" + parts[i] + "'";
            return false;
        }
    }
    *fault = f;
    return true;
}

bool ParseSimServerArgs(const std::vector<std::string>& args, SimServerOptions* options,
                        std::string* error) {
    SimServerOptions o;
    int count = 0;
    SimKind countKind = SimKind::Rgb;
    bool kindGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            if (const size_t eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                inlineValue = true;
            }
        }
        auto takeValue = [&]() {
            if (inlineValue) {
                return true;
            }
            if (i + 1 >= args.size()) {
                *error = "option " + arg + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        long v = 0;
        if (arg == "-h" || arg == "--help") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--no-cable-detect") {
            o.noCableDetect = true;
        } else if (arg == "--count") {
            if (!takeValue() || !ParseInt(value, 1, kMaxConverters, &v)) {
                *error = "--count takes a number from 1 to " + std::to_string(kMaxConverters);
                return false;
            }
            count = static_cast<int>(v);
        } else if (arg == "--kind") {
            if (!takeValue() || !ParseSimKind(value, &countKind)) {
                *error = "--kind takes " + KindNames(", ", " or ");
                return false;
            }
            kindGiven = true;
        } else if (arg == "--series") {
            if (!takeValue() || !ParseInt(value, 0, 255, &v)) {
                *error = "--series takes a byte (0 = KTQ, other = KTP)";
                return false;
            }
            o.seriesCode = static_cast<int>(v);
        } else if (arg == "--firmware") {
            if (!takeValue()) {
                return false;
            }
            if (value == "main") {
                o.firmware = SimFirmware::Main;
            } else if (value == "boot") {
                o.firmware = SimFirmware::Boot;
            } else if (value == "update") {
                o.firmware = SimFirmware::Update;
            } else if (value == "old") {
                o.firmware = SimFirmware::Old;
            } else {
                *error = "--firmware takes main, boot, update or old";
                return false;
            }
        } else if (arg == "--delay") {
            if (!takeValue() || !ParseInt(value, 0, 600000, &v)) {
                *error = "--delay takes milliseconds from 0 to 600000";
                return false;
            }
            o.delayMs = static_cast<int>(v);
        } else if (arg == "--input-format") {
            if (!takeValue() || !ParseInt(value, 0, 255, &v)) {
                *error = "--input-format takes a byte (0xFF = no input)";
                return false;
            }
            o.inputFormat = static_cast<int>(v);
        } else if (arg == "--fault") {
            if (!takeValue()) {
                return false;
            }
            SimServerFault f;
            if (!ParseSimFault(value, &f, error)) {
                return false;
            }
            o.faults.push_back(f);
        } else if (arg == "--ports-file") {
            if (!takeValue() || value.empty()) {
                *error = "--ports-file takes a file name";
                return false;
            }
            o.portsFile = value;
        } else if (arg == "--log") {
            if (!takeValue() || value.empty()) {
                *error = "--log takes a file name";
                return false;
            }
            o.logFile = value;
        } else if (arg == "--link-dir") {
            if (!takeValue() || value.empty()) {
                *error = "--link-dir takes a directory";
                return false;
            }
            o.linkDir = value;
        } else if (arg == "--hotplug-every") {
            if (!takeValue() || !ParseInt(value, 1, 3600000, &v)) {
                *error = "--hotplug-every takes milliseconds from 1 to 3600000";
                return false;
            }
            o.hotplugEveryMs = static_cast<int>(v);
        } else if (arg == "--hotplug-port") {
            if (!takeValue() || !ParseInt(value, 0, kMaxConverters - 1, &v)) {
                *error = "--hotplug-port takes a converter position from 0";
                return false;
            }
            o.hotplugPort = static_cast<int>(v);
        } else if (!arg.empty() && arg[0] == '-') {
            *error = "unknown option " + arg;
            return false;
        } else {
            SimKind k;
            if (!ParseSimKind(arg, &k)) {
                *error = "unknown converter kind '" + arg + "' (" + KindNames(", ", ", ") + ")";
                return false;
            }
            o.kinds.push_back(k);
        }
    }
    if (count == 0 && kindGiven) {
        count = 1;
    }
    o.kinds.insert(o.kinds.end(), static_cast<size_t>(count), countKind);
    if (o.kinds.empty() && !o.help && !o.version) {
        o.kinds = {SimKind::Rgb, SimKind::Dvi, SimKind::Ntsc};
    }
    if (static_cast<int>(o.kinds.size()) > kMaxConverters) {
        *error = "at most " + std::to_string(kMaxConverters) + " converters";
        return false;
    }
    if (o.hotplugPort >= static_cast<int>(o.kinds.size())) {
        *error = "--hotplug-port " + std::to_string(o.hotplugPort) + ", but only " +
                 std::to_string(o.kinds.size()) + " converters are served";
        return false;
    }
    for (const SimServerFault& f : o.faults) {
        if (f.converter >= static_cast<int>(o.kinds.size())) {
            *error = "fault for converter " + std::to_string(f.converter) + ", but only " +
                     std::to_string(o.kinds.size()) + " are served";
            return false;
        }
    }
    *options = std::move(o);
    return true;
}

std::vector<std::shared_ptr<CSimConverter>> MakeSimConverters(const SimServerOptions& options) {
    std::vector<std::shared_ptr<CSimConverter>> out;
    for (size_t i = 0; i < options.kinds.size(); ++i) {
        SimConfig c = SimConfig::For(options.kinds[i], options.firmware);
        if (options.seriesCode >= 0) {
            c.seriesCode = static_cast<std::uint8_t>(options.seriesCode);
        }
        if (options.noCableDetect) {
            c.cableDetect = false;
        }
        if (options.inputFormat >= 0) {
            c.initialInputFormat = static_cast<std::uint8_t>(options.inputFormat);
        }
        auto model = std::make_shared<CSimConverter>(c);
        if (options.delayMs > 0) {
            model->AddFault(
                SimFaultSpec{SimFaultKind::Delay, options.delayMs, kSimAnyCommand, kSimForever, 0});
        }
        for (const SimServerFault& f : options.faults) {
            if (f.converter < 0 || f.converter == static_cast<int>(i)) {
                model->AddFault(f.spec);
            }
        }
        out.push_back(std::move(model));
    }
    return out;
}

std::string FormatVexiloPorts(const std::vector<SimKind>& kinds,
                              const std::vector<std::string>& paths) {
    std::string out;
    for (size_t i = 0; i < kinds.size() && i < paths.size(); ++i) {
        if (!out.empty()) {
            out += ',';
        }
        out += SimKindName(kinds[i]);
        out += '=';
        out += paths[i];
    }
    return out;
}

std::vector<std::string> SimLinkNames(const std::vector<SimKind>& kinds) {
    std::map<SimKind, int> next;
    std::vector<std::string> names;
    for (SimKind k : kinds) {
        names.push_back(SimKindName(k) + std::to_string(next[k]++));
    }
    return names;
}

std::string SimServerUsage() {
    return R"(Usage: vexilo-sim [options] [KIND...]

Serves simulated converters on pseudo-terminals, one per KIND (dvi, rgb, ntsc, other;
default: rgb dvi ntsc), prints the line VEXILO_PORTS=... for the panel, and serves in the
foreground until SIGINT (Ctrl+C) or SIGTERM: start the panel from a second terminal.

Options:
  --count N              add N converters of the --kind kind (default rgb)
  --kind KIND            kind for --count
  --series CODE          series code byte: 0 = KTQ series, other = KTP series (default 1)
  --firmware MODE        main (default), boot, update or old
  --no-cable-detect      the DVI cable-detect commands answer error 0x0A
  --input-format CODE    input format reported at start (0xFF = no input)
  --delay MS             wait MS milliseconds before every reply
  --fault SPEC           arm a fault (repeatable), SPEC = TYPE[=VALUE][,cmd=C][,count=N|always]
                         [,skip=N][,port=I]; TYPE is silence, delay=MS, garbage[=N],
                         wrong-etx, wrong-check, short[=N], oversized[=N], error=CODE,
                         length=DELTA or unplug. Lasts for every matching request unless
                         count is given; port picks one converter by position (from 0).
  --ports-file FILE      also write the VEXILO_PORTS line to FILE (removed at exit)
  --log FILE             append one line per request received to FILE: the converter's
                         position (from 0) and the command, as "1 0x00"
  --link-dir DIR         make symlinks DIR/rgb0, DIR/dvi0, ... to the terminals
  --hotplug-every MS     unplug and replug on a schedule: every MS milliseconds the
                         converters that are plugged in are unplugged (their terminal goes
                         away) and the others come back on a new terminal; SIGUSR1 does
                         the same at once. Use --link-dir for paths that stay the same.
  --hotplug-port I       unplug and replug only converter I (from 0)
                         (SIGUSR2 takes the input signal away from every converter, and
                         the next SIGUSR2 gives each its format back)
  -h, --help             print this help and end
  --version              print the version and end

Exit status:
  0   ended by SIGINT or SIGTERM, or --help or --version
  1   a pseudo-terminal, the ports file or a link could not be made, or serving failed
  2   the command line is wrong

Examples:
  vexilo-sim rgb dvi --fault error=0x0A,cmd=0x14
  VEXILO_PORTS=rgb=/dev/pts/3,dvi=/dev/pts/4 vexilo-panel      # in a second terminal
)";
}

}  // namespace vexilo
