// The Windows serial link under Wine, against tools/serial_peer.py on pseudo-terminals that
// tools/wine-tests.sh registers as COM ports. Wine reports no line errors, so those are injected
// through the call seam, which also records what the link asks of the driver.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "protocol/dev_channel.h"
#include "serial/pelk_rs232.h"
#include "serial/win32_comm_calls.h"

namespace vexilo {
namespace {

// Short time-outs keep the tests quick; only the silent-read test uses the standard ones.
constexpr SerialTimeouts kQuick{400, 1, 400, 1};

int PortFromEnv(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::atoi(v) : 0;
}

// The device path of COM port `number`, as discovery names it.
std::string Com(int number) {
    return "\\\\.\\COM" + std::to_string(number);
}

// Forwards to the system and keeps a log of the calls; can fake what the driver reports.
class RecordingCalls : public CWin32CommCalls {
public:
    RecordingCalls() : m_previous(SetWin32CommCalls(this)) {}
    ~RecordingCalls() override { SetWin32CommCalls(m_previous); }

    HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override {
        log.push_back("CreateFileW");
        paths.emplace_back(path);
        openArgs = {access, share, disposition, flags};
        openHadExtras = sa != nullptr || templateFile != nullptr;
        opened =
            CWin32CommCalls::CreateFileW(path, access, share, sa, disposition, flags, templateFile);
        return opened;
    }
    BOOL CloseHandle(HANDLE h) override {
        log.push_back("CloseHandle");
        return CWin32CommCalls::CloseHandle(h);
    }
    BOOL GetCommState(HANDLE h, DCB* dcb) override {
        log.push_back("GetCommState");
        lengthAsked = dcb->DCBlength;
        if (failGetState) {
            return FALSE;
        }
        const BOOL ok = CWin32CommCalls::GetCommState(h, dcb);
        if (ok && fakeDriverState) {
            dcb->fOutxCtsFlow = TRUE;
            dcb->fDsrSensitivity = TRUE;
            dcb->fTXContinueOnXoff = FALSE;
            dcb->ErrorChar = '?';
            dcb->EofChar = 0x1A;
            dcb->EvtChar = 0x7E;
            dcb->BaudRate = 9600;
            dcb->Parity = EVENPARITY;
            dcb->fOutX = TRUE;
        }
        return ok;
    }
    BOOL SetCommState(HANDLE h, DCB* dcb) override {
        log.push_back("SetCommState");
        applied = *dcb;
        if (fakeDriverState) {
            return TRUE;  // keep the faked flow control away from the real line
        }
        return CWin32CommCalls::SetCommState(h, dcb);
    }
    BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* t) override {
        log.push_back("GetCommTimeouts");
        if (failGetTimeouts) {
            return FALSE;
        }
        const BOOL ok = CWin32CommCalls::GetCommTimeouts(h, t);
        if (ok) {
            *t = {77, 77, 77, 77, 77};  // whatever the driver had must all be replaced
        }
        return ok;
    }
    BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* t) override {
        log.push_back("SetCommTimeouts");
        timeouts = *t;
        return CWin32CommCalls::SetCommTimeouts(h, t);
    }
    BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat) override {
        log.push_back("ClearCommError");
        statAsked = stat != nullptr;
        const BOOL ok = CWin32CommCalls::ClearCommError(h, errors, stat);
        if (pendingErrors != 0) {
            *errors |= pendingErrors;  // the line error a real driver would report once
            pendingErrors = 0;
        }
        return ok;
    }
    BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* done, OVERLAPPED* ov) override {
        log.push_back("ReadFile");
        return CWin32CommCalls::ReadFile(h, buffer, count, done, ov);
    }
    BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* done,
                   OVERLAPPED* ov) override {
        log.push_back("WriteFile");
        return CWin32CommCalls::WriteFile(h, buffer, count, done, ov);
    }
    BOOL FlushFileBuffers(HANDLE h) override {
        log.push_back("FlushFileBuffers");
        return CWin32CommCalls::FlushFileBuffers(h);
    }
    BOOL PurgeComm(HANDLE h, DWORD flags) override {
        log.push_back("PurgeComm");
        purgeFlags = flags;
        return CWin32CommCalls::PurgeComm(h, flags);
    }

    struct OpenArgs {
        DWORD access = 0, share = 0, disposition = 0, flags = 0;
    };

    std::vector<std::string> log;
    std::vector<std::wstring> paths;
    HANDLE opened = INVALID_HANDLE_VALUE;
    OpenArgs openArgs;
    bool openHadExtras = false;
    DWORD lengthAsked = 0;
    DCB applied{};
    COMMTIMEOUTS timeouts{};
    bool statAsked = false;
    DWORD purgeFlags = 0;
    DWORD pendingErrors = 0;
    bool failGetState = false;
    bool failGetTimeouts = false;
    bool fakeDriverState = false;

