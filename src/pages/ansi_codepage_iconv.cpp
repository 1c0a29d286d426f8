// ANSI code page conversions on Linux: CP932 through the C library's iconv.
#include <errno.h>
#include <iconv.h>

#include "pages/ansi_codepage.h"

namespace vexilo {

namespace {

bool Convert(const char* to, const char* from, std::string_view in, std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    // CP932 takes at most 2 bytes per character and UTF-8 at most 3 per CP932 byte.
    std::string buffer(in.size() * 3 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = buffer.data();
    std::size_t dstLeft = buffer.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    const bool ok = rc != static_cast<std::size_t>(-1) && srcLeft == 0 &&
                    iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    if (!ok) {
        return false;
    }
    out.assign(buffer.data(), buffer.size() - dstLeft);
    return true;
}

}  // namespace

bool Utf8ToAnsi(std::string_view utf8, std::string& ansi) {
    return Convert("CP932", "UTF-8", utf8, ansi);
}

bool AnsiToUtf8(std::string_view ansi, std::string& utf8) {
    return Convert("UTF-8", "CP932", ansi, utf8);
}

}  // namespace vexilo
