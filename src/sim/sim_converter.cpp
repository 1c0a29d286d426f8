#include "sim/sim_converter.h"

#include <algorithm>
#include <cstring>

#include "protocol/dev_channel.h"  // kErrorReply

namespace vexilo {
namespace {

// The commands this firmware knows and the selector bytes it expects, written from the
// converter's side. They do not come from the panel's own command list on purpose: a wrong code
// there then shows as a refused request in the tests instead of agreeing with itself.
enum : std::uint8_t {
    kSimCmdCheckConnection = 0x00,
    kSimCmdVersion = 0x01,
    kSimCmdStatus = 0x03,
    kSimCmdSeriesCode = 0x05,
    kSimCmdGetSettings = 0x07,  // no data: output settings; kSimSelAdjustment index: one adjustment
    kSimCmdSetSettings =
        0x08,  // 3 bytes: output settings; kSimSelAdjustment index value: one adjustment
    kSimCmdCommit = 0x09,  // no data: save general; selector mode: save (0) or revert (1)
    kSimCmdInputFormat = 0x0F,
    kSimCmdIdRead = 0x11,
    kSimCmdIdWrite = 0x12,
    kSimCmdGetCableDetect = 0x14,
    kSimCmdSetCableDetect = 0x15,
};
enum : std::uint8_t {
    kSimSelGeneral = 0x00,
    kSimSelAdjustment = 0x01,
    kSimSelIdStorage = 0x04,
    kSimSelSeriesCode = 0x80,
};

int TableSize(SimKind kind) {
    switch (kind) {
        case SimKind::Rgb:
            return kSimRgbAdjustments;
        case SimKind::Ntsc:
            return kSimNtscAdjustments;
        default:
            return 0;
    }
}

}  // namespace

CSimConverter::CSimConverter(SimConfig config)
    : m_config(std::move(config)), m_inputFormat(kSimNoInput) {
    m_idStorage.fill(0xFF);  // erased flash: no identification record yet
    ChangeInputFormat(m_config.initialInputFormat);
}

// ---- requests -------------------------------------------------------------------------------

SimResponse CSimConverter::Handle(std::uint8_t command, const std::uint8_t* data, int length) {
    std::lock_guard lock(m_mutex);
    if (length < 0 || (length > 0 && data == nullptr)) {
        length = 0;
    }
    m_log.push_back(SimRequest{command, std::vector<std::uint8_t>(data, data + length)});
    if (m_unplugged) {
        return {};
    }
    const std::vector<SimFaultSpec> faults = TakeFaults(command);
    for (const SimFaultSpec& f : faults) {
        if (f.kind == SimFaultKind::Unplug) {
            m_unplugged = true;
            return SimResponse{{}, 0, true};
        }
    }
    // A converter that refuses a request does not carry it out.
    const bool refused = std::any_of(faults.begin(), faults.end(), [](const SimFaultSpec& f) {
        return f.kind == SimFaultKind::ErrorCode;
    });
    const SimReply reply = refused ? SimReply{} : Execute(command, data, length);
    return EncodeSimReply(command, reply, faults);
}

SimResponse CSimConverter::HandleBadFrame() {
    std::lock_guard lock(m_mutex);
    ++m_badFrames;
    if (m_unplugged) {
        return {};
    }
    return EncodeSimReply(kErrorReply, SimReply{true, kSimErrFrame, {}}, {});
}

SimReply CSimConverter::Execute(std::uint8_t command, const std::uint8_t* data, int length) {
    auto error = [](std::uint8_t code) { return SimReply{true, code, {}}; };
    if (!m_config.mainFirmware && command != kSimCmdCheckConnection && command != kSimCmdVersion) {
        return error(kSimErrUnsupported);
    }
    switch (command) {
        case kSimCmdCheckConnection:  // connection check, with or without one data byte
            return length <= 1 ? SimReply{true, 0, {}} : error(kSimErrLength);
        case kSimCmdVersion:
            return ExecuteVersion(data, length);
        case kSimCmdStatus: {
            if (length != 0) {
                return error(kSimErrLength);
            }
            const auto block = m_status.Encode();
            return SimReply{false, 0, {block.begin(), block.end()}};
        }
        case kSimCmdSeriesCode:
            if (!m_config.idFunction) {
                return error(kSimErrUnsupported);
            }
            if (length != 1) {
                return error(kSimErrLength);
            }
            if (data[0] != kSimSelSeriesCode) {
                return error(kSimErrSubFunction);
            }
            return SimReply{false, 0, {m_config.seriesCode}};
        case kSimCmdGetSettings:
            return ExecuteGet(data, length);
        case kSimCmdSetSettings:
            return ExecuteSet(data, length);
        case kSimCmdCommit:
            return ExecuteCommit(data, length);
        case kSimCmdInputFormat:
            return ExecuteInputFormat(length);
        case kSimCmdIdRead:
            return ExecuteIdRead(data, length);
        case kSimCmdIdWrite:
            return ExecuteIdWrite(data, length);
        case kSimCmdGetCableDetect:
        case kSimCmdSetCableDetect:
            return ExecuteCable(command, data, length);
        default:
            return error(kSimErrUnsupported);
    }
}

SimReply CSimConverter::ExecuteVersion(const std::uint8_t* data, int length) const {
    if (length != 1) {
        return SimReply{true, kSimErrLength, {}};
    }
    auto text = [](const std::string& s) { return SimReply{false, 0, {s.begin(), s.end()}}; };
    switch (data[0]) {
        case 0:
            return text(m_config.runningVersion);
        case 1:
            return text(m_config.secondVersion);
        case 2:
            return SimReply{false, 0, {m_config.boardRevision}};
        case 3: {
            SimReply r{false, 0, std::vector<std::uint8_t>(2)};
            PutSimLe16(r.data.data(), m_config.fpgaVersion);
            return r;
        }
        default:
            return SimReply{true, kSimErrSubFunction, {}};
    }
}

SimReply CSimConverter::ExecuteGet(const std::uint8_t* data, int length) {
    if (length == 0) {
        return SimReply{false, 0, {m_current.outputFormat, m_current.sdiLevel, m_current.scaler}};
    }
    if (length != 2) {
        return SimReply{true, kSimErrLength, {}};
    }
    if (data[0] != kSimSelAdjustment || AdjustmentCount() == 0) {
        return SimReply{true, kSimErrSubFunction, {}};
    }
    if (data[1] >= AdjustmentCount()) {
        return SimReply{true, kSimErrRange, {}};
    }
    SimReply r{false, 0, std::vector<std::uint8_t>(2)};
    PutSimLe16(r.data.data(), TableOf(ActiveFormatLocked()).current[data[1]]);
    return r;
}

SimReply CSimConverter::ExecuteSet(const std::uint8_t* data, int length) {
    if (length == 3) {  // output settings block
        if (data[0] > 1 || data[1] > 1 || data[2] > 2) {
            return SimReply{true, kSimErrRange, {}};
        }
        m_current.outputFormat = data[0];
        m_current.sdiLevel = data[1];
        m_current.scaler = data[2];
        return SimReply{true, 0, {}};
    }
    if (length != 4) {
        return SimReply{true, kSimErrLength, {}};
    }
    if (data[0] != kSimSelAdjustment || AdjustmentCount() == 0) {
        return SimReply{true, kSimErrSubFunction, {}};
    }
    const int index = data[1];
    const std::uint16_t value = static_cast<std::uint16_t>(data[2] | (data[3] << 8));
    if (index >= AdjustmentCount() || value > SimAdjustmentMax(m_config.kind, index)) {
        return SimReply{true, kSimErrRange, {}};
    }
    TableOf(ActiveFormatLocked()).current[static_cast<size_t>(index)] = value;
    return SimReply{true, 0, {}};
}

SimReply CSimConverter::ExecuteCommit(const std::uint8_t* data, int length) {
    if (length == 0) {  // store the general settings
        m_stored = m_current;
        return SimReply{true, 0, {}};
    }
    if (length != 2) {
        return SimReply{true, kSimErrLength, {}};
    }
    const std::uint8_t mode = data[1];
    if (data[0] == kSimSelGeneral) {
        if (!m_config.revert) {
            return SimReply{true, kSimErrUnsupported, {}};
        }
        if (mode > 1) {
            return SimReply{true, kSimErrRange, {}};
        }
        if (mode == 0) {
            m_stored = m_current;
        } else {
            m_current = m_stored;
        }
        return SimReply{true, 0, {}};
    }
    if (data[0] != kSimSelAdjustment || AdjustmentCount() == 0) {
        return SimReply{true, kSimErrSubFunction, {}};
    }
    if (mode > 1) {
        return SimReply{true, kSimErrRange, {}};
    }
    Table& t = TableOf(ActiveFormatLocked());
    if (mode == 0) {
        t.stored = t.current;
    } else {
        t.current = t.stored;
    }
    return SimReply{true, 0, {}};
}

SimReply CSimConverter::ExecuteInputFormat(int length) {
    if (length != 0) {
        return SimReply{true, kSimErrLength, {}};
    }
    if (!m_formatQueue.empty()) {
        ChangeInputFormat(m_formatQueue.front());
        m_formatQueue.pop_front();
    }
    return SimReply{false, 0, {m_inputFormat}};
}

SimReply CSimConverter::ExecuteIdRead(const std::uint8_t* data, int length) const {
    if (!m_config.idFunction) {
        return SimReply{true, kSimErrUnsupported, {}};
    }
    if (length != 1) {
        return SimReply{true, kSimErrLength, {}};
    }
    if (data[0] != kSimSelIdStorage) {
        return SimReply{true, kSimErrSubFunction, {}};
    }
    return SimReply{false, 0, {m_idStorage.begin(), m_idStorage.end()}};
}

SimReply CSimConverter::ExecuteIdWrite(const std::uint8_t* data, int length) {
    if (!m_config.idFunction) {
        return SimReply{true, kSimErrUnsupported, {}};
    }
    if (length >= 1 && data[0] != kSimSelIdStorage) {
        return SimReply{true, kSimErrSubFunction, {}};
    }
    if (length != 1 + kSimIdWriteSize) {
        return SimReply{true, kSimErrLength, {}};
    }
    // Written straight to flash; the last four bytes of the block are the firmware's own.
    std::memcpy(m_idStorage.data(), data + 1, kSimIdWriteSize);
    return SimReply{false, 0, {0x00}};
}

SimReply CSimConverter::ExecuteCable(std::uint8_t command, const std::uint8_t* data, int length) {
    if (!m_config.cableDetect) {
        return SimReply{true, m_config.unsupportedCode, {}};
    }
    const int expected = command == kSimCmdGetCableDetect ? 1 : 2;
    if (length != expected) {
        return SimReply{true, kSimErrLength, {}};
    }
    if (data[0] != kSimSelGeneral) {
        return SimReply{true, kSimErrSubFunction, {}};
    }
    if (command == kSimCmdGetCableDetect) {
        return SimReply{false, 0, {m_current.cableDetect}};
    }
    if (data[1] > 1) {
        return SimReply{true, kSimErrRange, {}};
    }
    m_current.cableDetect = data[1];
    return SimReply{true, 0, {}};
}

// ---- faults and framing ---------------------------------------------------------------------

std::vector<SimFaultSpec> CSimConverter::TakeFaults(std::uint8_t command) {
    std::vector<SimFaultSpec> taken;
    for (ArmedFault& a : m_faults) {
        if (a.spec.command != kSimAnyCommand && a.spec.command != command) {
            continue;
        }
        if (a.skipLeft > 0) {
            --a.skipLeft;
            continue;
        }
        if (a.countLeft == 0) {
            continue;
        }
        taken.push_back(a.spec);
        if (a.countLeft > 0) {
            --a.countLeft;
        }
    }
    std::erase_if(m_faults, [](const ArmedFault& a) { return a.countLeft == 0; });
    return taken;
}

// ---- state ----------------------------------------------------------------------------------

CSimConverter::Table& CSimConverter::TableOf(std::uint8_t format) {
    auto it = m_tables.find(format);
    if (it == m_tables.end()) {
        const auto factory = SimFactoryAdjustments(m_config.kind, format);
        it = m_tables.emplace(format, Table{factory, factory}).first;
    }
    return it->second;
}

void CSimConverter::ChangeInputFormat(std::uint8_t code) {
    if (code == m_inputFormat) {
        return;
    }
    const std::uint8_t before = m_inputFormat != kSimNoInput ? m_inputFormat : m_lastFormat;
    m_inputFormat = code;
    if (code != kSimNoInput) {
        m_lastFormat = code;
    }
    // Another format's values replace the ones on screen: unsaved changes of the old are lost.
    const std::uint8_t after = code != kSimNoInput ? code : m_lastFormat;
    if (after != before) {
        if (auto it = m_tables.find(before); it != m_tables.end()) {
            it->second.current = it->second.stored;
        }
    }
    if (code == kSimNoInput) {
        m_status.width = m_status.height = m_status.frameRate = 0xFFFF;
        m_status.scanning = 0;
    } else if (const SimFormatInfo* f = FindSimFormat(code)) {
        m_status.width = f->width;
        m_status.height = f->height;
        m_status.frameRate = f->frameRate;
        m_status.scanning = f->scanning;
    }
}

std::vector<SimRequest> CSimConverter::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<std::uint8_t> CSimConverter::LoggedCommands() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::uint8_t> out;
    out.reserve(m_log.size());
    for (const SimRequest& r : m_log) {
        out.push_back(r.command);
    }
    return out;
}

