#include "sim/sim_faults.h"

#include <algorithm>
#include <array>

#include "protocol/dev_channel.h"

namespace vexilo {
namespace {

// Noise that never contains an STX.
constexpr std::array<std::uint8_t, 6> kNoise{0x00, 0xFF, 0x03, 0x55, 0xAA, 0x7E};

}  // namespace

SimResponse EncodeSimReply(std::uint8_t command, const SimReply& reply,
                           std::span<const SimFaultSpec> faults) {
    SimReply r = reply;
    auto valueOr = [](const SimFaultSpec& f, int fallback) {
        return f.value > 0 ? f.value : fallback;
    };
    for (const SimFaultSpec& f : faults) {
        if (f.kind == SimFaultKind::ErrorCode) {
            r = SimReply{true, static_cast<std::uint8_t>(f.value), {}};
        }
    }
    // An error reply carries its code as its one data byte.
    std::vector<std::uint8_t> data = r.error ? std::vector<std::uint8_t>{r.code} : r.data;
    for (const SimFaultSpec& f : faults) {
        if (f.kind == SimFaultKind::WrongLength) {
            const long size = std::max(0L, static_cast<long>(data.size()) + f.value);
            data.resize(static_cast<size_t>(std::min<long>(size, kMaxFrameData)), 0x00);
        }
    }
    const int n = static_cast<int>(data.size());
    SimResponse out;
    out.bytes.resize(static_cast<size_t>(n) + 6);
    BuildFrame(out.bytes.data(), r.error ? kErrorReply : command, data.data(), n);

    for (const SimFaultSpec& f : faults) {
        switch (f.kind) {
            case SimFaultKind::Oversized: {
                const int announced = std::clamp(valueOr(f, kMaxFrameData + 1), 0, 0xFFFF);
                out.bytes[2] = static_cast<std::uint8_t>(announced & 0xFF);
                out.bytes[3] = static_cast<std::uint8_t>(announced >> 8);
                break;
            }
            case SimFaultKind::WrongEtx:
                out.bytes[static_cast<size_t>(4 + n)] = 0x00;
                out.bytes[static_cast<size_t>(5 + n)] = FrameCheckByte(out.bytes.data(), n);
                break;
            case SimFaultKind::WrongCheck:
                out.bytes[static_cast<size_t>(5 + n)] ^= 0xFF;
                break;
            default:
                break;
        }
    }
    for (const SimFaultSpec& f : faults) {
        if (f.kind == SimFaultKind::ShortReply) {
            const size_t cut = std::min(out.bytes.size(), static_cast<size_t>(valueOr(f, 1)));
            out.bytes.resize(out.bytes.size() - cut);
        }
    }
    for (const SimFaultSpec& f : faults) {
        switch (f.kind) {
            case SimFaultKind::Garbage: {
                std::vector<std::uint8_t> noise(static_cast<size_t>(valueOr(f, 5)));
                for (size_t i = 0; i < noise.size(); ++i) {
                    noise[i] = kNoise[i % kNoise.size()];
                }
                out.bytes.insert(out.bytes.begin(), noise.begin(), noise.end());
                break;
            }
            case SimFaultKind::Delay:
                out.delayMs += std::max(0, f.value);
                break;
            default:
                break;
        }
    }
    for (const SimFaultSpec& f : faults) {
        if (f.kind == SimFaultKind::Silence) {
            out.bytes.clear();
        }
    }
    return out;
}

}  // namespace vexilo
