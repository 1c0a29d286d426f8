#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "serial/pelk_comm.h"

namespace vexilo::test {

// Scripted byte stream: replies are queued as bytes, every write and purge is recorded.
// A read returns what is queued (up to the count) at once, like a read whose time-out ran out.
class FakeComm : public IPelkComm {
public:
    bool IsOpen() const override { return open; }
    bool Open(const std::string& path) override { return open = !path.empty(); }
    void Write(const std::uint8_t* buffer, int count) override {
        writes.emplace_back(buffer, buffer + count);
    }
    int Read(std::uint8_t* buffer, int count) override {
        ++reads;
        const int n = std::min<int>(count, static_cast<int>(incoming.size()));
        for (int i = 0; i < n; ++i) {
            buffer[i] = incoming.front();
            incoming.pop_front();
        }
        return n;
    }
    void Purge() override {
        ++purges;
        if (purgeDropsInput) {
            incoming.clear();
        }
    }

    void Queue(std::initializer_list<std::uint8_t> bytes) {
        incoming.insert(incoming.end(), bytes);
    }
    void Queue(const std::vector<std::uint8_t>& bytes) {
        incoming.insert(incoming.end(), bytes.begin(), bytes.end());
    }

    bool open = true;
    bool purgeDropsInput = false;  // replies are queued before the request, so keep them
    std::deque<std::uint8_t> incoming;
    std::vector<std::vector<std::uint8_t>> writes;
    int reads = 0;
    int purges = 0;
};

}  // namespace vexilo::test
