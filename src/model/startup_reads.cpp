#include "model/startup_reads.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/converter_model.h"
#include "model/id_rules.h"
#include "protocol/device_requests.h"

namespace vexilo::model {

namespace {

constexpr int kStartupAttempts = 5;

bool Stopped(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load();
}

}  // namespace

StartupEnd ReadAtStartup(CDevLink& link, Kind kind, const std::atomic<bool>* stop) {
    if (Stopped(stop)) {
        return StartupEnd::kStopped;
    }
    if (!link.CheckConnection(kStartupAttempts, false)) {
        return StartupEnd::kNotConnected;
    }
    std::array<std::uint8_t, kVersionTextSize> running{};
    std::array<std::uint8_t, kVersionTextSize> second{};
    link.GetVersionInfo(kVersionRunning, running.data(), kVersionTextSize);
    const bool runningAnswered = link.Channel().m_nStatus == kStatusOk;
    if (Stopped(stop)) {
        return StartupEnd::kStopped;
    }
    link.GetVersionInfo(kVersionSecond, second.data(), kVersionTextSize);
    const bool secondAnswered = link.Channel().m_nStatus == kStatusOk;
    switch (CheckFirmware(FieldText(running.data(), running.size()),
                          FieldText(second.data(), second.size()))) {
        case Firmware::kNotMain:
            // Two texts that never arrived are equal too; the firmware is not to blame then.
            return runningAnswered || secondAnswered ? StartupEnd::kNotMainFirmware
                                                     : StartupEnd::kNoResponse;
        case Firmware::kBootUpdater:
            return StartupEnd::kBootUpdater;
        case Firmware::kMain:
            break;
    }
    if (Stopped(stop)) {
        return StartupEnd::kStopped;
    }
    std::uint8_t board = 0;
    link.GetVersionInfo(kVersionBoard, &board, 1);
    std::array<std::uint8_t, 2> fpga{0x00, 0xF0};
    link.GetVersionInfo(kVersionFpga, fpga.data(), 2);
    const auto fpgaVersion = static_cast<std::uint16_t>(fpga[0] | (fpga[1] << 8));
    if (Stopped(stop)) {
        return StartupEnd::kStopped;
    }
    const std::optional<std::uint8_t> series = link.GetSeriesCode();
    if (IdFunctionSupported(series.value_or(0xFF), fpgaVersion)) {
        link.LoadIdSettings();
    }
    if (Stopped(stop)) {
        return StartupEnd::kStopped;
    }
    if (requests::GetOutputSettings(link.Channel()).Failed() ||
        requests::ReadStatus(link.Channel()).Failed()) {
        return StartupEnd::kNoResponse;
    }
    if (const int count = KindOf(kind).adjustmentCount; count > 0) {
        // The page's first input-format check always reloads the table, with or without input.
        if (!link.GetInputFormat()) {
            return StartupEnd::kNoResponse;
        }
        std::array<std::uint16_t, kRgbAdjustmentCount> values{};
        for (int i = 0; i < count; ++i) {
            if (Stopped(stop)) {
                return StartupEnd::kStopped;
            }
            const std::optional<std::uint16_t> value =
                link.GetAdjustment(static_cast<std::uint8_t>(i));
            if (!value) {
                return StartupEnd::kNoResponse;
            }
            values[static_cast<std::size_t>(i)] = *value;
        }
        if (KindOf(kind).page == Page::kRgb) {
            // The RGB page then writes its two Auto switches back as it shows them.
            for (const std::uint8_t index : {kRgbSyncAuto, kRgbOffsetAuto}) {
                const Setting* setting = AdjustmentSetting(KindOf(kind), index);
                const bool on = setting != nullptr && setting->FromWire(values[index]) != 0;
                if (!link.SetAdjustment(index, on ? 1 : 0)) {
                    return StartupEnd::kNoResponse;
                }
            }
        }
    } else {
        const auto cable = requests::GetCableDetect(link.Channel());
        if (cable.Failed() && !cable.Unsupported()) {
            return StartupEnd::kNoResponse;
        }
    }
    if (Stopped(stop)) {
        return StartupEnd::kStopped;
    }
    link.GetSeriesCode();  // the tab caption's
    return StartupEnd::kReady;
}

}  // namespace vexilo::model