void CSimConverter::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
    m_badFrames = 0;
}

int CSimConverter::BadFrameCount() const {
    std::lock_guard lock(m_mutex);
    return m_badFrames;
}

void CSimConverter::AddFault(const SimFaultSpec& fault) {
    std::lock_guard lock(m_mutex);
    if (fault.count == 0) {
        return;
    }
    m_faults.push_back(
        ArmedFault{fault, std::max(0, fault.skip), fault.count < 0 ? kSimForever : fault.count});
}

void CSimConverter::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

SimGeneral CSimConverter::Current() const {
    std::lock_guard lock(m_mutex);
    return m_current;
}

SimGeneral CSimConverter::Stored() const {
    std::lock_guard lock(m_mutex);
    return m_stored;
}

void CSimConverter::SetCurrent(const SimGeneral& general) {
    std::lock_guard lock(m_mutex);
    m_current = general;
}

void CSimConverter::SetStored(const SimGeneral& general) {
    std::lock_guard lock(m_mutex);
    m_stored = general;
}

int CSimConverter::AdjustmentCount() const {
    return TableSize(m_config.kind);
}

std::vector<std::uint16_t> CSimConverter::Adjustments(std::uint8_t format) const {
    std::lock_guard lock(m_mutex);
    auto it = m_tables.find(format);
    return it != m_tables.end() ? it->second.current : SimFactoryAdjustments(m_config.kind, format);
}

