#include "protocol/device_requests.h"

namespace vexilo::requests {

namespace {

std::uint16_t Word(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

// Runs one transaction and sorts its outcome by the reply length it needs.
template <typename T>
Result<T> Ask(CDevChannel& channel, std::uint8_t command, const std::uint8_t* data, int length,
              bool accepted(int replyLength)) {
    Result<T> result;
    const bool ok = channel.Transact(command, data, length);
    result.status = channel.m_nStatus;
    if (!ok) {
        result.outcome = Outcome::kFailed;
    } else if (!accepted(channel.m_nReplyLength)) {
        result.outcome = Outcome::kBadLength;
    } else {
        result.outcome = Outcome::kValue;
    }
    return result;
}

}  // namespace

StatusBlock DecodeStatusBlock(const std::uint8_t* data) {
    StatusBlock s;
    s.width = Word(data + 0);
    s.height = Word(data + 2);
    s.fpgaTemperature = static_cast<std::int16_t>(Word(data + 4));
    s.mcuTemperature = static_cast<std::int16_t>(Word(data + 6));
    s.supplyVoltage = Word(data + 8);
    s.frameRate = Word(data + 10);
    s.scanning = data[12];
    return s;
}

Result<StatusBlock> ReadStatus(CDevChannel& channel) {
    auto result = Ask<StatusBlock>(channel, kCmdReadStatus, nullptr, 0,
                                   [](int n) { return n >= kStatusBlockSize; });
    if (result.HasValue()) {
        result.value = DecodeStatusBlock(channel.ReplyData());
    }
    return result;
}

Result<OutputSettings> GetOutputSettings(CDevChannel& channel) {
    auto result = Ask<OutputSettings>(channel, kCmdGetSettings, nullptr, 0,
                                      [](int n) { return n >= kOutputSettingsSize; });
    if (result.HasValue()) {
        const std::uint8_t* reply = channel.ReplyData();
        result.value = {reply[0], reply[1], reply[2]};
    }
    return result;
}

bool SendOutputSettings(CDevChannel& channel, const OutputSettings& settings) {
    const std::uint8_t data[] = {settings.format, settings.level, settings.scaler};
    return channel.Transact(kCmdSetSettings, data, kOutputSettingsSize);
}

Result<std::uint8_t> GetCableDetect(CDevChannel& channel) {
    const std::uint8_t data[] = {kSelGeneral};
    auto result =
        Ask<std::uint8_t>(channel, kCmdGetCableDetect, data, 1, [](int n) { return n == 1; });
    if (result.HasValue()) {
        result.value = channel.ReplyData()[0];
    }
    return result;
}

bool SetCableDetect(CDevChannel& channel, std::uint8_t setting) {
    const std::uint8_t data[] = {kSelGeneral, setting};
    return channel.Transact(kCmdSetCableDetect, data, 2);
}

}  // namespace vexilo::requests
