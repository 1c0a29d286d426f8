#include "sim/sim_comm.h"

#include <algorithm>
#include <utility>

namespace vexilo {

CSimComm::CSimComm(std::shared_ptr<CSimConverter> model, SerialTimeouts timeouts)
    : m_model(std::move(model)), m_timeouts(timeouts) {
    Open({});
}

CSimComm::~CSimComm() {
    Close();
}

void CSimComm::Close() {
    if (m_ticket != 0) {
        m_model->ReleaseOpen(m_ticket);
        m_ticket = 0;
    }
    m_parser.Reset();
    m_incoming.clear();
}

bool CSimComm::IsOpen() const {
    return m_ticket != 0 && !m_model->IsUnplugged();
}

bool CSimComm::Open(const std::string&) {
    Close();
    m_ticket = m_model->TryOpen();
    return m_ticket != 0;
}

PortOpenFailure CSimComm::OpenFailure() const {
    if (m_model->IsUnplugged()) {
        return PortOpenFailure::Gone;
    }
    return m_ticket != 0 ? PortOpenFailure::None : PortOpenFailure::Busy;
}

void CSimComm::Write(const std::uint8_t* buffer, int count) {
    if (!IsOpen() || buffer == nullptr || count <= 0) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        switch (m_parser.Feed(buffer[i])) {
            case CSimFrameParser::Result::Frame:
                Deliver(m_model->Handle(m_parser.Command(), m_parser.Data().data(),
                                        static_cast<int>(m_parser.Data().size())));
                break;
            case CSimFrameParser::Result::BadFrame:
                Deliver(m_model->HandleBadFrame());
                break;
            case CSimFrameParser::Result::None:
                break;
        }
        if (!IsOpen()) {
            return;  // unplugged by this request
        }
    }
}

void CSimComm::Deliver(const SimResponse& response) {
    // A reply queues behind whatever the converter is still sending.
    std::int64_t at = m_model->NowMs() + response.delayMs;
    if (!m_incoming.empty()) {
        at = std::max(at, m_incoming.back().arrivalMs);
    }
    for (std::uint8_t b : response.bytes) {
        m_incoming.push_back(InFlight{b, at});
    }
}

int CSimComm::Read(std::uint8_t* buffer, int count) {
    if (!IsOpen() || buffer == nullptr || count <= 0) {
        return 0;
    }
    const std::int64_t start = m_model->NowMs();
    const std::int64_t deadline = start + m_timeouts.ReadBudgetMs(count);
    int done = 0;
    std::int64_t now = start;
    while (done < count && !m_incoming.empty() && m_incoming.front().arrivalMs <= deadline) {
        now = std::max(now, m_incoming.front().arrivalMs);
        buffer[done++] = m_incoming.front().byte;
        m_incoming.pop_front();
    }
    // A read that is not satisfied waits out its whole time-out.
    m_model->AdvanceToMs(done < count ? deadline : now);
    return done;
}

void CSimComm::Purge() {
    if (!IsOpen()) {
        return;
    }
    const std::int64_t now = m_model->NowMs();
    while (!m_incoming.empty() && m_incoming.front().arrivalMs <= now) {
        m_incoming.pop_front();
    }
}

Port SimPort(std::shared_ptr<CSimConverter> model, const std::string& label,
             SerialTimeouts timeouts) {
    const Kind kind = model->Config().kind;
    return Port{{}, label, kind, [model = std::move(model), timeouts]() {
                    return std::make_unique<CSimComm>(model, timeouts);
                }};
}

}  // namespace vexilo
