#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ember/ber.h"
#include "ember/glow.h"
#include "ember/s101.h"

namespace vexilo::ember {
namespace {

Bytes Tlv(Tag tag, const Bytes& content) {
    Bytes out;
    AppendTlv(out, tag, content);
    return out;
}

TEST(EmberBer, IntegersShortestTwosComplementAndBack) {
    const struct {
        std::int64_t value;
        Bytes bytes;
    } cases[] = {
        {0, {0x00}},         {127, {0x7F}},
        {128, {0x00, 0x80}}, {-1, {0xFF}},
        {-128, {0x80}},      {-129, {0xFF, 0x7F}},
        {256, {0x01, 0x00}}, {INT64_MIN, {0x80, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntegerContent(c.value), c.bytes) << c.value;
        EXPECT_EQ(DecodeInteger(c.bytes), c.value) << c.value;
    }
    EXPECT_FALSE(DecodeInteger({}));
    EXPECT_FALSE(DecodeInteger(Bytes(9, 0x01)));
}

TEST(EmberBer, LengthsTagsAndIndefiniteForms) {
    Bytes out;
    AppendLength(out, 200);
    AppendLength(out, 300);
    EXPECT_EQ(out, (Bytes{0x81, 0xC8, 0x82, 0x01, 0x2C}));
    out.clear();
    AppendTag(out, {TagClass::kApplication, true, 31});
    AppendTag(out, {TagClass::kContext, false, 200});
    EXPECT_EQ(out, (Bytes{0x7F, 0x1F, 0x9F, 0x81, 0x48}));

    // Round trip of a long-form length and a high tag number.
    const Bytes content(300, 0x41);
    const Bytes tlv = Tlv({TagClass::kApplication, true, 200}, content);
    BerReader r(tlv);
    auto t = r.Next();
    ASSERT_TRUE(t);
    EXPECT_EQ(t->tag.number, 200u);
    EXPECT_EQ(t->content.size(), 300u);
    EXPECT_TRUE(r.AtEnd());

    // Indefinite lengths, nested, as consumers send them.
    const Bytes indefinite{0x60, 0x80, 0xA0, 0x80, 0x02, 0x01, 0x05, 0x00, 0x00, 0x00, 0x00};
    BerReader ri(indefinite);
    auto outer = ri.Next();
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->content.size(), 7u);
    EXPECT_TRUE(ri.AtEnd());
}

TEST(EmberBer, MalformedInputIsRefused) {
    const Bytes cases[] = {
        {0x02},                                      // no length
        {0x02, 0x05, 0x01},                          // content beyond the end
        {0x02, 0x80, 0x00, 0x00},                    // indefinite primitive
        {0x30, 0x80, 0x02, 0x01},                    // indefinite without end-of-contents
        {0x02, 0x85, 1, 1, 1, 1, 1},                 // length of 5 bytes
        {0x1F, 0x81, 0x81, 0x81, 0x81, 0x01, 0x00},  // tag number too long
    };
    for (const Bytes& c : cases) {
        BerReader r(c);
        EXPECT_FALSE(r.Next());
        EXPECT_TRUE(r.Failed());
    }
    // Nesting far beyond what Glow needs is refused, not recursed into.
    Bytes deep;
    for (int i = 0; i < 10000; ++i) {
        deep.insert(deep.end(), {0x60, 0x80});
    }
    BerReader r(deep);
    EXPECT_FALSE(r.Next());
}

TEST(EmberBer, RealsRoundTripWithKnownForms) {
    EXPECT_EQ(RealContent(1.0), (Bytes{0x80, 0x00, 0x01}));
    EXPECT_EQ(RealContent(0.5), (Bytes{0x80, 0xFF, 0x01}));
    // Ember+ puts the binary point after the mantissa's leading bit: 3 = 1.1b * 2^1.
    EXPECT_EQ(RealContent(-3.0), (Bytes{0xC0, 0x01, 0x03}));
    EXPECT_EQ(RealContent(45.3).size(), 9u);
    EXPECT_EQ(RealContent(0.0), Bytes{});
    for (double v : {59.94, -45.3, 1e300, 5e-324, 0.1, 1920.0}) {
        EXPECT_EQ(DecodeReal(RealContent(v)), v) << v;
    }
    EXPECT_TRUE(std::isinf(*DecodeReal(RealContent(-INFINITY))));
    EXPECT_TRUE(std::isnan(*DecodeReal(RealContent(NAN))));
    // Decimal form, as some consumers send it.
    EXPECT_EQ(DecodeReal(Bytes{0x03, '2', '.', '5'}), 2.5);
    EXPECT_FALSE(DecodeReal(Bytes{0x81, 0x01}));  // two exponent bytes announced, one sent
    EXPECT_FALSE(DecodeReal(Bytes{0x83}));
}

TEST(EmberBer, RelativeOids) {
    const std::uint32_t path[] = {1, 200, 3};
    EXPECT_EQ(RelativeOidContent(path), (Bytes{0x01, 0x81, 0x48, 0x03}));
    EXPECT_EQ(DecodeRelativeOid(Bytes{0x01, 0x81, 0x48, 0x03}),
              (std::vector<std::uint32_t>{1, 200, 3}));
    EXPECT_FALSE(DecodeRelativeOid(Bytes{0x81}));
    EXPECT_FALSE(DecodeRelativeOid(Bytes{0x81, 0x81, 0x81, 0x81, 0x81, 0x01}));
    EXPECT_FALSE(DecodeRelativeOid(Bytes{0x90, 0x80, 0x80, 0x80, 0x01})) << "35 bits would wrap";
    EXPECT_EQ(DecodeRelativeOid(Bytes{0x8F, 0xFF, 0xFF, 0xFF, 0x7F}), (Path{0xFFFFFFFFu}));
}

TEST(EmberS101, CrcEscapingAndKeepAlive) {
    const std::string check = "123456789";
    const auto crc = Crc16({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()});
    EXPECT_EQ(static_cast<std::uint16_t>(~crc), 0x906E);  // CRC-16/X-25 check value

    const Bytes data{0x00, 0x0E, 0x00, 0x01, 0xC0, 0x01, 0x02, 0x1F, 0x02, 0xFE, 0xF8, 0x12};
    const Bytes frame = Frame(data);
    EXPECT_EQ(frame.front(), kBof);
    EXPECT_EQ(frame.back(), kEof);
    EXPECT_EQ(Bytes(frame.begin() + 10, frame.begin() + 15), (Bytes{0xFD, 0xDE, 0xFD, 0xD8, 0x12}));
    for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
        EXPECT_TRUE(frame[i] < kInvalid || frame[i] == kCe) << i;
    }