std::vector<std::uint16_t> CSimConverter::StoredAdjustments(std::uint8_t format) const {
    std::lock_guard lock(m_mutex);
    auto it = m_tables.find(format);
    return it != m_tables.end() ? it->second.stored : SimFactoryAdjustments(m_config.kind, format);
}

void CSimConverter::SetAdjustment(std::uint8_t format, int index, std::uint16_t value) {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= AdjustmentCount()) {
        return;
    }
    TableOf(format).current[static_cast<size_t>(index)] = value;
}

std::uint8_t CSimConverter::ActiveFormat() const {
    std::lock_guard lock(m_mutex);
    return ActiveFormatLocked();
}

std::uint8_t CSimConverter::ActiveFormatLocked() const {
    return m_inputFormat != kSimNoInput ? m_inputFormat : m_lastFormat;
}

std::uint8_t CSimConverter::InputFormat() const {
    std::lock_guard lock(m_mutex);
    return m_inputFormat;
}

void CSimConverter::SetInputFormat(std::uint8_t code) {
    std::lock_guard lock(m_mutex);
    m_formatQueue.clear();
    ChangeInputFormat(code);
}

void CSimConverter::QueueInputFormats(const std::vector<std::uint8_t>& codes) {
    std::lock_guard lock(m_mutex);
    m_formatQueue.insert(m_formatQueue.end(), codes.begin(), codes.end());
}

