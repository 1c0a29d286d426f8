#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vexilo {

// The ID block: the panel's in-memory form of the converter's identification settings.
// 128 bytes, byte-packed; every text is zero-terminated within its field.
inline constexpr int kIdBlockSize = 128;
inline constexpr int kIdOffEnable = 0;  // 1 = ID function on, 0 = off
inline constexpr int kIdOffDid = 1;     // 0x50 to 0x5F
inline constexpr int kIdOffSerial = 2;  // 11 bytes, ASCII, up to 10 characters
inline constexpr int kIdOffModel = 13;  // 17 bytes, ASCII, up to 16 characters
inline constexpr int kIdOffId = 30;     // 17 bytes, ASCII, up to 16 characters
inline constexpr int kIdOffName = 47;   // 81 bytes, UTF-8, up to 80 bytes
inline constexpr int kIdSerialMax = 10;
inline constexpr int kIdModelMax = 16;
inline constexpr int kIdIdMax = 16;
inline constexpr int kIdNameMax = 80;
inline constexpr std::uint8_t kIdDidMin = 0x50;
inline constexpr std::uint8_t kIdDidMax = 0x5F;
inline constexpr std::uint8_t kIdDidDefault = 0x5F;

// The converter's storage block (commands 0x11 and 0x12) and the record at its start.
inline constexpr int kIdStorageSize = 1024;
inline constexpr int kIdStorageWritable = 1020;  // the last 4 bytes are never written
inline constexpr int kIdRecordMax = 261;         // bytes the panel reserves for the record
inline constexpr int kIdItemListBuffer = 252;    // room of the item-list builder
inline constexpr int kIdItemListMax = 251;       // L must keep n = L + 4 within a byte

// Record header and item types.
inline constexpr std::uint8_t kIdRecordMarker = 0x01;
inline constexpr std::uint8_t kIdRecordFixed3 = 0x01;
inline constexpr std::uint8_t kIdRecordFixed6 = 0xFC;
inline constexpr std::uint8_t kIdItemTag = 0x01;      // "E-AUXTAG"
inline constexpr std::uint8_t kIdItemVersion = 0x02;  // "0001"
inline constexpr std::uint8_t kIdItemModel = 0x03;
inline constexpr std::uint8_t kIdItemSerial = 0x04;
inline constexpr std::uint8_t kIdItemId = 0x10;
inline constexpr std::uint8_t kIdItemName = 0x11;

using IdBlock = std::array<std::uint8_t, kIdBlockSize>;

// Fields of an ID block, as a mask: which of them a save replaces in the converter's record.
enum : unsigned {
    kIdFieldEnable = 1u << 0,
    kIdFieldDid = 1u << 1,
    kIdFieldSerial = 1u << 2,
    kIdFieldModel = 1u << 3,
    kIdFieldId = 1u << 4,
    kIdFieldName = 1u << 5,
    kIdFieldsAll = (1u << 6) - 1,
};

// Function off, DID 0x5F, every text empty.
IdBlock DefaultIdBlock();

// Length of a text field: the bytes before its first zero, at most `max`.
int IdTextLength(const IdBlock& block, int offset, int max);

// Writes the six items (tag, version, model, serial, ID, name) into `list`. Fails, with
// `length` 0, when they would not fit into min(list.size(), kIdItemListBuffer) bytes.
bool BuildIdItemList(const IdBlock& block, std::span<std::uint8_t> list, std::uint16_t& length);

// Codes a valid block as the stored record (L + 10 bytes) at the start of `record`, which must
// hold kIdRecordMax bytes; bytes up to kIdRecordMax past the record are cleared. Fails, with
// `length` 0, for an enable byte other than 0/1, a DID outside 0x50-0x5F, a byte of 0x80 or
// above in the serial number, model name or ID, or a buffer that is too small.
bool EncodeIdRecord(const IdBlock& block, std::span<std::uint8_t> record, std::uint16_t& length);

// Decodes the record at the start of a storage block read from a converter. `block` always
// ends up holding either the defaults (on failure) or the whole decoded state. Any input is
// safe: a record that would run past the end of `storage` does not decode.
bool DecodeIdRecord(std::span<const std::uint8_t> storage, IdBlock& block);

// The record the converter holds (at the start of `storage`) with only the `fields` of `block`
// replaced, coded like EncodeIdRecord. Whatever else the stored record carries stays as stored:
// the bytes of untouched fields, items of types the panel does not know, their order. A record
// that is only {0x01, e, 0} gets the panel's item list. Fails, with `length` 0, when the stored
// record does not decode or a replaced field is not valid; falls back to the panel's own items
// (the stored values of untouched fields that decode) when the kept items would not fit.
bool MergeIdRecord(std::span<const std::uint8_t> storage, const IdBlock& block, unsigned fields,
                   std::span<std::uint8_t> record, std::uint16_t& length);

}  // namespace vexilo