    S101Decoder d;
    std::vector<S101Event> events;
    const Bytes ka = KeepAliveRequest();
    EXPECT_EQ(Bytes(ka.begin(), ka.begin() + 5), (Bytes{0xFE, 0x00, 0x0E, 0x01, 0x01}));
    ASSERT_TRUE(d.Feed(ka, events));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, S101Event::kKeepAliveRequest);
}

TEST(EmberS101, MessagesSplitIntoPacketsAndJoinedAgain) {
    Bytes glow(3000);
    for (std::size_t i = 0; i < glow.size(); ++i) {
        glow[i] = static_cast<std::uint8_t>(i * 7);  // every byte value, escapes included
    }
    const Bytes wire = EncodeEmberMessage(glow);
    S101Decoder d;
    std::vector<S101Event> events;
    // One byte at a time: frames cross reads.
    for (std::uint8_t b : wire) {
        ASSERT_TRUE(d.Feed({&b, 1}, events)) << d.Error();
    }
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].glow, glow);
}

TEST(EmberS101, BadFramesFailTheDecoder) {
    const Bytes good = EncodeEmberMessage(Bytes{0x60, 0x00});
    Bytes badCrc = good;
    badCrc[badCrc.size() - 2] ^= 0x01;
    Bytes unescaped = good;
    unescaped[3] = 0xF9;
    Bytes huge{kBof};
    huge.insert(huge.end(), 5000, 0x11);

    const Bytes garbage(2000, 0x42);
    // A last packet without a first one.
    const Bytes noFirst =
        Frame(Bytes{0x00, 0x0E, 0x00, 0x01, kFlagLast, 0x01, 0x02, 0x1F, 0x02, 0x60, 0x00});
    for (const Bytes* bad :
         std::vector<const Bytes*>{&badCrc, &unescaped, &huge, &garbage, &noFirst}) {
        S101Decoder d;
        std::vector<S101Event> events;
        EXPECT_FALSE(d.Feed(*bad, events));
        EXPECT_TRUE(events.empty());
        EXPECT_FALSE(d.Feed(good, events)) << "a failed decoder stays failed";
    }
}

