#include "protocol/id_record.h"

#include <algorithm>
#include <cstring>

#include "protocol/crc24.h"

namespace vexilo {

namespace {

constexpr std::uint8_t kTagText[] = {'E', '-', 'A', 'U', 'X', 'T', 'A', 'G'};
constexpr std::uint8_t kVersionText[] = {'0', '0', '0', '1'};

// Header offsets of the stored record.
constexpr int kRecEnable = 1;
constexpr int kRecCount = 2;  // n = L + 4
constexpr int kRecFixed3 = 3;
constexpr int kRecListLength = 4;  // L
constexpr int kRecDid = 5;
constexpr int kRecFixed6 = 6;
constexpr int kRecItems = 7;

struct TextField {
    unsigned bit;
    std::uint8_t type;
    int offset;
    int max;
    bool asciiOnly;
};

// The text items in the order the encoder writes them.
constexpr TextField kTextFields[] = {
    {kIdFieldModel, kIdItemModel, kIdOffModel, kIdModelMax, true},
    {kIdFieldSerial, kIdItemSerial, kIdOffSerial, kIdSerialMax, true},
    {kIdFieldId, kIdItemId, kIdOffId, kIdIdMax, true},
    {kIdFieldName, kIdItemName, kIdOffName, kIdNameMax, false},
};

const TextField* FindTextField(std::uint8_t type) {
    for (const TextField& field : kTextFields) {
        if (field.type == type) {
            return &field;
        }
    }
    return nullptr;
}

bool AllAscii(const std::uint8_t* text, int length) {
    return std::all_of(text, text + length, [](std::uint8_t c) { return c < 0x80; });
}

// Appends one item at `pos`; false when it would pass `capacity`.
bool AppendItem(std::span<std::uint8_t> list, int capacity, int& pos, std::uint8_t type,
                const std::uint8_t* value, int length) {
    if (pos + 2 + length > capacity) {
        return false;
    }
    list[static_cast<size_t>(pos)] = type;
    list[static_cast<size_t>(pos) + 1] = static_cast<std::uint8_t>(length);
    if (length > 0) {
        std::memcpy(list.data() + pos + 2, value, static_cast<size_t>(length));
    }
    pos += 2 + length;
    return true;
}

std::uint32_t StoredCrc(const std::uint8_t* at) {
    return at[0] | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16);
}

// What a record can carry: enable 0/1, a DID in range, ASCII in serial number, model name, ID.
bool ValidForRecord(const IdBlock& block) {
    const std::uint8_t did = block[kIdOffDid];
    if (block[kIdOffEnable] > 1 || did < kIdDidMin || did > kIdDidMax) {
        return false;
    }
    return std::all_of(std::begin(kTextFields), std::end(kTextFields), [&](const TextField& f) {
        return !f.asciiOnly ||
               AllAscii(block.data() + f.offset, IdTextLength(block, f.offset, f.max));
    });
}

// Header, item list and CRC into `record` (kIdRecordMax bytes, cleared past the record); the
// record length.
std::uint16_t WriteRecord(std::span<std::uint8_t> record, std::uint8_t enable, std::uint8_t did,
                          const std::uint8_t* list, int listLength) {
    std::fill(record.begin(), record.begin() + kIdRecordMax, std::uint8_t{0});
    record[0] = kIdRecordMarker;
    record[kRecEnable] = enable;
    record[kRecCount] = static_cast<std::uint8_t>(listLength + 4);
    record[kRecFixed3] = kIdRecordFixed3;
    record[kRecListLength] = static_cast<std::uint8_t>(listLength);
    record[kRecDid] = did;
    record[kRecFixed6] = kIdRecordFixed6;
    std::memcpy(record.data() + kRecItems, list, static_cast<size_t>(listLength));

    const int crcAt = kRecItems + listLength;
    const std::uint32_t crc = Crc24(record.data(), static_cast<std::uint16_t>(crcAt));
    record[static_cast<size_t>(crcAt)] = static_cast<std::uint8_t>(crc & 0xFF);
    record[static_cast<size_t>(crcAt) + 1] = static_cast<std::uint8_t>((crc >> 8) & 0xFF);
    record[static_cast<size_t>(crcAt) + 2] = static_cast<std::uint8_t>((crc >> 16) & 0xFF);
    return static_cast<std::uint16_t>(listLength + 10);
}

// `to` with the `fields` of `from`.
IdBlock Overlay(IdBlock to, const IdBlock& from, unsigned fields) {
    if ((fields & kIdFieldEnable) != 0) {
        to[kIdOffEnable] = from[kIdOffEnable];
    }
    if ((fields & kIdFieldDid) != 0) {
        to[kIdOffDid] = from[kIdOffDid];
    }
    for (const TextField& f : kTextFields) {
        if ((fields & f.bit) != 0) {
            std::copy_n(from.data() + f.offset, f.max + 1, to.data() + f.offset);
        }
    }
    return to;
}

}  // namespace

IdBlock DefaultIdBlock() {
    IdBlock block{};
    block[kIdOffDid] = kIdDidDefault;
    return block;
}

int IdTextLength(const IdBlock& block, int offset, int max) {
    const std::uint8_t* text = block.data() + offset;
    const std::uint8_t* end = std::find(text, text + max, std::uint8_t{0});
    return static_cast<int>(end - text);
}

bool BuildIdItemList(const IdBlock& block, std::span<std::uint8_t> list, std::uint16_t& length) {
    length = 0;
    const int capacity = static_cast<int>(std::min<size_t>(list.size(), kIdItemListBuffer));
    int pos = 0;
    if (!AppendItem(list, capacity, pos, kIdItemTag, kTagText, sizeof kTagText) ||
        !AppendItem(list, capacity, pos, kIdItemVersion, kVersionText, sizeof kVersionText)) {
        return false;
    }
    for (const TextField& field : kTextFields) {
        const int textLength = IdTextLength(block, field.offset, field.max);
        if (!AppendItem(list, capacity, pos, field.type, block.data() + field.offset, textLength)) {
            return false;
        }
    }
    length = static_cast<std::uint16_t>(pos);
    return true;
}

