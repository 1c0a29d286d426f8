#include "sim/sim_converter.h"

#include <algorithm>
#include <cstring>

#include "protocol/dev_channel.h"

namespace vexilo {
namespace {

constexpr std::array<SimFormatInfo, 16> kFormats{{
    {0, 720, 480, 2997, 1, 858},
    {1, 640, 480, 5994, 2, 800},
    {2, 800, 600, 6032, 2, 1056},
    {3, 1024, 768, 6000, 2, 1344},
    {4, 1280, 720, 5994, 2, 1650},
    {5, 1280, 768, 5987, 2, 1664},
    {6, 1280, 800, 5981, 2, 1680},
    {7, 1280, 1024, 6002, 2, 1688},
    {8, 1360, 768, 6002, 2, 1792},
    {9, 1400, 1050, 5998, 2, 1864},
    {10, 1440, 900, 5989, 2, 1904},
    {11, 1600, 1200, 6000, 2, 2160},
    {12, 1680, 1050, 5995, 2, 2240},
    {13, 1920, 1080, 2997, 1, 2200},
    {14, 1920, 1080, 5994, 2, 2200},
    {15, 1920, 1200, 5995, 2, 2080},
}};

constexpr std::array<std::uint16_t, 16> kPhaseDefaults{0,  16, 22, 24, 14, 14, 14, 16,
                                                       14, 16, 16, 16, 16, 16, 16, 16};

constexpr std::uint16_t kDefaultLineTotal = 1344;
constexpr std::uint16_t kPhaseBeyondTable = 16;

constexpr std::array<std::uint16_t, kSimRgbAdjustments> kRgbMax{1000, 100,  4095, 511, 511, 511, 1,
                                                                1023, 1023, 1023, 1,   2,   31};

// Noise that never contains an STX.
constexpr std::array<std::uint8_t, 6> kNoise{0x00, 0xFF, 0x03, 0x55, 0xAA, 0x7E};

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

void PutLe16(std::uint8_t* out, std::uint16_t value) {
    out[0] = static_cast<std::uint8_t>(value & 0xFF);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

SimConfig SimConfig::For(SimKind kind, SimFirmware firmware) {
    SimConfig c;
    c.kind = kind;
    c.cableDetect = kind == SimKind::Dvi;
    switch (kind) {
        case SimKind::Rgb:
            c.initialInputFormat = 3;
            break;
        case SimKind::Ntsc:
            c.initialInputFormat = 0;
            break;
        default:
            c.initialInputFormat = 14;
            break;
    }
    switch (firmware) {
        case SimFirmware::Main:
            break;
        case SimFirmware::Boot:
            c.runningVersion = "1.00";
            c.secondVersion = "1.00";
            c.mainFirmware = false;
            break;
        case SimFirmware::Update:
            c.runningVersion = "2.00u";
            c.secondVersion = "1.00";
            c.mainFirmware = false;
            break;
        case SimFirmware::Old:
            c.runningVersion = "1.05";
            c.secondVersion = "1.00";
            c.cableDetect = false;
            c.idFunction = false;
            c.revert = false;
            break;
    }
    return c;
}

std::array<std::uint8_t, 13> SimStatus::Encode() const {
    std::array<std::uint8_t, 13> out{};
    PutLe16(&out[0], width);
    PutLe16(&out[2], height);
    PutLe16(&out[4], static_cast<std::uint16_t>(fpgaTemp));
    PutLe16(&out[6], static_cast<std::uint16_t>(mcuTemp));
    PutLe16(&out[8], voltage);
    PutLe16(&out[10], frameRate);
    out[12] = scanning;
    return out;
}

const SimFormatInfo* FindSimFormat(std::uint8_t code) {
    return code < kFormats.size() ? &kFormats[code] : nullptr;
}

std::uint16_t SimPhaseDefault(std::uint8_t code) {
    return code < kPhaseDefaults.size() ? kPhaseDefaults[code] : kPhaseBeyondTable;
}

std::vector<std::uint16_t> SimFactoryAdjustments(SimKind kind, std::uint8_t code) {
    if (kind == SimKind::Rgb) {
        const SimFormatInfo* f = FindSimFormat(code);
        const std::uint16_t lineTotal = f ? f->lineTotal : kDefaultLineTotal;
        return {500, 50, lineTotal, 74, 74, 74, 1, 512, 512, 512, 1, 0, SimPhaseDefault(code)};
    }
    if (kind == SimKind::Ntsc) {
        return {128, 128, 128, 128};
    }
    return {};
}

std::uint16_t SimAdjustmentMax(SimKind kind, int index) {
    if (kind == SimKind::Rgb && index >= 0 && index < kSimRgbAdjustments) {
        return kRgbMax[static_cast<size_t>(index)];
    }
    if (kind == SimKind::Ntsc && index >= 0 && index < kSimNtscAdjustments) {
        return 255;
    }
    return 0;
}

const char* SimKindName(SimKind kind) {
    switch (kind) {
        case SimKind::Dvi:
            return "dvi";
        case SimKind::Rgb:
            return "rgb";
        case SimKind::Ntsc:
            return "ntsc";
        default:
            return "other";
    }
}

bool ParseSimKind(const std::string& text, SimKind* kind) {
    for (SimKind k : {SimKind::Dvi, SimKind::Rgb, SimKind::Ntsc, SimKind::Other}) {
        if (text == SimKindName(k)) {
            *kind = k;
            return true;
        }
    }
    return false;
}

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
    const Reply reply = refused ? Reply{} : Execute(command, data, length);
    return Encode(command, reply, faults);
}

SimResponse CSimConverter::HandleBadFrame() {
    std::lock_guard lock(m_mutex);
    ++m_badFrames;
    if (m_unplugged) {
        return {};
    }
    return Encode(kErrorReply, Reply{true, kSimErrFrame, {}}, {});
}

CSimConverter::Reply CSimConverter::Execute(std::uint8_t command, const std::uint8_t* data,
                                            int length) {
    auto error = [](std::uint8_t code) { return Reply{true, code, {}}; };
    if (!m_config.mainFirmware && command != 0x00 && command != 0x01) {
        return error(kSimErrUnsupported);
    }
    switch (command) {
        case 0x00:  // connection check, with or without one data byte
            return length <= 1 ? Reply{true, 0, {}} : error(kSimErrLength);
        case 0x01:
            return ExecuteVersion(data, length);
        case 0x03: {
            if (length != 0) {
                return error(kSimErrLength);
            }
            const auto block = m_status.Encode();
            return Reply{false, 0, {block.begin(), block.end()}};
        }
        case 0x05:
            if (!m_config.idFunction) {
                return error(kSimErrUnsupported);
            }
            if (length != 1) {
                return error(kSimErrLength);
            }
            if (data[0] != 0x80) {
                return error(kSimErrSubFunction);
            }
            return Reply{false, 0, {m_config.seriesCode}};
        case 0x07:
            return ExecuteGet(data, length);
        case 0x08:
            return ExecuteSet(data, length);
        case 0x09:
            return ExecuteCommit(data, length);
        case 0x0F:
            return ExecuteInputFormat(length);
        case 0x11:
            return ExecuteIdRead(data, length);
        case 0x12:
            return ExecuteIdWrite(data, length);
        case 0x14:
        case 0x15:
            return ExecuteCable(command, data, length);
        default:
            return error(kSimErrUnsupported);
    }
}

CSimConverter::Reply CSimConverter::ExecuteVersion(const std::uint8_t* data, int length) const {
    if (length != 1) {
        return Reply{true, kSimErrLength, {}};
    }
    auto text = [](const std::string& s) { return Reply{false, 0, {s.begin(), s.end()}}; };
    switch (data[0]) {
        case 0:
            return text(m_config.runningVersion);
        case 1:
            return text(m_config.secondVersion);
        case 2:
            return Reply{false, 0, {m_config.boardRevision}};
        case 3: {
            Reply r{false, 0, std::vector<std::uint8_t>(2)};
            PutLe16(r.data.data(), m_config.fpgaVersion);
            return r;
        }
        default:
            return Reply{true, kSimErrSubFunction, {}};
    }
}

CSimConverter::Reply CSimConverter::ExecuteGet(const std::uint8_t* data, int length) {
    if (length == 0) {
        return Reply{false, 0, {m_current.outputFormat, m_current.sdiLevel, m_current.scaler}};
    }
    if (length != 2) {
        return Reply{true, kSimErrLength, {}};
    }
    if (data[0] != 0x01 || AdjustmentCount() == 0) {
        return Reply{true, kSimErrSubFunction, {}};
    }
    if (data[1] >= AdjustmentCount()) {
        return Reply{true, kSimErrRange, {}};
    }
    Reply r{false, 0, std::vector<std::uint8_t>(2)};
    PutLe16(r.data.data(), TableOf(ActiveFormatLocked()).current[data[1]]);
    return r;
}

CSimConverter::Reply CSimConverter::ExecuteSet(const std::uint8_t* data, int length) {
    if (length == 3) {  // output settings block
        if (data[0] > 1 || data[1] > 1 || data[2] > 2) {
            return Reply{true, kSimErrRange, {}};
        }
        m_current.outputFormat = data[0];
        m_current.sdiLevel = data[1];
        m_current.scaler = data[2];
        return Reply{true, 0, {}};
    }
    if (length != 4) {
        return Reply{true, kSimErrLength, {}};
    }
    if (data[0] != 0x01 || AdjustmentCount() == 0) {
        return Reply{true, kSimErrSubFunction, {}};
    }
    const int index = data[1];
    const std::uint16_t value = static_cast<std::uint16_t>(data[2] | (data[3] << 8));
    if (index >= AdjustmentCount() || value > SimAdjustmentMax(m_config.kind, index)) {
        return Reply{true, kSimErrRange, {}};
    }
    TableOf(ActiveFormatLocked()).current[static_cast<size_t>(index)] = value;
    return Reply{true, 0, {}};
}

CSimConverter::Reply CSimConverter::ExecuteCommit(const std::uint8_t* data, int length) {
    if (length == 0) {  // store the general settings
        m_stored = m_current;
        return Reply{true, 0, {}};
    }
    if (length != 2) {
        return Reply{true, kSimErrLength, {}};
    }
    const std::uint8_t mode = data[1];
    if (data[0] == 0x00) {
        if (!m_config.revert) {
            return Reply{true, kSimErrUnsupported, {}};
        }
        if (mode > 1) {
            return Reply{true, kSimErrRange, {}};
        }
        if (mode == 0) {
            m_stored = m_current;
        } else {
            m_current = m_stored;
        }
        return Reply{true, 0, {}};
    }
    if (data[0] != 0x01 || AdjustmentCount() == 0) {
        return Reply{true, kSimErrSubFunction, {}};
    }
    if (mode > 1) {
        return Reply{true, kSimErrRange, {}};
    }
    Table& t = TableOf(ActiveFormatLocked());
    if (mode == 0) {
        t.stored = t.current;
    } else {
        t.current = t.stored;
    }
    return Reply{true, 0, {}};
}

CSimConverter::Reply CSimConverter::ExecuteInputFormat(int length) {
    if (length != 0) {
        return Reply{true, kSimErrLength, {}};
    }
    if (!m_formatQueue.empty()) {
        ChangeInputFormat(m_formatQueue.front());
        m_formatQueue.pop_front();
    }
    return Reply{false, 0, {m_inputFormat}};
}

CSimConverter::Reply CSimConverter::ExecuteIdRead(const std::uint8_t* data, int length) const {
    if (!m_config.idFunction) {
        return Reply{true, kSimErrUnsupported, {}};
    }
    if (length != 1) {
        return Reply{true, kSimErrLength, {}};
    }
    if (data[0] != 0x04) {
        return Reply{true, kSimErrSubFunction, {}};
    }
    return Reply{false, 0, {m_idStorage.begin(), m_idStorage.end()}};
}

CSimConverter::Reply CSimConverter::ExecuteIdWrite(const std::uint8_t* data, int length) {
    if (!m_config.idFunction) {
        return Reply{true, kSimErrUnsupported, {}};
    }
    if (length >= 1 && data[0] != 0x04) {
        return Reply{true, kSimErrSubFunction, {}};
    }
    if (length != 1 + kSimIdWriteSize) {
        return Reply{true, kSimErrLength, {}};
    }
    // Written straight to flash; the last four bytes of the block are the firmware's own.
    std::memcpy(m_idStorage.data(), data + 1, kSimIdWriteSize);
    return Reply{false, 0, {0x00}};
}

CSimConverter::Reply CSimConverter::ExecuteCable(std::uint8_t command, const std::uint8_t* data,
                                                 int length) {
    if (!m_config.cableDetect) {
        return Reply{true, m_config.unsupportedCode, {}};
    }
    const int expected = command == 0x14 ? 1 : 2;
    if (length != expected) {
        return Reply{true, kSimErrLength, {}};
    }
    if (data[0] != 0x00) {
        return Reply{true, kSimErrSubFunction, {}};
    }
    if (command == 0x14) {
        return Reply{false, 0, {m_current.cableDetect}};
    }
    if (data[1] > 1) {
        return Reply{true, kSimErrRange, {}};
    }
    m_current.cableDetect = data[1];
    return Reply{true, 0, {}};
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

SimResponse CSimConverter::Encode(std::uint8_t command, const Reply& reply,
                                  const std::vector<SimFaultSpec>& faults) const {
    Reply r = reply;
    auto valueOr = [](const SimFaultSpec& f, int fallback) {
        return f.value > 0 ? f.value : fallback;
    };
    for (const SimFaultSpec& f : faults) {
        if (f.kind == SimFaultKind::ErrorCode) {
            r = Reply{true, static_cast<std::uint8_t>(f.value), {}};
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
