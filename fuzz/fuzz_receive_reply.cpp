// Feeds arbitrary bytes to ReceiveReply as if a converter had sent them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "protocol/dev_channel.h"

namespace {

class BytesComm : public vexilo::IPelkComm {
public:
    BytesComm(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool IsOpen() const override { return true; }
    bool Open(const std::string&) override { return true; }
    void Write(const std::uint8_t*, int) override {}
    int Read(std::uint8_t* buffer, int count) override {
        if (count < 0) {
            std::abort();
        }
        int n = 0;
        // The first input byte chooses a chunk limit, so short reads are explored too.
        const size_t limit = size_ > 0 ? (data_[0] % 8) + 1 : 1;
        while (n < count && pos_ < size_ && static_cast<size_t>(n) < limit * 1024) {
            buffer[n++] = data_[pos_++];
        }
        return n;
    }
    void Purge() override {}

private:
    const std::uint8_t* data_;
    size_t size_;
    size_t pos_ = 1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    vexilo::CDevChannel channel(std::make_unique<BytesComm>(data, size));
    while (true) {
        const bool ok = channel.ReceiveReply();
        if (channel.m_nReplyLength < 0 || channel.m_nReplyLength > vexilo::kMaxFrameData) {
            std::abort();
        }
        if (ok && channel.m_nStatus != vexilo::kStatusOk) {
            std::abort();
        }
        if (!ok && (channel.m_nStatus == vexilo::kStatusOk || channel.m_nReplyLength != 0)) {
            std::abort();
        }
        if (!ok) {
            break;
        }
    }
    return 0;
}
