#include "protocol/dev_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "protocol/commands.h"
#include "protocol/scripted_converter.h"

namespace vexilo::test {
namespace {

// A converter with a 1024-byte ID storage block that serves 0x11 and 0x12 and acknowledges
// everything else; `reply` overrides it per command.
class DevLinkTest : public ::testing::Test {
protected:
    DevLinkTest() {
        for (int i = 0; i < kIdStorageSize; ++i) {
            storage[i] = static_cast<std::uint8_t>(i * 7 + 3);  // firmware's own data
        }
        auto conv =
            std::make_unique<ScriptedConverter>([this](const Request& r) { return Answer(r); });
        converter = conv.get();
        link =
            std::make_unique<CDevLink>(std::make_unique<CDevChannel>(std::move(conv)), Kind::Rgb);
    }

    Bytes Answer(const Request& r) {
        if (reply) {
            Bytes custom = reply(r);
            if (!custom.empty() || silent) {
                return custom;
            }
        }
        if (r.command == kCmdReadIdBlock) {
            return DataReply(Bytes(storage.begin(), storage.end()));
        }
        if (r.command == kCmdWriteIdBlock && r.data.size() == 1021) {
            std::memcpy(storage.data(), r.data.data() + 1, 1020);
            return DataReply({0x00});
        }
        return ErrorReply(0);
    }

    // Puts an encoded record of `block` at the start of the storage, clearing the record area.
    void StoreRecord(const IdBlock& block) {
        std::uint16_t length = 0;
        std::memset(storage.data(), 0, kIdRecordMax);
        ASSERT_TRUE(EncodeIdRecord(block, std::span(storage.data(), kIdRecordMax), length));
    }