private:
    CWin32CommCalls* m_previous;
};

class SerialWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        m_port = PortFromEnv("VEXILO_TEST_COM");
        m_highPort = PortFromEnv("VEXILO_TEST_COM_HIGH");
        if (m_port < 1 || m_highPort < 10) {
            GTEST_SKIP() << "needs VEXILO_TEST_COM and VEXILO_TEST_COM_HIGH (tools/wine-tests.sh)";
        }
    }

    // Writes a frame and returns the echo the peer sends back, read in one call.
    static std::vector<std::uint8_t> EchoOf(CPelkRS232& link, std::vector<std::uint8_t> data) {
        std::vector<std::uint8_t> frame(data.size() + 6);
        BuildFrame(frame.data(), 0x05, data.data(), static_cast<int>(data.size()));
        link.Write(frame.data(), static_cast<int>(frame.size()));
        std::vector<std::uint8_t> reply(frame.size() + 16);
        reply.resize(
            static_cast<std::size_t>(link.Read(reply.data(), static_cast<int>(reply.size()))));
        EXPECT_EQ(reply, frame);
        return reply;
    }

    int m_port = 0;
    int m_highPort = 0;
};

TEST_F(SerialWin32, OpensWithoutSharingAndSetsTheConverterLine) {
    RecordingCalls calls;
    CPelkRS232 link(Com(m_port), kQuick);
    ASSERT_TRUE(link.IsOpen());

    EXPECT_EQ(calls.paths.at(0), L"\\\\.\\COM" + std::to_wstring(m_port));
    EXPECT_EQ(calls.openArgs.access, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(calls.openArgs.share, 0u);
    EXPECT_EQ(calls.openArgs.disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(calls.openArgs.flags, 0u);  // synchronous I/O
    EXPECT_FALSE(calls.openHadExtras);
    EXPECT_EQ(calls.lengthAsked, 28u);
    EXPECT_EQ(calls.log, (std::vector<std::string>{"CreateFileW", "GetCommState", "SetCommState",
                                                   "GetCommTimeouts", "SetCommTimeouts"}));

    const DCB& d = calls.applied;
    EXPECT_EQ(d.BaudRate, 115200u);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, NOPARITY);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_TRUE(d.fBinary);
    EXPECT_TRUE(d.fParity);
    EXPECT_FALSE(d.fOutxDsrFlow);
    EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_FALSE(d.fOutX);
    EXPECT_FALSE(d.fInX);
    EXPECT_FALSE(d.fErrorChar);
    EXPECT_FALSE(d.fNull);
    EXPECT_EQ(d.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    EXPECT_TRUE(d.fAbortOnError);
    EXPECT_EQ(d.XonLim, 100);
    EXPECT_EQ(d.XoffLim, 100);
    EXPECT_EQ(d.XonChar, 0x11);
    EXPECT_EQ(d.XoffChar, 0x13);

    const COMMTIMEOUTS& t = calls.timeouts;
    EXPECT_EQ(t.ReadIntervalTimeout, 0u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 400u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 1u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 400u);

    // The driver took them: what it reports now is the converter's line.
    DCB now{};
    now.DCBlength = sizeof(DCB);
    ASSERT_TRUE(::GetCommState(calls.opened, &now));
    EXPECT_EQ(now.BaudRate, 115200u);
    EXPECT_EQ(now.ByteSize, 8);
    EXPECT_EQ(now.Parity, NOPARITY);
    EXPECT_EQ(now.StopBits, ONESTOPBIT);
    COMMTIMEOUTS kept{};
    ASSERT_TRUE(::GetCommTimeouts(calls.opened, &kept));
    EXPECT_EQ(kept.ReadTotalTimeoutConstant, 400u);
    EXPECT_EQ(kept.ReadIntervalTimeout, 0u);
}

TEST_F(SerialWin32, LeavesTheOtherDriverSettingsAsReported) {
    RecordingCalls calls;
    calls.fakeDriverState = true;
    CPelkRS232 link(Com(m_port), kQuick);
    ASSERT_TRUE(link.IsOpen());
    const DCB& d = calls.applied;
    EXPECT_TRUE(d.fOutxCtsFlow);
    EXPECT_TRUE(d.fDsrSensitivity);
    EXPECT_FALSE(d.fTXContinueOnXoff);
    EXPECT_EQ(d.ErrorChar, '?');
    EXPECT_EQ(d.EofChar, 0x1A);
    EXPECT_EQ(d.EvtChar, 0x7E);
    // ...while the ones the converter needs are overwritten.
    EXPECT_EQ(d.BaudRate, 115200u);
    EXPECT_EQ(d.Parity, NOPARITY);
    EXPECT_FALSE(d.fOutX);
}

TEST_F(SerialWin32, StandardTimeoutsAreTheConvertersOwn) {
    RecordingCalls calls;
    CPelkRS232 link(Com(m_port));
    ASSERT_TRUE(link.IsOpen());
    EXPECT_EQ(calls.timeouts.ReadIntervalTimeout, 0u);
    EXPECT_EQ(calls.timeouts.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(calls.timeouts.ReadTotalTimeoutConstant, 3000u);
    EXPECT_EQ(calls.timeouts.WriteTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(calls.timeouts.WriteTotalTimeoutConstant, 500u);
}

TEST_F(SerialWin32, ARefusedSettingLeavesThePortOpenAndSkipsOnlyThatStep) {
    struct Case {
        bool failState;
        bool failTimeouts;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {true, false, {"CreateFileW", "GetCommState", "GetCommTimeouts", "SetCommTimeouts"}},
        {false, true, {"CreateFileW", "GetCommState", "SetCommState", "GetCommTimeouts"}},
    };
    for (const Case& c : cases) {
        RecordingCalls calls;
        calls.failGetState = c.failState;
        calls.failGetTimeouts = c.failTimeouts;
        CPelkRS232 link(Com(m_port), kQuick);
        EXPECT_TRUE(link.IsOpen());
        EXPECT_EQ(calls.log, c.log);
    }
}

TEST_F(SerialWin32, ExchangesFramesWithThePeer) {
    auto link = std::make_unique<CPelkRS232>(Com(m_port), kQuick);
    ASSERT_TRUE(link->IsOpen());
    CDevChannel channel(std::move(link));
    const std::uint8_t small[] = {0x80};
    ASSERT_TRUE(channel.Transact(0x05, small, 1)) << "status " << channel.m_nStatus;
    ASSERT_EQ(channel.m_nReplyLength, 1);
    EXPECT_EQ(channel.ReplyData()[0], 0x80);

    // A storage-block sized frame, with every byte value (STX, ETX, XON and XOFF included).
    std::vector<std::uint8_t> block(1024);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 7);
    }
    ASSERT_TRUE(channel.Transact(0x12, block.data(), static_cast<int>(block.size())))
        << "status " << channel.m_nStatus;
    ASSERT_EQ(channel.m_nReplyLength, 1024);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), channel.ReplyData()));
}

