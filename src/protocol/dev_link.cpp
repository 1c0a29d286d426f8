#include "protocol/dev_link.h"

#include <algorithm>
#include <cstring>

#include "protocol/commands.h"

namespace vexilo {

bool CDevLink::Transact(std::uint8_t command, const std::uint8_t* data, int length) {
    return m_pChannel && m_pChannel->Transact(command, data, length);
}

bool CDevLink::CheckConnection(int attempts, bool withoutData) {
    const std::uint8_t data[] = {kCheckConnectionData};
    // A count below one still makes one attempt: the caller asked whether the converter answers.
    const int tries = std::max(attempts, 1);
    for (int i = 0; i < tries; ++i) {
        if (Transact(kCmdCheckConnection, withoutData ? nullptr : data, withoutData ? 0 : 1)) {
            return true;
        }
    }
    return false;
}

int CDevLink::GetVersionInfo(std::uint8_t selector, std::uint8_t* buffer, int size) {
    if (buffer == nullptr || size < 1) {
        return 0;  // nowhere to put the text
    }
    buffer[0] = 0;
    const std::uint8_t data[] = {selector};
    if (!Transact(kCmdGetVersionInfo, data, 1)) {
        return 0;
    }
    const int n = std::min(ReplyLength(), size);
    if (n > 0) {
        std::memcpy(buffer, Reply(), static_cast<size_t>(n));
    }
    return n;
}

std::optional<std::uint8_t> CDevLink::GetSeriesCode() {
    const std::uint8_t data[] = {kSelSeriesCode};
    if (!Transact(kCmdGetSeriesCode, data, 1) || ReplyLength() != 1 ||
        Reply()[0] == kSeriesCodeReserved) {
        return std::nullopt;
    }
    return Reply()[0];
}

std::optional<std::uint16_t> CDevLink::GetAdjustment(std::uint8_t index) {
    const std::uint8_t data[] = {kSelAdjustment, index};
    if (!Transact(kCmdGetSettings, data, 2) || ReplyLength() != 2) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(Reply()[0] | (Reply()[1] << 8));
}

bool CDevLink::SetAdjustment(std::uint8_t index, std::uint16_t value) {
    const std::uint8_t data[] = {kSelAdjustment, index, static_cast<std::uint8_t>(value & 0xFF),
                                 static_cast<std::uint8_t>(value >> 8)};
    return Transact(kCmdSetSettings, data, 4);
}

bool CDevLink::CommitDeviceSettings(std::uint8_t mode) {
    if (mode == 0) {
        return Transact(kCmdCommit);
    }
    const std::uint8_t data[] = {kSelGeneral, mode};
    return Transact(kCmdCommit, data, 2);
}

bool CDevLink::CommitAdjustments(std::uint8_t mode) {
    const std::uint8_t data[] = {kSelAdjustment, mode};
    return Transact(kCmdCommit, data, 2);
}

std::optional<std::uint8_t> CDevLink::GetInputFormat() {
    if (!Transact(kCmdGetInputFormat) || ReplyLength() != 1 || Reply()[0] == kInputFormatReserved) {
        return std::nullopt;
    }
    return Reply()[0];
}

bool CDevLink::ReadIdBlock(std::uint8_t* buffer, std::uint16_t size) {
    if (buffer == nullptr && size > 0) {
        return false;
    }
    const std::uint8_t data[] = {kSelIdStorage};
    if (!Transact(kCmdReadIdBlock, data, 1) || ReplyLength() != kIdStorageSize) {
        return false;
    }
    const int n = std::min<int>(size, kIdStorageSize);
    if (n > 0) {
        std::memcpy(buffer, Reply(), static_cast<size_t>(n));
    }
    return true;
}

CDevLink::IdRead CDevLink::LoadIdRecord(IdBlock& block) {
    block = DefaultIdBlock();
    std::array<std::uint8_t, kIdStorageSize> storage{};
    if (!ReadIdBlock(storage.data(), kIdStorageSize)) {
        return IdRead::kUnread;
    }
    IdBlock decoded{};
    if (!DecodeIdRecord(storage, decoded)) {
        return IdRead::kUndecodable;
    }
    block = decoded;
    return IdRead::kDecoded;
}

bool CDevLink::StoreIdRecord(const IdBlock& block, unsigned fields, bool* written) {
    if (written != nullptr) {
        *written = false;
    }
    // Encoding the whole block first checks it before anything is sent; it is also the record
    // for a converter whose own record does not decode.
    std::array<std::uint8_t, kIdRecordMax> record{};
    std::uint16_t recordLength = 0;
    if (!EncodeIdRecord(block, record, recordLength)) {
        return false;
    }
    std::array<std::uint8_t, kIdStorageWritable> current{};
    if (!ReadIdBlock(current.data(), kIdStorageWritable)) {
        return false;
    }
    std::array<std::uint8_t, kIdRecordMax> merged{};
    std::uint16_t mergedLength = 0;
    if (MergeIdRecord(current, block, fields, merged, mergedLength)) {
        record = merged;
        recordLength = mergedLength;
    }
    // The write request is the area selector followed by the new block, built in place; what
    // the converter keeps past the record area goes back unchanged.
    std::array<std::uint8_t, 1 + kIdStorageWritable> request{};
    request[0] = kSelIdStorage;
    std::uint8_t* const updated = request.data() + 1;
    std::memcpy(updated, current.data(), current.size());
    std::memset(updated, 0, kIdRecordMax);
    std::memcpy(updated, record.data(), recordLength);
    if (std::memcmp(updated, current.data(), current.size()) == 0) {
        return true;
    }
    if (!Transact(kCmdWriteIdBlock, request.data(), static_cast<int>(request.size())) ||
        ReplyLength() != 1) {
        return false;
    }
    if (written != nullptr) {
        *written = true;
    }
    return true;
}

}  // namespace vexilo