    std::array<std::uint8_t, kIdStorageSize> storage{};
    std::function<Bytes(const Request&)> reply;  // empty result: fall through to the default
    bool silent = false;                         // ...unless this is set
    ScriptedConverter* converter = nullptr;
    std::unique_ptr<CDevLink> link;
};

IdBlock UserBlock() {
    IdBlock b = DefaultIdBlock();
    b[kIdOffEnable] = 1;
    b[kIdOffDid] = 0x53;
    std::memcpy(b.data() + kIdOffSerial, "00001234", 8);
    std::memcpy(b.data() + kIdOffModel, "KTP-RGB-SDI", 11);
    std::memcpy(b.data() + kIdOffId, "STUDIO_A", 8);
    return b;
}

TEST_F(DevLinkTest, CheckConnection) {
    EXPECT_TRUE(link->CheckConnection(5, false));
    ASSERT_EQ(converter->requests.size(), 1u);
    EXPECT_EQ(converter->requests[0].command, kCmdCheckConnection);
    EXPECT_EQ(converter->requests[0].data, Bytes{0x00});

    EXPECT_TRUE(link->CheckConnection(1, true));
    EXPECT_TRUE(converter->requests[1].data.empty());

    // Silent converter: exactly as many attempts as asked for.
    silent = true;
    reply = [](const Request&) { return Bytes{}; };
    converter->requests.clear();
    EXPECT_FALSE(link->CheckConnection(5, false));
    EXPECT_EQ(converter->Count(kCmdCheckConnection), 5);

    // Answers on the third attempt.
    int calls = 0;
    reply = [&](const Request&) { return ++calls < 3 ? Bytes{} : DataReply({0x42}); };
    converter->requests.clear();
    EXPECT_TRUE(link->CheckConnection(5, false));
    EXPECT_EQ(converter->requests.size(), 3u);
}

TEST_F(DevLinkTest, GetVersionInfo) {
    reply = [](const Request& r) { return DataReply(Bytes(r.data[0] == 0 ? 20 : 2, 'v')); };
    std::uint8_t buffer[16] = {};
    EXPECT_EQ(link->GetVersionInfo(0, buffer, 16), 16);  // longer reply: only what fits
    EXPECT_EQ(buffer[15], 'v');
    EXPECT_EQ(link->GetVersionInfo(3, buffer, 16), 2);
    EXPECT_EQ(converter->requests.back().data, Bytes{0x03});

    reply = [](const Request&) { return ErrorReply(0); };
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(link->GetVersionInfo(1, buffer, 16), 0);
    EXPECT_EQ(buffer[0], 0);

    reply = [](const Request&) { return ErrorReply(0x21); };
    EXPECT_EQ(link->GetVersionInfo(1, buffer, 16), 0);
    EXPECT_EQ(link->GetVersionInfo(1, nullptr, 16), 0);
}

// Each value operation: request bytes, its value from a reply of the right length, and none
// for a lost converter, for replies of the wrong length and for the value the converter reserves.
TEST_F(DevLinkTest, ValueOperationsCheckReplyLength) {
    auto widen = [](auto value) -> std::optional<int> {
        return value ? std::optional<int>(*value) : std::nullopt;
    };
    const struct {
        const char* what;
        std::function<std::optional<int>(CDevLink&)> call;
        Request expected;
        Bytes good;
        int value;
        Bytes reserved;
        std::optional<int> reservedReads;  // what a reply of the reserved value reads as
        std::vector<int> wrongLengths;
    } cases[] = {
        {"series",
         [&](CDevLink& l) { return widen(l.GetSeriesCode()); },
         {0x05, {0x80}},
         {0x00},
         0x00,
         {0xFF},
         std::nullopt,
         {0, 2}},
        {"adjustment",
         [&](CDevLink& l) { return widen(l.GetAdjustment(7)); },
         {0x07, {0x01, 7}},
         {0x34, 0x12},
         0x1234,
         {0xFF, 0xFF},
         0xFFFF,  // an erased table holds it: a value, not a failure
         {1, 3}},
        {"input format",
         [&](CDevLink& l) { return widen(l.GetInputFormat()); },
         {0x0F, {}},
         {0x05},
         0x05,
         {0xF0},
         std::nullopt,
         {0, 2}},
    };
    for (const auto& c : cases) {
        reply = [&](const Request&) { return DataReply(c.good); };
        converter->requests.clear();
        EXPECT_EQ(c.call(*link), c.value) << c.what;
        ASSERT_EQ(converter->requests.size(), 1u) << c.what;
        EXPECT_EQ(converter->requests[0].command, c.expected.command) << c.what;
        EXPECT_EQ(converter->requests[0].data, c.expected.data) << c.what;
        for (int n : c.wrongLengths) {
            reply = [n](const Request&) { return n == 0 ? ErrorReply(0) : DataReply(Bytes(n, 1)); };
            EXPECT_EQ(c.call(*link), std::nullopt) << c.what << " with " << n << " bytes";
        }
        reply = [&](const Request&) { return DataReply(c.reserved); };
        EXPECT_EQ(c.call(*link), c.reservedReads) << c.what << " reserved";
        reply = [](const Request&) { return ErrorReply(0x30); };
        EXPECT_EQ(c.call(*link), std::nullopt) << c.what << " failed";
    }
}

TEST_F(DevLinkTest, CommandOperationsReturnWhetherAccepted) {
    const struct {
        const char* what;
        std::function<bool(CDevLink&)> call;
        Request expected;
    } cases[] = {
        {"set adjustment",
         [](CDevLink& l) { return l.SetAdjustment(12, 0xABCD); },
         {0x08, {0x01, 12, 0xCD, 0xAB}}},
        {"revert", [](CDevLink& l) { return l.CommitDeviceSettings(1); }, {0x09, {0x00, 0x01}}},
        {"save adjustments",
         [](CDevLink& l) { return l.CommitAdjustments(0); },
         {0x09, {0x01, 0x00}}},
        {"revert adjustments",
         [](CDevLink& l) { return l.CommitAdjustments(1); },
         {0x09, {0x01, 0x01}}},
    };
    for (const auto& c : cases) {
        reply = nullptr;
        converter->requests.clear();
        EXPECT_TRUE(c.call(*link)) << c.what;
        ASSERT_EQ(converter->requests.size(), 1u) << c.what;
        EXPECT_EQ(converter->requests[0].command, c.expected.command) << c.what;
        EXPECT_EQ(converter->requests[0].data, c.expected.data) << c.what;
        reply = [](const Request&) { return DataReply({1, 2, 3, 4, 5}); };  // not examined
        EXPECT_TRUE(c.call(*link)) << c.what;
        reply = [](const Request&) { return ErrorReply(0x0A); };
        EXPECT_FALSE(c.call(*link)) << c.what;
    }
}

TEST_F(DevLinkTest, ReadIdBlockNeedsExactly1024Bytes) {
    std::array<std::uint8_t, 1020> buffer{};
    EXPECT_TRUE(link->ReadIdBlock(buffer.data(), 1020));
    EXPECT_EQ(converter->requests.back().data, Bytes{0x04});
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), storage.begin()));
    for (int n : {1023, 1025, 0}) {
        reply = [n](const Request&) { return DataReply(Bytes(n, 0)); };
        EXPECT_FALSE(link->ReadIdBlock(buffer.data(), 1020)) << n;
    }
}

