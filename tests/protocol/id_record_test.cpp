#include "protocol/id_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "protocol/crc24.h"

namespace vexilo {
namespace {

using Storage = std::array<std::uint8_t, kIdStorageSize>;

void PutText(IdBlock& block, int offset, const std::string& text) {
    std::memcpy(block.data() + offset, text.data(), text.size());
}

IdBlock MakeBlock(std::uint8_t enable, std::uint8_t did, const std::string& sn,
                  const std::string& model, const std::string& id, const std::string& name) {
    IdBlock block = DefaultIdBlock();
    block[kIdOffEnable] = enable;
    block[kIdOffDid] = did;
    PutText(block, kIdOffSerial, sn);
    PutText(block, kIdOffModel, model);
    PutText(block, kIdOffId, id);
    PutText(block, kIdOffName, name);
    return block;
}

IdBlock FullBlock() {
    return MakeBlock(1, 0x50, std::string(10, '9'), std::string(16, 'M'), std::string(16, 'I'),
                     std::string(80, 'n'));
}

Storage Encode(const IdBlock& block) {
    Storage storage{};
    std::uint16_t length = 0;
    EXPECT_TRUE(EncodeIdRecord(block, storage, length));
    return storage;
}

// Stores a fresh CRC for the record length in byte 2, so a test can break one other rule alone.
void Reseal(Storage& s) {
    const int n = s[2];
    const std::uint32_t crc = Crc24(s.data(), static_cast<std::uint16_t>(n + 3));
    s[n + 3] = crc & 0xFF;
    s[n + 4] = (crc >> 8) & 0xFF;
    s[n + 5] = (crc >> 16) & 0xFF;
}

// A sealed record with the given enable byte, DID and raw item list.
Storage RecordWithItems(std::uint8_t enable, std::uint8_t did,
                        const std::vector<std::uint8_t>& items) {
    Storage s{};
    const int l = static_cast<int>(items.size());
    const std::uint8_t header[] = {
        0x01, enable, static_cast<std::uint8_t>(l + 4), 0x01, static_cast<std::uint8_t>(l),
        did,  0xFC};
    std::memcpy(s.data(), header, sizeof header);
    std::memcpy(s.data() + 7, items.data(), items.size());
    Reseal(s);
    return s;
}

std::vector<std::uint8_t> Item(std::uint8_t type, const std::string& value) {
    std::vector<std::uint8_t> item(value.size() + 2);
    item[0] = type;
    item[1] = static_cast<std::uint8_t>(value.size());
    std::memcpy(item.data() + 2, value.data(), value.size());
    return item;
}

std::string Text(const IdBlock& block, int offset) {
    return std::string(reinterpret_cast<const char*>(block.data() + offset));
}

TEST(Crc24, KnownValues) {
    const char* check = "123456789";
    EXPECT_EQ(Crc24(reinterpret_cast<const std::uint8_t*>(check), 9), 0x21CF02u);
    EXPECT_EQ(Crc24(reinterpret_cast<const std::uint8_t*>(check), 0), 0xB704CEu);
    EXPECT_EQ(Crc24(nullptr, 5), 0xB704CEu);
}

TEST(IdRecordEncode, EmptyTextsGiveTheFixedItemsOnly) {
    std::array<std::uint8_t, kIdRecordMax> record;
    record.fill(0xAA);
    std::uint16_t length = 0;
    ASSERT_TRUE(EncodeIdRecord(MakeBlock(1, 0x52, "", "", "", ""), record, length));
    ASSERT_EQ(length, 34);
    const std::vector<std::uint8_t> expected = {
        0x01, 0x01, 28,   0x01, 24,   0x52, 0xFC,                 // header, L = 24
        0x01, 8,    'E',  '-',  'A',  'U',  'X',  'T', 'A', 'G',  // tag
        0x02, 4,    '0',  '0',  '0',  '1',                        // version
        0x03, 0,    0x04, 0,    0x10, 0,    0x11, 0};             // empty texts
    EXPECT_EQ(std::vector<std::uint8_t>(record.begin(), record.begin() + 31), expected);
    const std::uint32_t crc = Crc24(record.data(), 31);
    EXPECT_EQ(record[31], crc & 0xFF);
    EXPECT_EQ(record[32], (crc >> 8) & 0xFF);
    EXPECT_EQ(record[33], crc >> 16);
    for (int i = 34; i < kIdRecordMax; ++i) {
        ASSERT_EQ(record[i], 0) << "byte " << i;
    }
}

TEST(IdRecordEncode, MaximalTextsAndUnterminatedSerial) {
    std::array<std::uint8_t, kIdRecordMax> record{};
    std::uint16_t length = 0;
    IdBlock block = FullBlock();
    block[kIdOffSerial + 10] = '7';  // no terminator anywhere in the 11 bytes
    ASSERT_TRUE(EncodeIdRecord(block, record, length));
    EXPECT_EQ(length, 156);
    EXPECT_EQ(record[4], 146);
    EXPECT_EQ(record[2], 150);
    // Serial item follows tag, version and model: 10 + 6 + 18 bytes into the list.
    EXPECT_EQ(record[7 + 34], kIdItemSerial);
    EXPECT_EQ(record[7 + 35], 10);
}

TEST(IdRecordEncode, Refusals) {
    const struct {
        const char* what;
        std::function<void(IdBlock&)> mutate;
    } cases[] = {
        {"enable 2", [](IdBlock& b) { b[kIdOffEnable] = 2; }},
        {"DID 0x4F", [](IdBlock& b) { b[kIdOffDid] = 0x4F; }},
        {"DID 0x60", [](IdBlock& b) { b[kIdOffDid] = 0x60; }},
        {"serial 0x80", [](IdBlock& b) { b[kIdOffSerial + 9] = 0x80; }},
        {"model 0xFF", [](IdBlock& b) { b[kIdOffModel] = 0xFF; }},
        {"ID 0xC3", [](IdBlock& b) { b[kIdOffId + 15] = 0xC3; }},
    };
    for (const auto& c : cases) {
        IdBlock block = FullBlock();
        c.mutate(block);
        std::array<std::uint8_t, kIdRecordMax> record{};
        std::uint16_t length = 99;
        EXPECT_FALSE(EncodeIdRecord(block, record, length)) << c.what;
        EXPECT_EQ(length, 0) << c.what;
    }
    // Bytes past a text's terminator are not part of it and are not checked.
    IdBlock block = MakeBlock(0, 0x5F, "12", "", "", "");
    block[kIdOffSerial + 5] = 0xFF;
    std::array<std::uint8_t, kIdRecordMax> record{};
    std::uint16_t length = 0;
    EXPECT_TRUE(EncodeIdRecord(block, record, length));
    // Too small an output buffer.
    std::array<std::uint8_t, kIdRecordMax - 1> small{};
    EXPECT_FALSE(EncodeIdRecord(block, small, length));
    EXPECT_EQ(length, 0);
}

TEST(IdRecordEncode, ItemListBuilderStopsAtItsBuffer) {
    const IdBlock block = MakeBlock(0, 0x5F, "", "", "", "");
    std::array<std::uint8_t, 24> exact{};
    std::array<std::uint8_t, 23> shortBy1{};
    std::uint16_t length = 0;
    EXPECT_TRUE(BuildIdItemList(block, exact, length));
    EXPECT_EQ(length, 24);
    EXPECT_FALSE(BuildIdItemList(block, shortBy1, length));
    EXPECT_EQ(length, 0);
}

TEST(IdRecordDecode, RoundTrips) {
    const IdBlock blocks[] = {
        DefaultIdBlock(),
        FullBlock(),
        MakeBlock(1, 0x5A, "00012345", "KTP-RGB-SDI", "CAM_01",
                  "\xE3\x82\xAB\xE3\x83\xA1\xE3\x83\xA9"),
        MakeBlock(0, 0x50, "", "KTQ-DVI-SDI", "", "x"),
    };
    for (const IdBlock& block : blocks) {
        IdBlock decoded{};
        decoded.fill(0xEE);
        ASSERT_TRUE(DecodeIdRecord(Encode(block), decoded));
        EXPECT_EQ(decoded, block);
    }
}

TEST(IdRecordDecode, Refusals) {
    const Storage valid = Encode(FullBlock());
    const struct {
        const char* what;
        std::function<void(Storage&)> mutate;
        bool reseal;
    } cases[] = {
        {"all zero", [](Storage& s) { s.fill(0); }, false},
        {"marker 0x02", [](Storage& s) { s[0] = 0x02; }, true},
        {"CRC low", [](Storage& s) { s[s[2] + 3] ^= 0x01; }, false},
        {"CRC mid", [](Storage& s) { s[s[2] + 4] ^= 0x80; }, false},
        {"CRC high", [](Storage& s) { s[s[2] + 5] ^= 0x10; }, false},
        {"data under CRC", [](Storage& s) { s[20] ^= 0x01; }, false},
        {"byte 3 not 1", [](Storage& s) { s[3] = 0x02; }, true},
        {"byte 6 not FC", [](Storage& s) { s[6] = 0xFB; }, true},
        {"L not n-4", [](Storage& s) { s[4] -= 1; }, true},
        {"DID 0x4F", [](Storage& s) { s[5] = 0x4F; }, true},
        {"DID 0x60", [](Storage& s) { s[5] = 0x60; }, true},
        {"n = 3", [](Storage& s) { s[2] = 3; }, true},
        {"n = 0 with enable 1", [](Storage& s) { s[1] = 1, s[2] = 0; }, false},
        {"last item past L", [](Storage& s) { s[7 + s[4] - 81] = 81; }, true},
        {"item header past L", [](Storage& s) { s[2] += 1, s[4] += 1; }, true},
    };
    for (const auto& c : cases) {
        Storage s = valid;
        c.mutate(s);
        if (c.reseal) {
            Reseal(s);
        }
        IdBlock decoded = FullBlock();
        EXPECT_FALSE(DecodeIdRecord(s, decoded)) << c.what;
        EXPECT_EQ(decoded, DefaultIdBlock()) << c.what;
    }
    // A record that runs past the end of what was read does not decode.
    IdBlock decoded{};
    EXPECT_FALSE(DecodeIdRecord(std::span(valid.data(), 155), decoded));
    EXPECT_TRUE(DecodeIdRecord(std::span(valid.data(), 156), decoded));
    EXPECT_FALSE(DecodeIdRecord({}, decoded));
}

TEST(IdRecordDecode, EmptyRecordMeansOff) {
    for (std::uint8_t enable : {0, 5}) {
        Storage s{};
        s[0] = 0x01;
        s[1] = enable;
        IdBlock decoded = FullBlock();
        EXPECT_TRUE(DecodeIdRecord(s, decoded));
        EXPECT_EQ(decoded, DefaultIdBlock());
    }
}

TEST(IdRecordDecode, UnfitItemsAreDroppedAndTheRestDecodes) {
    std::vector<std::uint8_t> items;
    auto add = [&](std::vector<std::uint8_t> item) {
        items.insert(items.end(), item.begin(), item.end());
    };
    add(Item(kIdItemModel, std::string(17, 'M')));  // too long
    add(Item(kIdItemSerial, "12\x80"));             // not ASCII
    add(Item(kIdItemId, "FIRST_ID_LONGER"));
    add(Item(0x20, "\xFF\xFF"));                   // unknown type
    add(Item(kIdItemName, std::string(81, 'n')));  // too long
    add(Item(kIdItemId, "CAM"));                   // repeated: replaces the first
    add(Item(kIdItemTag, "anything"));
    IdBlock decoded{};
    ASSERT_TRUE(DecodeIdRecord(RecordWithItems(2, 0x55, items), decoded));
    EXPECT_EQ(decoded[kIdOffEnable], 0);  // any enable byte but 1 reads as off
    EXPECT_EQ(decoded[kIdOffDid], 0x55);
    EXPECT_EQ(Text(decoded, kIdOffModel), "");
    EXPECT_EQ(Text(decoded, kIdOffSerial), "");
    EXPECT_EQ(Text(decoded, kIdOffName), "");
    EXPECT_EQ(Text(decoded, kIdOffId), "CAM");
    EXPECT_EQ(decoded[kIdOffId + 4], 0);  // nothing of the earlier, longer ID is left
}

TEST(IdRecordMerge, OnlyTheNamedFieldsChange) {
    const IdBlock block = MakeBlock(1, 0x51, "77", "KTQ-RGB-SDI", "NEW", "new name");
    auto list = [](std::initializer_list<std::vector<std::uint8_t>> items) {
        std::vector<std::uint8_t> all;
        for (const auto& item : items) {
            all.insert(all.end(), item.begin(), item.end());
        }
        return all;
    };
    const auto unknown = Item(0x42, "kept");
    const auto badName = Item(kIdItemName, "\xFF\xFE");
    struct Case {
        const char* what;
        Storage stored;
        unsigned fields;
        Storage expected;
    };
    const Case cases[] = {
        {"nothing named: the record as stored",
         RecordWithItems(2, 0x55, list({Item(kIdItemId, "OLD"), unknown, badName})), 0,
         RecordWithItems(2, 0x55, list({Item(kIdItemId, "OLD"), unknown, badName}))},
        {"ID replaced in place, its repeat gone, the serial number appended",
         RecordWithItems(0, 0x55, list({Item(kIdItemId, "OLD"), unknown, Item(kIdItemId, "X")})),
         kIdFieldId | kIdFieldSerial,
         RecordWithItems(0, 0x55,
                         list({Item(kIdItemId, "NEW"), unknown, Item(kIdItemSerial, "77")}))},
        {"enable and DID", RecordWithItems(2, 0x55, list({badName})), kIdFieldEnable | kIdFieldDid,
         RecordWithItems(1, 0x51, list({badName}))},
        {"an empty record gets the panel's items", Storage{0x01, 0x00, 0x00}, kIdFieldSerial,
         Encode(MakeBlock(0, 0x5F, "77", "", "", ""))},
        {"too long to keep everything: the panel's items, stored values kept",
         RecordWithItems(0, 0x55,
                         list({Item(kIdItemId, "OLD"), Item(0x42, std::string(240, 'x'))})),
         kIdFieldName, Encode(MakeBlock(0, 0x55, "", "", "OLD", "new name"))},
    };
    for (const Case& c : cases) {
        Storage merged{};
        std::uint16_t length = 0;
        ASSERT_TRUE(MergeIdRecord(c.stored, block, c.fields, merged, length)) << c.what;
        EXPECT_EQ(merged, c.expected) << c.what;
        IdBlock decoded{};
        EXPECT_TRUE(DecodeIdRecord(merged, decoded)) << c.what;
    }
    Storage merged{};
    std::uint16_t length = 7;
    EXPECT_FALSE(MergeIdRecord(Storage{}, block, kIdFieldsAll, merged, length)) << "no record";
    EXPECT_EQ(length, 0);
    IdBlock bad = block;
    bad[kIdOffDid] = 0x4F;
    EXPECT_FALSE(MergeIdRecord(Encode(block), bad, kIdFieldDid, merged, length));
}

}  // namespace
}  // namespace vexilo
