#include "serial/transcript_comm.h"

#include <algorithm>
#include <cstring>

namespace vexilo {

void TranscriptComm::StartReplay() {
    m_next = 0;
    m_mode = m_record.empty() ? Mode::kPassThrough : Mode::kReplay;
}

const TranscriptComm::Entry* TranscriptComm::Next(Call call, int count) {
    if (m_mode != Mode::kReplay) {
        return nullptr;
    }
    const Entry& entry = m_record[m_next];
    if (entry.call != call || entry.count != count) {
        m_mode = Mode::kPassThrough;
        return nullptr;
    }
    if (++m_next == m_record.size()) {
        m_mode = Mode::kPassThrough;  // the record goes with the caller's next call
    }
    return &entry;
}

bool TranscriptComm::Open(const std::string& path) {
    m_mode = Mode::kPassThrough;  // a reopened port has a history of its own
    return m_port->Open(path);
}

void TranscriptComm::Release() {
    if (m_mode == Mode::kPassThrough && m_record.capacity() > 0) {
        std::vector<Entry>().swap(m_record);
    }
}

void TranscriptComm::Write(const std::uint8_t* buffer, int count) {
    Release();
    if (m_mode == Mode::kRecord) {
        m_record.push_back(
            {Call::kWrite, count, std::vector<std::uint8_t>(buffer, buffer + count)});
    } else if (m_mode == Mode::kReplay) {
        const Entry& entry = m_record[m_next];
        const bool same = entry.call == Call::kWrite && entry.count == count &&
                          std::equal(entry.bytes.begin(), entry.bytes.end(), buffer);
        if (same && Next(Call::kWrite, count) != nullptr) {
            return;
        }
        m_mode = Mode::kPassThrough;
    }
    m_port->Write(buffer, count);
}

int TranscriptComm::Read(std::uint8_t* buffer, int count) {
    Release();
    if (const Entry* entry = Next(Call::kRead, count)) {
        std::copy(entry->bytes.begin(), entry->bytes.end(), buffer);
        return static_cast<int>(entry->bytes.size());
    }
    const int got = m_port->Read(buffer, count);
    if (m_mode == Mode::kRecord) {
        m_record.push_back(
            {Call::kRead, count, std::vector<std::uint8_t>(buffer, buffer + std::max(got, 0))});
    }
    return got;
}

void TranscriptComm::Purge() {
    Release();
    if (Next(Call::kPurge, 0) != nullptr) {
        return;
    }
    if (m_mode == Mode::kRecord) {
        m_record.push_back({Call::kPurge, 0, {}});
    }
    m_port->Purge();
}

}  // namespace vexilo