TEST_F(DevLinkTest, LoadIdRecord) {
    StoreRecord(UserBlock());
    IdBlock block{};
    EXPECT_EQ(link->LoadIdRecord(block), CDevLink::IdRead::kDecoded);
    EXPECT_EQ(block, UserBlock());

    // Unreadable, or read but not decodable: defaults, and each is told apart.
    reply = [](const Request&) { return DataReply(Bytes(1023, 0)); };
    EXPECT_EQ(link->LoadIdRecord(block), CDevLink::IdRead::kUnread);
    EXPECT_EQ(block, DefaultIdBlock());
    reply = nullptr;
    storage[0] = 0x00;
    EXPECT_EQ(link->LoadIdRecord(block), CDevLink::IdRead::kUndecodable);
    EXPECT_EQ(block, DefaultIdBlock());
}

TEST_F(DevLinkTest, StoreIdRecordSkipsTheWriteWhenTheConverterHoldsTheRecord) {
    StoreRecord(UserBlock());
    storage[1022] ^= 0xFF;  // the last 4 bytes are neither compared nor written
    bool written = true;
    EXPECT_TRUE(link->StoreIdRecord(UserBlock(), kIdFieldsAll, &written));
    EXPECT_FALSE(written);
    EXPECT_EQ(converter->Count(kCmdReadIdBlock), 1);
    EXPECT_EQ(converter->Count(kCmdWriteIdBlock), 0);
}

TEST_F(DevLinkTest, StoreIdRecordWritesRecordAndKeepsTheRest) {
    const auto before = storage;
    bool written = false;
    EXPECT_TRUE(link->StoreIdRecord(UserBlock(), kIdFieldsAll, &written));
    EXPECT_TRUE(written);
    ASSERT_EQ(converter->Count(kCmdWriteIdBlock), 1);
    const Request& write = converter->requests.back();
    ASSERT_EQ(write.data.size(), 1021u);
    EXPECT_EQ(write.data[0], 0x04);

    std::array<std::uint8_t, kIdRecordMax> record{};
    std::uint16_t length = 0;
    ASSERT_TRUE(EncodeIdRecord(UserBlock(), record, length));
    EXPECT_TRUE(std::equal(record.begin(), record.end(), storage.begin()));  // zero-padded to 261
    EXPECT_TRUE(
        std::equal(before.begin() + kIdRecordMax, before.end(), storage.begin() + kIdRecordMax));
    IdBlock readBack{};
    EXPECT_TRUE(DecodeIdRecord(storage, readBack));
    EXPECT_EQ(readBack, UserBlock());
}

TEST_F(DevLinkTest, AFailedStoreSaysSo) {
    const struct {
        const char* what;
        std::function<Bytes(const Request&)> reply;
        int writes;
    } cases[] = {
        {"read fails",
         [](const Request& r) { return r.command == 0x11 ? ErrorReply(0x05) : Bytes{}; }, 0},
        {"write refused",
         [](const Request& r) { return r.command == 0x12 ? ErrorReply(0x07) : Bytes{}; }, 1},
        {"write acknowledged without data",
         [](const Request& r) { return r.command == 0x12 ? ErrorReply(0) : Bytes{}; }, 1},
    };
    for (const auto& c : cases) {
        reply = c.reply;
        converter->requests.clear();
        EXPECT_FALSE(link->StoreIdRecord(UserBlock(), kIdFieldsAll)) << c.what;
        EXPECT_EQ(converter->Count(kCmdWriteIdBlock), c.writes) << c.what;
    }
    // A block the encoder refuses is never sent.
    reply = nullptr;
    converter->requests.clear();
    IdBlock bad = UserBlock();
    bad[kIdOffDid] = 0x60;
    EXPECT_FALSE(link->StoreIdRecord(bad, kIdFieldsAll));
    EXPECT_TRUE(converter->requests.empty());
}

TEST_F(DevLinkTest, SaveAndRevertAreOneCommitEach) {
    EXPECT_TRUE(link->CommitDeviceSettings(0));
    EXPECT_TRUE(link->CommitDeviceSettings(1));
    ASSERT_EQ(converter->requests.size(), 2u);
    EXPECT_EQ(converter->requests[0].command, kCmdCommit);
    EXPECT_TRUE(converter->requests[0].data.empty());
    EXPECT_EQ(converter->requests[1].command, kCmdCommit);
    EXPECT_EQ(converter->requests[1].data, (Bytes{0x00, 0x01}));
    // A refused commit is a failure.
    reply = [](const Request& r) { return r.command == 0x09 ? ErrorReply(0x06) : Bytes{}; };
    EXPECT_FALSE(link->CommitDeviceSettings(0));
}

}  // namespace
}  // namespace vexilo::test