TEST_F(SerialWin32, AReadThatTimesOutReturnsWhatArrived) {
    CPelkRS232 link(Com(m_port), kQuick);
    ASSERT_TRUE(link.IsOpen());
    // The echo is 10 bytes; asking for 64 returns those 10 when the time-out runs out.
    const auto reply = EchoOf(link, {1, 2, 3, 4});
    EXPECT_EQ(reply.size(), 10u);
}

TEST_F(SerialWin32, AReadWithNothingArrivingReturnsZeroAfterAboutThreeSeconds) {
    CPelkRS232 link(Com(m_port));
    ASSERT_TRUE(link.IsOpen());
    link.Purge();
    std::uint8_t byte = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.Read(&byte, 1), 0);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 2500);   // the driver did wait for the converter...
    EXPECT_LT(waited.count(), 15000);  // ...and gave up
}

TEST_F(SerialWin32, APendingLineErrorLosesExactlyOneRead) {
    RecordingCalls calls;
    CPelkRS232 link(Com(m_port), kQuick);
    ASSERT_TRUE(link.IsOpen());
    std::uint8_t frame[6];
    BuildFrame(frame, 0x00, nullptr, 0);
    link.Write(frame, 6);

    calls.log.clear();
    calls.pendingErrors = CE_FRAME;
    std::uint8_t reply[6] = {};
    EXPECT_EQ(link.Read(reply, 6), 0);
    EXPECT_EQ(calls.log, std::vector<std::string>{"ClearCommError"});  // nothing was read
    EXPECT_FALSE(calls.statAsked);

    EXPECT_EQ(link.Read(reply, 6), 6);  // the echo waited in the driver
    EXPECT_TRUE(std::equal(std::begin(frame), std::end(frame), reply));
}

TEST_F(SerialWin32, APendingLineErrorLosesExactlyOneWrite) {
    RecordingCalls calls;
    CPelkRS232 link(Com(m_port), kQuick);
    ASSERT_TRUE(link.IsOpen());
    link.Purge();
    std::uint8_t frame[7];
    const std::uint8_t data = 0x42;
    BuildFrame(frame, 0x01, &data, 1);

    calls.log.clear();
    calls.pendingErrors = CE_OVERRUN;
    link.Write(frame, 7);
    EXPECT_EQ(calls.log, std::vector<std::string>{"ClearCommError"});
    std::uint8_t reply[7] = {};
    EXPECT_EQ(link.Read(reply, 7), 0);  // the peer got nothing, so it says nothing

    calls.log.clear();
    link.Write(frame, 7);
    EXPECT_EQ(calls.log,
              (std::vector<std::string>{"ClearCommError", "WriteFile", "FlushFileBuffers"}));
    EXPECT_EQ(link.Read(reply, 7), 7);
    EXPECT_TRUE(std::equal(std::begin(frame), std::end(frame), reply));
}

