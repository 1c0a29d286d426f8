#include "cli/ember_service.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "cli/openmetrics.h"
#include "cli/session.h"
#include "cli/terminal_text.h"
#include "discovery/attach.h"
#include "discovery/device_changes.h"
#include "discovery/device_monitor.h"
#include "ember/provider.h"
#include "ember/server.h"
#include "model/converter.h"

namespace vexilo::cli {

namespace {

using Clock = std::chrono::steady_clock;
using ember::Element;
using ember::Value;

// Longest wait of one Step, so that a stop request is seen soon.
constexpr auto kStepCap = std::chrono::milliseconds(250);

std::string Hex3(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%03X", value);
    return text;
}

// A consumer's value as the text `vexiloctl set` takes; empty when no setting could take it.
std::string SetText(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) {
        return std::to_string(*i);
    }
    if (const auto* b = std::get_if<bool>(&v)) {
        return *b ? "1" : "0";
    }
    if (const auto* s = std::get_if<std::string>(&v)) {
        return *s;
    }
    if (const auto* d = std::get_if<double>(&v);
        d && std::isfinite(*d) && *d == std::floor(*d) && std::fabs(*d) < 1e9) {
        return std::to_string(static_cast<long long>(*d));
    }
    return {};
}

Element& AddParameter(Element& parent, const std::string& id, const std::string& description,
                      ember::ParameterType type, Value value) {
    Element& p = parent.Add(Element::Type::kParameter, id, description);
    p.parameterType = type;
    p.access = ember::Access::kRead;
    p.value = std::move(value);
    return p;
}

// Choices numbered 0, 1, 2... in order: an Ember+ enumeration can name them.
bool Enumerable(const model::Setting& s) {
    if (s.choices.empty()) {
        return false;
    }
    for (std::size_t i = 0; i < s.choices.size(); ++i) {
        if (s.choices[i].value != static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseListenAddress(const std::string& text, std::string& address, std::uint16_t& port,
                        std::string& error) {
    std::string host = address;
    std::string portText = text;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find("]:");
        if (close == std::string::npos) {
            error = "'" + text + "': an IPv6 address is written [ADDR]:PORT";
            return false;
        }
        host = text.substr(1, close - 1);
        portText = text.substr(close + 2);
    } else if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    if (portText.empty() || portText.size() > 5 ||
        !std::all_of(portText.begin(), portText.end(),
                     [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(portText) > 65535) {
        error = "'" + text + "': the port is a number from 0 to 65535";
        return false;
    }
    if (host.empty()) {
        error = "'" + text + "': the address is empty";
        return false;
    }
    address = host;
    port = static_cast<std::uint16_t>(std::stoi(portText));
    return true;
}

std::string NodeIdentifier(const std::string& label) {
    std::string id = label;
    for (char& c : id) {
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (!keep) {
            c = '_';
        }
    }
    return id.empty() ? "_" : id;
}

struct EmberService::Impl {
    struct Device {
        std::string label;
        vexilo::Port port;
        vexilo::Kind kind = vexilo::Kind::Other;
        std::unique_ptr<model::Converter> device;
        bool online = false;
        Element* node = nullptr;
        std::vector<std::pair<std::string, Element*>> identityParams;
        std::vector<std::pair<std::string, Element*>> statusParams;
        std::vector<std::pair<const model::Setting*, Element*>> settings;
        requests::StatusBlock status;
        bool haveStatus = false;
        Clock::time_point nextStatus{};
        std::string lastFailure;  // why attaching failed last time

        const model::KindModel& Kind() const { return model::KindOf(kind); }
        Element* IdentityParam(const std::string& name) const {
            for (const auto& [n, e] : identityParams) {
                if (n == name) {
                    return e;
                }
            }
            return nullptr;
        }
    };

    ServeOptions options;
    std::ostream& log;
    ember::Tree tree;
    Element* root = nullptr;
    std::unique_ptr<ember::Server> server;
    std::unique_ptr<ember::Provider> provider;
    std::unique_ptr<CDeviceMonitor> monitor;
    std::vector<std::unique_ptr<Device>> devices;
    Clock::time_point nextRescan{};

    Impl(ServeOptions o, std::ostream& l) : options(std::move(o)), log(l) {
        root = &tree.Root().Add(Element::Type::kNode, "vexilo", "Vexilo converters");
        provider = std::make_unique<ember::Provider>(
            tree, [this](int consumer, const ember::Bytes& glow) { server->Send(consumer, glow); });
        ember::ServerLimits limits;
        limits.maxConsumers = options.maxConsumers;
        server = std::make_unique<ember::Server>(
            limits,
            [this](int consumer, std::span<const std::uint8_t> glow) {
                return provider->Handle(consumer, glow);
            },
            [this](int consumer) { provider->Forget(consumer); },
            [this](const std::string& line) { Log(line); });
    }

    // One event, one line: a consumer's text inside an error cannot start lines of its own.
    void Log(const std::string& line) { log << "vexiloctl serve: " << OneLine(line) << std::endl; }

    void Push(std::vector<const Element*>& changed) {
        if (!changed.empty()) {
            provider->Notify(changed, ember::Fields::kValue);
            changed.clear();
        }
    }

    static void Change(Element* e, Value v, std::vector<const Element*>& changed) {
        if (e != nullptr && !(e->value == v)) {
            e->value = std::move(v);
            changed.push_back(e);
        }
    }

    Device* FindLabel(const std::string& label, Kind kind) {
        for (auto& d : devices) {
            if (d->label == label && d->kind == kind) {
                return d.get();
            }
        }
        return nullptr;
    }

    std::string UniqueIdentifier(const std::string& label) const {
        const std::string base = NodeIdentifier(label);
        std::string id = base;
        for (int n = 2; root->ChildNamed(id) != nullptr; ++n) {
            id = base + "_" + std::to_string(n);
        }
        return id;
    }

    void Build(Device& d) {
        Element& node = root->Add(Element::Type::kNode, UniqueIdentifier(d.label),
                                  d.device->Identified().model + " on " + d.label);
        d.node = &node;
        Element& identity = node.Add(Element::Type::kNode, "identity", "What the converter is");
        using T = ember::ParameterType;
        const std::pair<const char*, const char*> idTexts[] = {
            {"model", "model"},
            {"series", "series"},
            {"firmware", "firmware version"},
            {"fpga_version", "FPGA version"},
            {"did", "ID function: DID"},
            {"sn", "ID function: serial number"},
            {"id", "ID function: ID"},
            {"name", "ID function: name"},
        };
        for (const auto& [id, text] : idTexts) {
            d.identityParams.emplace_back(id, &AddParameter(identity, id, text, T::kString, ""));
        }
        d.identityParams.emplace_back(
            "id_function",
            &AddParameter(identity, "id_function", "ID function enabled", T::kBoolean, false));

        Element& status = node.Add(Element::Type::kNode, "status", "Read every few seconds");
        const struct {
            const char* id;
            const char* text;
            T type;
            const char* format;
        } statusParams[] = {
            {"input_present", "an input signal is detected", T::kBoolean, ""},
            {"width", "input width in pixels (0: none)", T::kInteger, ""},
            {"height", "input height in lines (0: none)", T::kInteger, ""},
            {"frame_rate", "input frame rate (0: none)", T::kReal, "%.2f Hz"},
            {"scanning", "interlace, progressive, or empty", T::kString, ""},
            {"fpga_temperature", "FPGA temperature", T::kReal, "%.1f °C"},
            {"mcu_temperature", "microcontroller temperature", T::kReal, "%.1f °C"},
            {"supply_voltage", "supply voltage", T::kReal, "%.1f V"},
        };
        for (const auto& p : statusParams) {
            Element& e = AddParameter(status, p.id, p.text, p.type, Value());
            e.format = p.format;
            d.statusParams.emplace_back(p.id, &e);
        }

        if (!options.readOnly) {
            BuildSettings(d, node);
            BuildFunctions(d, node);
        }
        provider->Added(node);
    }

    void BuildSettings(Device& d, Element& node) {
        Element& settings = node.Add(Element::Type::kNode, "settings",
                                     "Changed at once; stored by save, undone by revert");
        for (const model::Setting& s : d.Kind().settings) {
            Element& p = settings.Add(Element::Type::kParameter, s.name, s.label);
            if (Enumerable(s)) {
                p.parameterType = ember::ParameterType::kEnum;
                for (const model::Choice& c : s.choices) {
                    p.enumeration += (p.enumeration.empty() ? "" : "\n") + std::string(c.name);
                }
            } else {
                p.parameterType = ember::ParameterType::kInteger;
                p.minimum = std::int64_t{s.lower};
                p.maximum = std::int64_t{s.upper};
            }
            p.access = s.writable ? ember::Access::kReadWrite : ember::Access::kRead;
            Device* dev = &d;
            const model::Setting* setting = &s;
            p.onSet = [this, dev, setting](Element& e, const Value& v) {
                Set(*dev, *setting, e, v);
            };
            d.settings.emplace_back(&s, &p);
        }
    }

    void BuildFunctions(Device& d, Element& node) {
        using Op = model::Outcome (*)(model::Converter&);
        const struct {
            const char* id;
            const char* text;
            Op op;
            const char* done;
        } functions[] = {
            {"save", "Store the current settings in the converter",
             [](model::Converter& c) { return c.Save(); }, "saved"},
            {"revert", "Return to the stored settings",
             [](model::Converter& c) { return c.Revert(); }, "reverted"},
            // The ID settings stay as stored: a consumer clears them through the ID parameters.
            {"factory", "Factory output settings, sent at once, not saved",
             [](model::Converter& c) { return c.FactorySettings(false); },
             "factory settings sent (not saved yet)"},
        };
        for (const auto& f : functions) {
            Element& fn = node.Add(Element::Type::kFunction, f.id, f.text);
            fn.result = {{ember::ParameterType::kString, "result"}};
            Device* dev = &d;
            const Op op = f.op;
            const std::string done = f.done;
            const std::string name = f.id;
            fn.onInvoke = [this, dev, op, done, name](Element&, const std::vector<Value>&) {
                return Invoke(*dev, name, op, done);
            };
        }
    }

    ember::InvokeResult Invoke(Device& d, const std::string& name,
                               model::Outcome (*op)(model::Converter&), const std::string& done) {
        if (!d.online) {
            return {false, {std::string("the converter is offline")}};
        }
        const model::Outcome res = op(*d.device);
        if (!res) {
            Log(d.label + ": " + name + ": " + res.error);
        }
        ReadSettings(d);
        std::string text = res.ok() ? done : res.error;
        if (const std::string skipped = res.SkippedText(); res.ok() && !skipped.empty()) {
            text += "; not sent: " + skipped;
        }
        return {res.ok(), {text}};
    }

    // What `vexiloctl set NAME=VALUE` does, for one converter and one setting.
    void Set(Device& d, const model::Setting& s, Element& e, const Value& v) {
        if (!d.online) {
            Log(d.label + ": " + s.name + ": the converter is offline; nothing was sent");
            return;
        }
        const std::string text = SetText(v);
        std::string error;
        const auto a = model::ParseAssignment(d.Kind(), std::string(s.name) + "=" + text, error);
        if (!a) {
            Log(d.label + ": " + error + "; nothing was sent");
            return;
        }
        const model::Assignment one[] = {*a};
        if (model::Outcome res = d.device->WriteSettings(one); !res) {
            Log(d.label + ": " + s.name + ": " + res.error);
            ReadSettings(d);
            return;
        }
        e.value = std::int64_t{a->value};
    }

    void ReadSettings(Device& d) {
        if (!d.online || d.settings.empty()) {
            return;
        }
        std::vector<const model::Setting*> wanted;
        for (const auto& [s, e] : d.settings) {
            wanted.push_back(s);
        }
        model::SettingsSnapshot snapshot;
        if (model::Outcome res = d.device->ReadSettings(wanted, snapshot); !res) {
            Offline(d, res.error);
            return;
        }
        std::vector<const Element*> changed;
        for (const auto& [s, e] : d.settings) {
            // An unread value (no input for adjustments) keeps no value at all.
            if (const auto v = snapshot.Value(*s)) {
                Change(e, Value(std::int64_t{*v}), changed);
            } else if (!std::holds_alternative<std::monostate>(e->value)) {
                e->value = std::monostate{};
                changed.push_back(e);
            }
        }
        Push(changed);
    }

    void ReadIdentity(Device& d) {
        std::vector<const Element*> changed;
        const std::string series = model::SeriesPrefix(d.device->Identified().series);
        Change(d.IdentityParam("model"), d.device->Identified().model, changed);
        Change(d.IdentityParam("series"), series, changed);
        Change(d.IdentityParam("firmware"), d.device->Identified().runningVersion, changed);
        Change(d.IdentityParam("fpga_version"),
               model::FpgaKnown(d.device->Identified().fpgaVersion)
                   ? Hex3(d.device->Identified().fpgaVersion)
                   : "",
               changed);
        model::IdGroup record;
        if (model::Outcome res = ReadId(*d.device, record); !res) {
            Log(d.label + ": ID function: " + res.error);
        } else if (record.supported) {
            Change(d.IdentityParam("id_function"), record.fields.enabled, changed);
            Change(d.IdentityParam("did"), model::DidText(record.fields.did), changed);
            Change(d.IdentityParam("sn"), record.fields.sn, changed);
            Change(d.IdentityParam("id"), record.fields.id, changed);
            Change(d.IdentityParam("name"), record.fields.name, changed);
        }
        Push(changed);
    }

    void ReadStatus(Device& d) {
        d.nextStatus = Clock::now() + options.statusEvery;
        requests::StatusBlock s;
        if (model::Outcome res = d.device->ReadStatus(s); !res) {
            Offline(d, res.error);
            return;
        }
        const bool inputChanged =
            d.haveStatus && (s.width != d.status.width || s.height != d.status.height ||
                             s.frameRate != d.status.frameRate || s.scanning != d.status.scanning);
        d.status = s;
        d.haveStatus = true;
        const bool present = InputPresent(s);
        auto number = [](std::uint16_t v) {
            return Value(std::int64_t{v == requests::kNoInput ? 0 : v});
        };
        const Value values[] = {
            Value(present),
            number(s.width),
            number(s.height),
            Value(s.frameRate == requests::kNoInput ? 0.0 : s.frameRate / 100.0),
            Value(std::string(s.scanning == 1   ? "interlace"
                              : s.scanning == 2 ? "progressive"
                                                : "")),
            Value(s.fpgaTemperature / 10.0),
            Value(s.mcuTemperature / 10.0),
            Value(s.supplyVoltage / 10.0),
        };
        std::vector<const Element*> changed;
        for (std::size_t i = 0; i < d.statusParams.size(); ++i) {
            Change(d.statusParams[i].second, values[i], changed);
        }
        Push(changed);
        // The adjustments shown are the new input format's.
        if (inputChanged) {
            ReadSettings(d);
        }
    }

    void SetOnline(Device& d, bool online) {
        d.online = online;
        if (d.node != nullptr && d.node->online != online) {
            d.node->online = online;
            const Element* one[] = {d.node};
            provider->Notify(one, ember::Fields::kValue);
        }
    }

    void Offline(Device& d, const std::string& why) {
        if (!d.online) {
            return;
        }
        Log(d.label + ": offline: " + why);
        d.device.reset();
        SetOnline(d, false);
    }

    // Attaching is tried again every relist: the same reason is told once.
    void AttachFailed(Device& d, const std::string& why) {
        if (why != d.lastFailure) {
            Log(d.label + ": " + why);
            d.lastFailure = why;
        }
    }

    bool AnyOffline() const {
        return std::any_of(devices.begin(), devices.end(),
                           [](const auto& d) { return !d->online; });
    }

    void Attach(const vexilo::Port& port) {
        const std::string& label = port.label;
        Device* d = FindLabel(label, port.kind);
        if (d == nullptr) {
            // Another kind on this port is another converter: its node keeps its own settings,
            // whose handlers would send the old kind's commands.
            for (auto& other : devices) {
                if (other->label == label) {
                    Offline(*other, "another kind of converter is on this port now");
                }
            }
            devices.push_back(std::make_unique<Device>());
            d = devices.back().get();
            d->label = label;
            d->kind = port.kind;
        }
        if (d->online) {
            return;
        }
        d->port = port;
        PortOpenFailure failure = PortOpenFailure::None;
        std::unique_ptr<CDevLink> link = OpenDeviceLink(port, &failure);
        if (!link) {
            AttachFailed(*d, OpenFailureText(failure));
            return;
        }
        d->device = std::make_unique<model::Converter>(std::move(link), label);
        if (model::Outcome res = d->device->Identify(); !res) {
            d->device.reset();
            AttachFailed(*d, res.error);
            return;
        }
        d->lastFailure.clear();
        if (d->node == nullptr) {
            Build(*d);
        }
        d->online = true;
        ReadIdentity(*d);
        ReadSettings(*d);
        ReadStatus(*d);
        if (d->online) {
            SetOnline(*d, true);
            Log(label + ": online (" + d->device->Identified().model + ")");
        }
    }

    void Rescan() {
        const std::vector<PresentDevice> present = ListPresentDevices();
        for (auto& d : devices) {
            const bool there = std::any_of(present.begin(), present.end(),
                                           [&](const auto& p) { return p.port.label == d->label; });
            if (d->online && !there) {
                Offline(*d, "unplugged");
            }
        }
        for (const PresentDevice& p : present) {
            Attach(p.port);
        }
    }
};

EmberService::EmberService(ServeOptions options, std::ostream& log)
    : m_impl(std::make_unique<Impl>(std::move(options), log)) {}

EmberService::~EmberService() = default;

bool EmberService::Start(std::string& error) {
    Impl& s = *m_impl;
    if (!s.server->Listen(s.options.address, s.options.port, error)) {
        return false;
    }
    s.monitor = OpenDeviceMonitor();
    Rescan();
    return true;
}

std::uint16_t EmberService::Port() const {
    return m_impl->server->Port();
}

const ember::Tree& EmberService::Tree() const {
    return m_impl->tree;
}

void EmberService::Rescan() {
    m_impl->Rescan();
    m_impl->nextRescan = Clock::now() + m_impl->options.statusEvery;
}

void EmberService::Step(Clock::time_point deadline) {
    Impl& s = *m_impl;
    auto until = std::min(deadline, Clock::now() + kStepCap);
    for (const auto& d : s.devices) {
        if (d->online) {
            until = std::min(until, d->nextStatus);
        }
    }
    // Without a monitor, and while a converter is offline (it may have failed a read without
    // being unplugged), converters are listed again every status round.
    const bool relist = !s.monitor || s.AnyOffline();
    if (relist) {
        until = std::min(until, s.nextRescan);
    }
    ember::ExtraWait extra[1];
    std::span<ember::ExtraWait> waits;
    if (s.monitor) {
        extra[0].handle = s.monitor->NativeHandle();
        waits = extra;
    }
    s.server->Wait(until, waits);
    if (s.monitor && extra[0].ready && s.monitor->Drain()) {
        Rescan();
    } else if (relist && Clock::now() >= s.nextRescan) {
        Rescan();
    }
    // One converter's status per step, the most overdue first: a consumer's set waits for at
    // most one status read, not for a round over every converter.
    const auto now = Clock::now();
    Impl::Device* due = nullptr;
    for (const auto& d : s.devices) {
        if (d->online && now >= d->nextStatus && (!due || d->nextStatus < due->nextStatus)) {
            due = d.get();
        }
    }
    if (due != nullptr) {
        s.ReadStatus(*due);
    }
}

void EmberService::Run(const std::atomic<bool>& stop) {
    while (!stop.load()) {
        Step(Clock::now() + kStepCap);
    }
}

}  // namespace vexilo::cli
