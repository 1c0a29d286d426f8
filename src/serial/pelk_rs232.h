#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/pelk_comm.h"

namespace vexilo {

// Time-outs of the converter link. Production code always uses Standard(); tests may pass
// shorter ones so that a silent peer does not cost seconds.
struct SerialTimeouts {
    int readConstantMs = 3000;
    int readPerByteMs = 10;
    int writeConstantMs = 500;
    int writePerByteMs = 10;

    static constexpr SerialTimeouts Standard() { return {}; }
    int ReadBudgetMs(int count) const { return readConstantMs + readPerByteMs * count; }
    int WriteBudgetMs(int count) const { return writeConstantMs + writePerByteMs * count; }
};

// Holder of the operating-system handle of one open port; closes it when destroyed.
class CRS232Access {
public:
    static constexpr std::intptr_t kNoHandle = -1;

    CRS232Access() = default;
    CRS232Access(const CRS232Access&) = delete;
    CRS232Access& operator=(const CRS232Access&) = delete;
    virtual ~CRS232Access();

    bool HasHandle() const { return m_hComm != kNoHandle; }
    void Close();

    std::intptr_t m_hComm = kNoHandle;
};

// IPelkComm on a serial port: 115200 8N1, no flow control, exclusive open. The port is named by
// its device path ("/dev/ttyACM0", "\\.\COM3"); an empty path opens nothing.
// The platform half lives in serial_posix.cpp or serial_win32.cpp.
class CPelkRS232 final : public IPelkComm {
public:
    explicit CPelkRS232(const std::string& path,
                        SerialTimeouts timeouts = SerialTimeouts::Standard());
    ~CPelkRS232() override;
    CPelkRS232(const CPelkRS232&) = delete;
    CPelkRS232& operator=(const CPelkRS232&) = delete;

    bool IsOpen() const override;
    bool Open(const std::string& path) override;
    PortOpenFailure OpenFailure() const override { return m_openFailure; }
    void Write(const std::uint8_t* buffer, int count) override;
    int Read(std::uint8_t* buffer, int count) override;
    void Purge() override;

private:
    void Configure();
    int TakeReadAhead(std::uint8_t* buffer, int count);

    std::unique_ptr<CRS232Access> m_pAccess;
    SerialTimeouts m_timeouts;
    PortOpenFailure m_openFailure = PortOpenFailure::Other;
    // Bytes the POSIX side read past what was asked: a reply arrives whole, and the framing asks
    // for it in three pieces, so one read serves all three. Purge and Open discard it.
    std::array<std::uint8_t, 4166> m_readAhead{};
    int m_readAheadBegin = 0;
    int m_readAheadEnd = 0;
};

// The reason for an operating-system error code of a failed open: errno on POSIX systems,
// GetLastError() on Windows.
PortOpenFailure OpenFailureFromSystemError(long code);

}  // namespace vexilo
