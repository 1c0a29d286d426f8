#include "protocol/frame_trace.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "protocol/dev_channel.h"
#include "protocol/trace_file.h"

namespace vexilo {
namespace {

// Longest label kept on a line; port labels are far shorter.
constexpr std::size_t kLabelMax = 64;
// Timestamp, label, direction, three characters per byte of the largest frame, the status.
constexpr std::size_t kLineMax = 32 + kLabelMax + 3 * kMaxFrameSize + 48;

struct Trace {
    std::mutex mutex;
    std::FILE* out = nullptr;
    std::atomic<bool> on{false};  // read without the mutex: an idle trace costs one load
    bool ownsFile = false;
    bool started = false;               // by a program or by the environment
    std::array<char, kLineMax> line{};  // one line at a time, under the mutex

    void Close() {
        if (ownsFile && out != nullptr) {
            std::fclose(out);
        }
        out = nullptr;
        ownsFile = false;
        on = false;
    }
    void Open(std::FILE* file, bool owned) {
        out = file;
        ownsFile = owned;
        on = true;
    }
};

Trace& TheTrace() {
    static Trace trace;
    return trace;
}

// Appends to `line` at `pos`; returns the new end.
std::size_t Put(std::array<char, kLineMax>& line, std::size_t pos, std::string_view text) {
    const std::size_t n = std::min(text.size(), line.size() - pos);
    std::memcpy(line.data() + pos, text.data(), n);
    return pos + n;
}

std::size_t PutNumber(std::array<char, kLineMax>& line, std::size_t pos, long long value, int width,
                      char pad) {
    std::array<char, 24> digits{};
    const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    const auto length = static_cast<int>(ec == std::errc{} ? end - digits.data() : 0);
    for (int i = length; i < width && pos < line.size(); ++i) {
        line[pos++] = pad;
    }
    return Put(line, pos, std::string_view(digits.data(), static_cast<std::size_t>(length)));
}

}  // namespace

bool StartFrameTrace(std::string_view target, std::string* error) {
    Trace& t = TheTrace();
    std::lock_guard lock(t.mutex);
    t.Close();
    t.started = true;
    if (target.empty()) {
        return true;
    }
    if (target == "1" || target == "-") {
        t.Open(stderr, false);
        return true;
    }
    const std::string path(target);
    std::string why;
    std::FILE* file = OpenTraceFile(path, why);
    if (file == nullptr) {
        if (error != nullptr) {
            *error = path + ": " + why;
        }
        return false;
    }
    // Unbuffered: each line is one write, none is lost when the program dies, and the stream
    // never allocates a buffer of its own in the middle of a transaction.
    std::setvbuf(file, nullptr, _IONBF, 0);
    t.Open(file, true);
    return true;
}

void StopFrameTrace() {
    Trace& t = TheTrace();
    std::lock_guard lock(t.mutex);
    t.Close();
    t.started = true;
}

bool FrameTraceOn() {
    return TheTrace().on;
}

void StartFrameTraceFromEnvironment() {
    static const bool once = [] {
        const char* value = std::getenv("VEXILO_TRACE");
        {
            Trace& t = TheTrace();
            std::lock_guard lock(t.mutex);
            if (t.started || value == nullptr || *value == '\0' || std::string_view(value) == "0") {
                return true;  // a program's own choice wins over the environment
            }
        }
        std::string error;
        if (!StartFrameTrace(value, &error)) {
            std::fprintf(stderr, "VEXILO_TRACE: cannot open %s\n", error.c_str());
        }
        return true;
    }();
    (void)once;
}

void TraceFrame(const std::string& label, bool outgoing, const std::uint8_t* bytes, int count,
                int status) {
    Trace& t = TheTrace();
    if (!t.on) {
        return;
    }
    std::lock_guard lock(t.mutex);
    if (t.out == nullptr) {
        return;
    }
    // The raw monotonic clock, so the trace lines up with the kernel log and other programs.
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    auto& line = t.line;
    std::size_t pos = Put(line, 0, "[");
    pos = PutNumber(line, pos, us / 1000000, 6, ' ');
    pos = Put(line, pos, ".");
    pos = PutNumber(line, pos, us % 1000000, 6, '0');
    pos = Put(line, pos, "] ");
    pos = Put(line, pos, std::string_view(label).substr(0, kLabelMax));
    pos = Put(line, pos, outgoing ? " >" : " <");
    static constexpr char kHex[] = "0123456789abcdef";
    for (int i = 0; i < count && bytes != nullptr && pos + 3 <= line.size(); ++i) {
        line[pos++] = ' ';
        line[pos++] = kHex[bytes[i] >> 4];
        line[pos++] = kHex[bytes[i] & 0x0F];
    }
    if (status != kStatusOk) {
        pos = Put(line, pos, " (status ");
        pos = PutNumber(line, pos, status, 0, ' ');
        pos = Put(line, pos, ")");
    }
    pos = Put(line, std::min(pos, line.size() - 1), "\n");
    std::fwrite(line.data(), 1, pos, t.out);
}

}  // namespace vexilo
