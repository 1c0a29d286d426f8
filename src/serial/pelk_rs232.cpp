// The platform-neutral half of the serial link; the OS calls are in serial_posix.cpp or
// serial_win32.cpp.
#include "serial/pelk_rs232.h"

namespace vexilo {

CRS232Access::~CRS232Access() {
    Close();
}

CPelkRS232::CPelkRS232(const std::string& path, SerialTimeouts timeouts)
    : m_pAccess(std::make_unique<CRS232Access>()), m_timeouts(timeouts) {
    if (Open(path)) {
        Configure();
    }
}

CPelkRS232::~CPelkRS232() {
    m_pAccess->Close();
    m_pAccess.reset();
}

bool CPelkRS232::IsOpen() const {
    return m_pAccess && m_pAccess->HasHandle();
}

}  // namespace vexilo