TEST(EmberGlow, RequestsFromConsumers) {
    // Root { RootElementCollection { [0] Command GetDirectory } }, indefinite lengths.
    const Bytes rootDir{0x60, 0x80, 0x6B, 0x80, 0xA0, 0x80, 0x62, 0x80, 0xA0, 0x03, 0x02,
                        0x01, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    auto r = DecodeRequests(rootDir);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->size(), 1u);
    EXPECT_EQ((*r)[0].kind, Request::Kind::kGetDirectory);
    EXPECT_TRUE((*r)[0].path.empty());

    // Node 1 { children { Node 2 { children { Command GetDirectory } } } }: path 1.2.
    Bytes cmd;
    AppendContextInteger(cmd, 0, 32);
    Bytes inner;
    AppendTlv(inner, Context(0), Tlv(Application(2), cmd));
    Bytes node2;
    AppendContextInteger(node2, 0, 2);
    AppendTlv(node2, Context(2), Tlv(Application(4), inner));
    Bytes coll2;
    AppendTlv(coll2, Context(0), Tlv(Application(3), node2));
    Bytes node1;
    AppendContextInteger(node1, 0, 1);
    AppendTlv(node1, Context(2), Tlv(Application(4), coll2));
    Bytes top;
    AppendTlv(top, Context(0), Tlv(Application(3), node1));
    r = DecodeRequests(Tlv(Application(0), Tlv(Application(11), top)));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->size(), 1u);
    EXPECT_EQ((*r)[0].path, (Path{1, 2}));

    // QualifiedFunction 1.3 { children { Command Invoke { Invocation 7 (5, "x") } } }.
    Bytes args;
    AppendContextInteger(args, 0, 5);
    AppendContextString(args, 0, "x");
    Bytes invocation;
    AppendContextInteger(invocation, 0, 7);
    AppendTlv(invocation, Context(1), Tlv(Universal(kSequence, true), args));
    Bytes invoke;
    AppendContextInteger(invoke, 0, 33);
    AppendTlv(invoke, Context(2), Tlv(Application(22), invocation));
    Bytes fnChildren;
    AppendTlv(fnChildren, Context(0), Tlv(Application(2), invoke));
    Bytes fn;
    const std::uint32_t fnPath[] = {1, 3};
    AppendContextRelativeOid(fn, 0, fnPath);
    AppendTlv(fn, Context(2), Tlv(Application(4), fnChildren));
    Bytes top2;
    AppendTlv(top2, Context(0), Tlv(Application(20), fn));
    r = DecodeRequests(Tlv(Application(0), Tlv(Application(11), top2)));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->size(), 1u);
    EXPECT_EQ((*r)[0].kind, Request::Kind::kInvoke);
    EXPECT_EQ((*r)[0].path, (Path{1, 3}));
    EXPECT_EQ((*r)[0].invocationId, 7);
    EXPECT_EQ((*r)[0].arguments, (std::vector<Value>{std::int64_t{5}, std::string("x")}));

    EXPECT_FALSE(DecodeRequests(Bytes{0x61, 0x00}));  // not a Root
    EXPECT_FALSE(DecodeRequests(Bytes{0x60, 0x03, 0x6B, 0x05, 0xA0}));
}

// A message that would make the decoder copy a long path per request is refused whole.
TEST(EmberGlow, LongPathsAndTooManyRequestsAreRefused) {
    const auto message = [](std::size_t pathLength, std::size_t commands) {
        Bytes cmd;
        AppendContextInteger(cmd, 0, 32);
        Bytes children;
        for (std::size_t i = 0; i < commands; ++i) {
            AppendTlv(children, Context(0), Tlv(Application(2), cmd));
        }
        const std::vector<std::uint32_t> path(pathLength, 1);
        Bytes node;
        AppendContextRelativeOid(node, 0, path);
        AppendTlv(node, Context(2), Tlv(Application(4), children));
        Bytes top;
        AppendTlv(top, Context(0), Tlv(Application(10), node));
        return Tlv(Application(0), Tlv(Application(11), top));
    };
    const struct {
        std::size_t pathLength, commands;
        bool accepted;
    } cases[] = {{kMaxPathLength, 1, true},
                 {kMaxPathLength + 1, 1, false},
                 {4, kMaxRequests, true},
                 {4, kMaxRequests + 1, false}};
    for (const auto& c : cases) {
        const auto r = DecodeRequests(message(c.pathLength, c.commands));
        EXPECT_EQ(r.has_value(), c.accepted) << c.pathLength << " " << c.commands;
        if (r) {
            EXPECT_EQ(r->size(), c.commands);
        }
    }
}

}  // namespace
}  // namespace vexilo::ember