TEST_F(SerialWin32, PurgeDiscardsBothDirections) {
    RecordingCalls calls;
    CPelkRS232 link(Com(m_port), kQuick);
    ASSERT_TRUE(link.IsOpen());
    std::uint8_t frame[6];
    BuildFrame(frame, 0x00, nullptr, 0);
    link.Write(frame, 6);
    std::uint8_t first = 0;
    ASSERT_EQ(link.Read(&first, 1), 1);  // the echo is here: the rest waits in the driver
    link.Purge();
    EXPECT_EQ(calls.purgeFlags, 0x0Fu);
    std::uint8_t rest[5];
    EXPECT_EQ(link.Read(rest, 5), 0);
}

TEST_F(SerialWin32, AnEmptyPathOpensNothing) {
    RecordingCalls calls;
    CPelkRS232 link("", kQuick);
    EXPECT_FALSE(link.IsOpen());
    std::uint8_t buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(link.Read(buffer, 4), 0);
    link.Write(buffer, 4);
    link.Purge();
    EXPECT_FALSE(link.Open(""));
    EXPECT_TRUE(calls.log.empty());  // the system was never asked
}

TEST_F(SerialWin32, TwoDigitPortsOpenThroughTheDevicePath) {
    RecordingCalls calls;
    CPelkRS232 link(Com(m_highPort), kQuick);
    ASSERT_TRUE(link.IsOpen());
    EXPECT_EQ(calls.paths.at(0), L"\\\\.\\COM" + std::to_wstring(m_highPort));
    EchoOf(link, {0x10, 0x20});
}

TEST_F(SerialWin32, APortThatIsNotThereStaysClosed) {
    CPelkRS232 link(Com(199), kQuick);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.OpenFailure(), PortOpenFailure::Gone);
    std::uint8_t byte = 0;
    EXPECT_EQ(link.Read(&byte, 1), 0);
}

// Windows refuses a port held without sharing as "access denied": that means busy, not a
// missing permission.
TEST(SerialWin32Errors, EachOpenErrorHasItsReason) {
    const std::pair<DWORD, PortOpenFailure> cases[] = {
        {ERROR_ACCESS_DENIED, PortOpenFailure::Busy},
        {ERROR_SHARING_VIOLATION, PortOpenFailure::Busy},
        {ERROR_FILE_NOT_FOUND, PortOpenFailure::Gone},
        {ERROR_PATH_NOT_FOUND, PortOpenFailure::Gone},
        {ERROR_DEVICE_NOT_CONNECTED, PortOpenFailure::Gone},
        {ERROR_GEN_FAILURE, PortOpenFailure::Other},
    };
    for (const auto& [code, reason] : cases) {
        EXPECT_EQ(OpenFailureFromSystemError(static_cast<long>(code)), reason) << code;
    }
}

TEST_F(SerialWin32, EmptyRequestsDoNotTouchThePort) {
    RecordingCalls calls;
    CPelkRS232 link(Com(m_port), kQuick);
    ASSERT_TRUE(link.IsOpen());
    calls.log.clear();
    std::uint8_t byte = 0;
    EXPECT_EQ(link.Read(&byte, 0), 0);
    EXPECT_EQ(link.Read(&byte, -3), 0);
    EXPECT_EQ(link.Read(nullptr, 1), 0);
    link.Write(&byte, 0);
    link.Write(&byte, -3);
    link.Write(nullptr, 1);
    EXPECT_TRUE(calls.log.empty());
}

TEST_F(SerialWin32, ReopeningClosesFirstAndDoesNotReconfigure) {
    RecordingCalls calls;
    {
        CPelkRS232 link(Com(m_port), kQuick);
        ASSERT_TRUE(link.IsOpen());
        calls.log.clear();
        EXPECT_TRUE(link.Open(Com(m_highPort)));
        EXPECT_EQ(calls.log, (std::vector<std::string>{"CloseHandle", "CreateFileW"}));
        EXPECT_FALSE(link.Open(""));
        EXPECT_FALSE(link.IsOpen());
        calls.log.clear();
    }
    EXPECT_TRUE(calls.log.empty());  // nothing left to close

    {
        CPelkRS232 link(Com(m_port), kQuick);
        calls.log.clear();
    }
    EXPECT_EQ(calls.log, std::vector<std::string>{"CloseHandle"});
}

}  // namespace
}  // namespace vexilo