bool EncodeIdRecord(const IdBlock& block, std::span<std::uint8_t> record, std::uint16_t& length) {
    length = 0;
    if (record.size() < static_cast<size_t>(kIdRecordMax) || !ValidForRecord(block)) {
        return false;
    }
    std::array<std::uint8_t, kIdItemListBuffer> list{};
    std::uint16_t listLength = 0;
    if (!BuildIdItemList(block, list, listLength) || listLength > kIdItemListMax) {
        return false;
    }
    length = WriteRecord(record, block[kIdOffEnable], block[kIdOffDid], list.data(), listLength);
    return true;
}

bool DecodeIdRecord(std::span<const std::uint8_t> storage, IdBlock& block) {
    block = DefaultIdBlock();
    // Header bytes 0-2 decide whether there is a record at all.
    if (storage.size() < 3 || storage[0] != kIdRecordMarker) {
        return false;
    }
    const std::uint8_t e = storage[kRecEnable];
    const int n = storage[kRecCount];
    if (n == 0) {
        return e != 1;  // an empty record means the function is off
    }
    // The record with its CRC is n + 6 bytes; a block cut short of that cannot hold it.
    if (n < 4 || storage.size() < static_cast<size_t>(n) + 6) {
        return false;
    }
    const std::uint8_t* rec = storage.data();
    if (Crc24(rec, static_cast<std::uint16_t>(n + 3)) != StoredCrc(rec + n + 3)) {
        return false;
    }
    const int listLength = rec[kRecListLength];
    const std::uint8_t did = rec[kRecDid];
    if (rec[kRecFixed3] != kIdRecordFixed3 || rec[kRecFixed6] != kIdRecordFixed6 ||
        listLength != n - 4 || did < kIdDidMin || did > kIdDidMax) {
        return false;
    }

    // Decode into a scratch block so that a record failing half-way leaves the defaults.
    IdBlock decoded = DefaultIdBlock();
    const std::uint8_t* items = rec + kRecItems;
    int p = 0;
    while (p < listLength) {
        if (p + 2 > listLength) {
            return false;
        }
        const std::uint8_t type = items[p];
        const int length = items[p + 1];
        if (p + 2 + length > listLength) {
            return false;
        }
        const std::uint8_t* value = items + p + 2;
        for (const TextField& field : kTextFields) {
            if (field.type != type) {
                continue;
            }
            // An item that does not fit its field, or carries non-ASCII where ASCII belongs,
            // is dropped; the rest of the record still counts.
            if (length <= field.max && (!field.asciiOnly || AllAscii(value, length))) {
                // A repeated item replaces the earlier one whole, tail included.
                std::uint8_t* text = decoded.data() + field.offset;
                std::fill(text, text + field.max + 1, std::uint8_t{0});
                std::memcpy(text, value, static_cast<size_t>(length));
            }
        }
        p += 2 + length;
    }
    decoded[kIdOffEnable] = (e == 1) ? 1 : 0;
    decoded[kIdOffDid] = did;
    block = decoded;
    return true;
}

bool MergeIdRecord(std::span<const std::uint8_t> storage, const IdBlock& block, unsigned fields,
                   std::span<std::uint8_t> record, std::uint16_t& length) {
    length = 0;
    IdBlock stored{};
    if (record.size() < static_cast<size_t>(kIdRecordMax) || !DecodeIdRecord(storage, stored)) {
        return false;
    }
    // Untouched fields hold what decoded, so only the replaced ones can make this fail.
    const IdBlock merged = Overlay(stored, block, fields);
    if (!ValidForRecord(merged)) {
        return false;
    }
    if (storage[kRecCount] == 0) {
        return EncodeIdRecord(merged, record, length);  // nothing stored beyond "off"
    }
    // The stored items in their order, a replaced field at its first place (its repeats go), the
    // replaced fields the record lacked at the end. The decoder has checked the walk.
    std::array<std::uint8_t, kIdItemListMax> list{};
    int pos = 0;
    unsigned written = 0;
    bool fits = true;
    const std::uint8_t* items = storage.data() + kRecItems;
    const int listLength = storage[kRecListLength];
    for (int p = 0; p < listLength; p += 2 + items[p + 1]) {
        const TextField* field = FindTextField(items[p]);
        if (field == nullptr || (fields & field->bit) == 0) {
            fits = fits &&
                   AppendItem(list, kIdItemListMax, pos, items[p], items + p + 2, items[p + 1]);
        } else if ((written & field->bit) == 0) {
            written |= field->bit;
            fits = fits &&
                   AppendItem(list, kIdItemListMax, pos, field->type, merged.data() + field->offset,
                              IdTextLength(merged, field->offset, field->max));
        }
    }
    for (const TextField& f : kTextFields) {
        if ((fields & f.bit) != 0 && (written & f.bit) == 0) {
            fits = fits && AppendItem(list, kIdItemListMax, pos, f.type, merged.data() + f.offset,
                                      IdTextLength(merged, f.offset, f.max));
        }
    }
    if (!fits) {
        return EncodeIdRecord(merged, record, length);
    }
    const std::uint8_t enable =
        (fields & kIdFieldEnable) != 0 ? merged[kIdOffEnable] : storage[kRecEnable];
    length = WriteRecord(record, enable, merged[kIdOffDid], list.data(), pos);
    return true;
}

}  // namespace vexilo
