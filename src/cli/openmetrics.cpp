#include "cli/openmetrics.h"

#include <cstdio>
#include <ostream>
#include <string>

namespace vexilo::cli {

namespace {

// A label value with backslash, quote and line feed escaped.
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        if (ch == '\\' || ch == '"') {
            out += '\\';
            out += ch;
        } else if (ch == '\n') {
            out += "\\n";
        } else {
            out += ch;
        }
    }
    return out;
}

std::string Labels(const Converter& c) {
    return "{port=\"" + Escaped(c.label) + "\",kind=\"" + c.Kind().Name() + "\"}";
}

std::string Tenths(int value) {
    char text[24];
    std::snprintf(text, sizeof text, "%.1f", value / 10.0);
    return text;
}

struct Family {
    const char* name;
    const char* unit;  // "" for none
    const char* help;
};

void Header(std::ostream& out, const Family& f) {
    out << "# TYPE " << f.name << " gauge\n";
    if (*f.unit != '\0') {
        out << "# UNIT " << f.name << ' ' << f.unit << '\n';
    }
    out << "# HELP " << f.name << ' ' << f.help << '\n';
}

}  // namespace

bool InputPresent(const requests::StatusBlock& s) {
    return s.width != requests::kNoInput || s.height != requests::kNoInput ||
           s.frameRate != requests::kNoInput;
}

void PrintOpenMetrics(std::ostream& out, const std::vector<Converter>& converters,
                      const std::vector<Report>& reports,
                      const std::vector<requests::StatusBlock>& blocks) {
    Header(out, {"vexilo_converters_found", "", "Converters found that the selection chose."});
    out << "vexilo_converters_found " << converters.size() << '\n';
    Header(out, {"vexilo_converter_up", "", "1 when the converter answered, else 0."});
    for (std::size_t i = 0; i < converters.size(); ++i) {
        out << "vexilo_converter_up" << Labels(converters[i]) << ' ' << (reports[i].Ok() ? 1 : 0)
            << '\n';
    }
    using Value = std::string (*)(const requests::StatusBlock&);
    const std::pair<Family, Value> families[] = {
        {{"vexilo_fpga_temperature_celsius", "celsius", "FPGA temperature."},
         [](const requests::StatusBlock& s) { return Tenths(s.fpgaTemperature); }},
        {{"vexilo_mcu_temperature_celsius", "celsius", "Microcontroller temperature."},
         [](const requests::StatusBlock& s) { return Tenths(s.mcuTemperature); }},
        {{"vexilo_supply_voltage_volts", "volts", "Supply voltage."},
         [](const requests::StatusBlock& s) { return Tenths(s.supplyVoltage); }},
        {{"vexilo_input_present", "", "1 when an input signal is detected, else 0."},
         [](const requests::StatusBlock& s) { return std::string(InputPresent(s) ? "1" : "0"); }},
    };
    for (const auto& [family, value] : families) {
        Header(out, family);
        for (std::size_t i = 0; i < converters.size(); ++i) {
            if (reports[i].Ok()) {
                out << family.name << Labels(converters[i]) << ' ' << value(blocks[i]) << '\n';
            }
        }
    }
    out << "# EOF\n";
}

}  // namespace vexilo::cli
