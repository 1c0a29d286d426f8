#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "protocol/dev_channel.h"
#include "serial/pelk_comm.h"

namespace vexilo::test {

struct Request {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;
};

using Bytes = std::vector<std::uint8_t>;

// A reply frame carrying `data`.
inline Bytes DataReply(const Bytes& data) {
    Bytes frame(data.size() + 6);
    BuildFrame(frame.data(), 0x00, data.data(), static_cast<int>(data.size()));
    return frame;
}

// An error reply with `code` (0 is an acknowledgement).
inline Bytes ErrorReply(std::uint8_t code) {
    const std::uint8_t data[] = {code};
    Bytes frame(7);
    BuildFrame(frame.data(), kErrorReply, data, 1);
    return frame;
}

// A converter that answers each request as its handler says: the handler sees the decoded
// request and returns the reply bytes (empty: silence, so the read runs out at once).
// Every request is recorded; a purge drops unread reply bytes, as on a real port.
class ScriptedConverter : public IPelkComm {
public:
    using Handler = std::function<Bytes(const Request&)>;

    explicit ScriptedConverter(Handler h) : handler(std::move(h)) {}

    bool IsOpen() const override { return true; }
    bool Open(const std::string&) override { return true; }
    void Write(const std::uint8_t* buffer, int count) override {
        Request r;
        if (count >= 6) {
            r.command = buffer[1];
            r.data.assign(buffer + 4, buffer + count - 2);
        }
        requests.push_back(r);
        const Bytes reply = handler(r);
        incoming.insert(incoming.end(), reply.begin(), reply.end());
    }
    int Read(std::uint8_t* buffer, int count) override {
        int n = 0;
        while (n < count && !incoming.empty()) {
            buffer[n++] = incoming.front();
            incoming.pop_front();
        }
        return n;
    }
    void Purge() override { incoming.clear(); }

    // The requests with command `command`.
    int Count(std::uint8_t command) const {
        int n = 0;
        for (const Request& r : requests) {
            n += r.command == command ? 1 : 0;
        }
        return n;
    }

    Handler handler;
    std::vector<Request> requests;
    std::deque<std::uint8_t> incoming;
};

}  // namespace vexilo::test
