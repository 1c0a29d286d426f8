// Fuzzes the ID record decoder with whatever a converter might send, and checks that coding
// and decoding agree: every record that decodes re-encodes to a record that decodes to the
// same settings, and every block that encodes decodes back.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "protocol/id_record.h"

namespace {

using vexilo::IdBlock;

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Decoded blocks always keep every text terminated inside its field.
void RequireTerminated(const IdBlock& b) {
    Require(b[vexilo::kIdOffSerial + vexilo::kIdSerialMax] == 0);
    Require(b[vexilo::kIdOffModel + vexilo::kIdModelMax] == 0);
    Require(b[vexilo::kIdOffId + vexilo::kIdIdMax] == 0);
    Require(b[vexilo::kIdOffName + vexilo::kIdNameMax] == 0);
}

// encode(b) must succeed, decode back, and encode again to the very same bytes.
void RequireStable(const IdBlock& block) {
    std::array<std::uint8_t, vexilo::kIdStorageSize> storage{};
    std::uint16_t length = 0;
    Require(vexilo::EncodeIdRecord(block, storage, length));
    Require(length >= 34 && length <= 156);
    IdBlock decoded{};
    Require(vexilo::DecodeIdRecord(storage, decoded));
    RequireTerminated(decoded);
    Require(decoded[vexilo::kIdOffEnable] == block[vexilo::kIdOffEnable]);
    Require(decoded[vexilo::kIdOffDid] == block[vexilo::kIdOffDid]);
    std::array<std::uint8_t, vexilo::kIdStorageSize> again{};
    std::uint16_t againLength = 0;
    Require(vexilo::EncodeIdRecord(decoded, again, againLength));
    Require(againLength == length && again == storage);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // As sent: any length, decoded in place.
    IdBlock decoded{};
    const bool ok = vexilo::DecodeIdRecord(std::span(data, size), decoded);
    if (ok) {
        RequireTerminated(decoded);
        RequireStable(decoded);
    } else {
        Require(decoded == vexilo::DefaultIdBlock());
    }

    // As the converter delivers it: a 1024-byte block, the input at its start.
    std::array<std::uint8_t, vexilo::kIdStorageSize> storage{};
    std::memcpy(storage.data(), data, std::min(size, storage.size()));
    // Padding can only complete a record that was cut short; past the largest record the two
    // readings must agree exactly.
    IdBlock fromBlock{};
    const bool okBlock = vexilo::DecodeIdRecord(storage, fromBlock);
    if (ok || size >= static_cast<std::size_t>(vexilo::kIdRecordMax)) {
        Require(okBlock == ok && fromBlock == decoded);
    }

    // The input as an ID block: whatever the encoder accepts must survive the trip.
    IdBlock block{};
    std::memcpy(block.data(), data, std::min(size, block.size()));
    std::array<std::uint8_t, vexilo::kIdRecordMax> record{};
    std::uint16_t length = 0;
    if (vexilo::EncodeIdRecord(block, record, length)) {
        RequireStable(block);
    }
    return 0;
}
