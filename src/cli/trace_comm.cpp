#include "cli/trace_comm.h"

#include <cstdio>
#include <mutex>
#include <ostream>
#include <utility>

namespace vexilo::cli {

namespace {

std::mutex& LogMutex() {
    static std::mutex mutex;
    return mutex;
}

class CTraceComm final : public IPelkComm {
public:
    CTraceComm(std::unique_ptr<IPelkComm> inner, std::string label, std::ostream& log)
        : m_inner(std::move(inner)), m_label(std::move(label)), m_log(log) {}

    bool IsOpen() const override { return m_inner->IsOpen(); }
    bool Open(int port) override { return m_inner->Open(port); }
    PortOpenFailure OpenFailure() const override { return m_inner->OpenFailure(); }
    void Write(const std::uint8_t* buffer, int count) override {
        Line('>', buffer, count);
        m_inner->Write(buffer, count);
    }
    int Read(std::uint8_t* buffer, int count) override {
        const int n = m_inner->Read(buffer, count);
        if (n < count) {
            Line('<', buffer, n, " (time-out)");
        } else {
            Line('<', buffer, n);
        }
        return n;
    }
    void Purge() override { m_inner->Purge(); }
    std::int32_t ControlRequest(std::int32_t code, std::int32_t arg1, std::int32_t arg2,
                                std::int32_t arg3, std::int32_t arg4) override {
        return m_inner->ControlRequest(code, arg1, arg2, arg3, arg4);
    }

private:
    void Line(char direction, const std::uint8_t* bytes, int count, const char* note = "") {
        std::string line = m_label + ' ' + direction;
        for (int i = 0; bytes != nullptr && i < count; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
            line += hex;
        }
        line += note;
        std::lock_guard lock(LogMutex());
        m_log << line << '\n' << std::flush;
    }

    std::unique_ptr<IPelkComm> m_inner;
    std::string m_label;
    std::ostream& m_log;
};

}  // namespace

std::unique_ptr<IPelkComm> TraceComm(std::unique_ptr<IPelkComm> inner, std::string label,
                                     std::ostream& log) {
    return std::make_unique<CTraceComm>(std::move(inner), std::move(label), log);
}

}  // namespace vexilo::cli
