#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "protocol/dev_link.h"
#include "protocol/scripted_converter.h"
#include "serial/pelk_comm.h"

namespace vexilo::test {

// What a converter says to the page framework, scriptable field by field. Requests are logged
// here (not in the comm), so a test can still read them after a forced close freed the link.
struct ConverterModel {
    std::string running = "3.10";  // version selector 0
    std::string second = "1.00";   // version selector 1
    std::optional<std::uint8_t> board = 2;
    std::optional<std::uint16_t> fpga = 0x00B4;  // none: the selector-3 read goes unanswered
    std::optional<std::uint8_t> series = 1;      // none: the series query goes unanswered
    Bytes output{1, 0, 0};                       // reply to 0x07 without data
    Bytes status = Status(1920, 1080, 412, 380, 50, 5994, 2);
    std::array<std::uint8_t, kIdStorageSize> storage{};  // the ID storage block
    int unansweredChecks = 0;                            // 0x00 requests left without reply
    std::set<std::uint8_t> silent;                       // commands left without reply
    std::vector<Request> log;

    static Bytes Status(std::uint16_t width, std::uint16_t height, std::int16_t fpgaTemp,
                        std::int16_t mcuTemp, std::uint16_t voltage, std::uint16_t frameRate,
                        std::uint8_t scanning) {
        auto le = [](Bytes& b, std::uint16_t v) {
            b.push_back(static_cast<std::uint8_t>(v & 0xFF));
            b.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        Bytes b;
        le(b, width);
        le(b, height);
        le(b, static_cast<std::uint16_t>(fpgaTemp));
        le(b, static_cast<std::uint16_t>(mcuTemp));
        le(b, voltage);
        le(b, frameRate);
        b.push_back(scanning);
        return b;
    }

    int Count(std::uint8_t command) const {
        int n = 0;
        for (const Request& r : log) {
            n += r.command == command ? 1 : 0;
        }
        return n;
    }
    std::vector<std::uint8_t> Commands() const {
        std::vector<std::uint8_t> c;
        for (const Request& r : log) {
            c.push_back(r.command);
        }
        return c;
    }
    const Request* Last(std::uint8_t command) const {
        for (auto it = log.rbegin(); it != log.rend(); ++it) {
            if (it->command == command) {
                return &*it;
            }
        }
        return nullptr;
    }

    Bytes Answer(const Request& r) {
        log.push_back(r);
        if (silent.count(r.command) != 0) {
            return {};
        }
        switch (r.command) {
            case 0x00:
                if (unansweredChecks > 0) {
                    --unansweredChecks;
                    return {};
                }
                return ErrorReply(0);
            case 0x01: {
                const std::uint8_t selector = r.data.empty() ? 0xFF : r.data[0];
                if (selector == 0 || selector == 1) {
                    const std::string& t = selector == 0 ? running : second;
                    return DataReply(Bytes(t.begin(), t.end()));
                }
                if (selector == 2 && board) {
                    return DataReply({*board});
                }
                if (selector == 3 && fpga) {
                    return DataReply({static_cast<std::uint8_t>(*fpga & 0xFF),
                                      static_cast<std::uint8_t>(*fpga >> 8)});
                }
                return {};
            }
            case 0x03:
                return DataReply(status);
            case 0x05:
                return series ? DataReply({*series}) : Bytes{};
            case 0x07:
                return r.data.empty() ? DataReply(output) : Bytes{};
            case 0x08:
            case 0x09:
                return ErrorReply(0);
            case 0x11:
                return DataReply(Bytes(storage.begin(), storage.end()));
            case 0x12:
                if (r.data.size() == 1 + kIdStorageWritable) {
                    std::copy(r.data.begin() + 1, r.data.end(), storage.begin());
                }
                return DataReply({0});
            default:
                return ErrorReply(0x0A);
        }
    }
};

// The byte stream to a ConverterModel.
class ModelComm : public ScriptedConverter {
public:
    explicit ModelComm(std::shared_ptr<ConverterModel> model)
        : ScriptedConverter([model](const Request& r) { return model->Answer(r); }) {}
};

inline std::unique_ptr<CDevLink> MakeLink(const std::shared_ptr<ConverterModel>& model, int port,
                                          int kind) {
    return std::make_unique<CDevLink>(
        std::make_unique<CDevChannel>(std::make_unique<ModelComm>(model)), port, kind);
}

}  // namespace vexilo::test