SimStatus CSimConverter::Status() const {
    std::lock_guard lock(m_mutex);
    return m_status;
}

void CSimConverter::SetStatus(const SimStatus& status) {
    std::lock_guard lock(m_mutex);
    m_status = status;
}

std::array<std::uint8_t, kSimIdStorageSize> CSimConverter::IdStorage() const {
    std::lock_guard lock(m_mutex);
    return m_idStorage;
}

void CSimConverter::SetIdStorage(const std::array<std::uint8_t, kSimIdStorageSize>& block) {
    std::lock_guard lock(m_mutex);
    m_idStorage = block;
}

void CSimConverter::PowerCycle() {
    std::lock_guard lock(m_mutex);
    m_current = m_stored;
    for (auto& [format, table] : m_tables) {
        table.current = table.stored;
    }
}

void CSimConverter::Unplug() {
    std::lock_guard lock(m_mutex);
    m_unplugged = true;
}

void CSimConverter::Replug() {
    std::lock_guard lock(m_mutex);
    if (m_unplugged) {
        m_unplugged = false;
        m_openCount = 0;  // the handles of the old connection are dead
        ++m_plugCycle;
    }
}

bool CSimConverter::IsUnplugged() const {
    std::lock_guard lock(m_mutex);
    return m_unplugged;
}

std::uint64_t CSimConverter::TryOpen() {
    std::lock_guard lock(m_mutex);
    if (m_unplugged || (m_config.exclusiveOpen && m_openCount > 0)) {
        return 0;
    }
    ++m_openCount;
    return m_plugCycle;
}

void CSimConverter::ReleaseOpen(std::uint64_t ticket) {
    std::lock_guard lock(m_mutex);
    if (ticket == m_plugCycle && m_openCount > 0) {
        --m_openCount;
    }
}

int CSimConverter::OpenCount() const {
    std::lock_guard lock(m_mutex);
    return m_openCount;
}

std::int64_t CSimConverter::NowMs() const {
    std::lock_guard lock(m_mutex);
    return m_nowMs;
}

void CSimConverter::AdvanceToMs(std::int64_t ms) {
    std::lock_guard lock(m_mutex);
    m_nowMs = std::max(m_nowMs, ms);
}

}  // namespace vexilo
