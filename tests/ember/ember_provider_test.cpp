#include <gtest/gtest.h>

#include <map>

#include "ember/ber.h"
#include "ember/glow.h"
#include "ember/provider.h"

namespace vexilo::ember {
namespace {

Bytes Tlv(Tag tag, const Bytes& content) {
    Bytes out;
    AppendTlv(out, tag, content);
    return out;
}

// A consumer's message: Root { RootElementCollection { [0] element } }.
Bytes RootOf(const Bytes& element) {
    Bytes top;
    AppendTlv(top, Context(0), element);
    return Tlv(Application(0), Tlv(Application(11), top));
}

Bytes QualifiedCommand(std::uint32_t app, const Path& path, std::int64_t command) {
    Bytes cmd;
    AppendContextInteger(cmd, 0, command);
    Bytes children;
    AppendTlv(children, Context(0), Tlv(Application(2), cmd));
    Bytes seq;
    AppendContextRelativeOid(seq, 0, path);
    AppendTlv(seq, Context(2), Tlv(Application(4), children));
    return RootOf(Tlv(Application(app), seq));
}

Bytes QualifiedSet(const Path& path, std::int64_t value) {
    Bytes set;
    AppendContextInteger(set, 2, value);
    Bytes seq;
    AppendContextRelativeOid(seq, 0, path);
    AppendTlv(seq, Context(1), Tlv(Universal(kSet, true), set));
    return RootOf(Tlv(Application(9), seq));
}

bool Contains(const Bytes& hay, const std::string& needle) {
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

struct EmberProvider : ::testing::Test {
    Tree tree;
    std::map<int, std::vector<Bytes>> sent;
    Provider provider{tree, [this](int c, const Bytes& g) { sent[c].push_back(g); }};
    Element* gain = nullptr;
    Element* temp = nullptr;
    std::vector<std::int64_t> writes;

    void SetUp() override {
        Element& dev = tree.Root().Add(Element::Type::kNode, "dev", "a device");
        gain = &dev.Add(Element::Type::kParameter, "gain", "gain");
        gain->parameterType = ParameterType::kInteger;
        gain->access = Access::kReadWrite;
        gain->value = std::int64_t{3};
        gain->minimum = std::int64_t{0};
        gain->maximum = std::int64_t{10};
        gain->onSet = [this](Element& e, const Value& v) {
            const auto* i = std::get_if<std::int64_t>(&v);
            if (i != nullptr && *i >= 0 && *i <= 10) {
                writes.push_back(*i);
                e.value = *i;
            }
        };
        temp = &dev.Add(Element::Type::kParameter, "temp", "temperature");
        temp->parameterType = ParameterType::kReal;
        temp->value = 45.5;
        Element& save = dev.Add(Element::Type::kFunction, "save", "store");
        save.result = {{ParameterType::kString, "result"}};
        save.onInvoke = [](Element&, const std::vector<Value>&) {
            return InvokeResult{true, {std::string("saved")}};
        };
    }

    // The value a provider's answer carries for `path` (answers read back with the same decoder).
    std::optional<Value> AnsweredValue(const Bytes& glow, const Path& path) {
        auto r = DecodeRequests(glow);
        if (r) {
            for (const Request& q : *r) {
                if (q.kind == Request::Kind::kSetValue && q.path == path) {
                    return q.value;
                }
            }
        }
        return std::nullopt;
    }
};

TEST_F(EmberProvider, DirectoriesByRootNodeAndQualifiedPath) {
    ASSERT_TRUE(provider.Handle(1, QualifiedCommand(10, {1}, 32)));
    ASSERT_EQ(sent[1].size(), 1u);
    const Bytes& answer = sent[1][0];
    EXPECT_TRUE(Contains(answer, "gain") && Contains(answer, "temp") && Contains(answer, "save"));
    EXPECT_EQ(AnsweredValue(answer, {1, 1}), Value(std::int64_t{3}));  // children by number
    // The root's directory lists the top-level node.
    Bytes getDir;
    AppendContextInteger(getDir, 0, 32);
    ASSERT_TRUE(provider.Handle(2, RootOf(Tlv(Application(2), getDir))));
    EXPECT_TRUE(Contains(sent[2].at(0), "dev"));
    // An unknown path gets no answer; a message that is not Glow is refused.
    EXPECT_TRUE(provider.Handle(3, QualifiedCommand(10, {9, 9}, 32)));
    EXPECT_TRUE(sent[3].empty());
    EXPECT_FALSE(provider.Handle(3, Bytes{0x01, 0x02}));
}

TEST_F(EmberProvider, SetIsAnsweredWithTheValueHeldAndPushedToWatchers) {
    provider.Handle(2, QualifiedCommand(10, {1}, 32));  // consumer 2 watches the node
    sent.clear();
    const struct {
        std::int64_t asked;
        std::int64_t held;
        std::size_t pushes;
    } cases[] = {{7, 7, 1}, {99, 7, 0}, {7, 7, 0}};
    for (const auto& c : cases) {
        sent.clear();
        ASSERT_TRUE(provider.Handle(1, QualifiedSet({1, 1}, c.asked)));
        ASSERT_EQ(sent[1].size(), 1u) << c.asked;
        EXPECT_EQ(AnsweredValue(sent[1][0], {1, 1}), Value(c.held)) << c.asked;
        EXPECT_EQ(sent[2].size(), c.pushes) << c.asked;
    }
    EXPECT_EQ(writes, (std::vector<std::int64_t>{7, 7}));
    // A read-only parameter is not written; the answer is its value.
    sent.clear();
    provider.Handle(1, QualifiedSet({1, 2}, 1));
    EXPECT_EQ(AnsweredValue(sent[1].at(0), {1, 2}), Value(45.5));
}

TEST_F(EmberProvider, NotifyReachesOnlyWatchersUntilUnsubscribed) {
    provider.Handle(1, QualifiedCommand(9, {1, 2}, 30));  // subscribes to temp only
    provider.Handle(2, QualifiedCommand(10, {1}, 32));    // directory of the node
    provider.Handle(3, QualifiedCommand(10, {}, 32));     // nothing under the node
    sent.clear();
    temp->value = 50.0;
    const Element* changed[] = {temp, gain};
    provider.Notify(changed, Fields::kValue);
    EXPECT_EQ(AnsweredValue(sent[1].at(0), {1, 2}), Value(50.0));
    EXPECT_FALSE(AnsweredValue(sent[1].at(0), {1, 1}));
    EXPECT_TRUE(AnsweredValue(sent[2].at(0), {1, 1}));
    EXPECT_TRUE(sent[3].empty());
    provider.Handle(1, QualifiedCommand(9, {1, 2}, 31));
    provider.Forget(2);
    sent.clear();
    provider.Notify(changed, Fields::kValue);
    EXPECT_TRUE(sent.empty());
}

TEST_F(EmberProvider, InvocationsAnswerWithTheirResult) {
    Bytes inv;
    AppendContextInteger(inv, 0, 41);
    Bytes cmd;
    AppendContextInteger(cmd, 0, 33);
    AppendTlv(cmd, Context(2), Tlv(Application(22), inv));
    Bytes children;
    AppendTlv(children, Context(0), Tlv(Application(2), cmd));
    for (const Path& path : {Path{1, 3}, Path{1, 1}}) {
        Bytes seq;
        AppendContextRelativeOid(seq, 0, path);
        AppendTlv(seq, Context(2), Tlv(Application(4), children));
        sent.clear();
        ASSERT_TRUE(provider.Handle(1, RootOf(Tlv(Application(20), seq))));
        ASSERT_EQ(sent[1].size(), 1u);
        const Bytes& a = sent[1][0];
        // Root { InvocationResult { [0] 41, [1] success, [2] result } }
        EXPECT_EQ(a[2], 0x77);
        const bool isFunction = path.back() == 3;
        const Bytes success{0xA1, 0x03, 0x01, 0x01,
                            static_cast<std::uint8_t>(isFunction ? 0xFF : 0x00)};
        EXPECT_NE(std::search(a.begin(), a.end(), success.begin(), success.end()), a.end());
        EXPECT_EQ(Contains(a, "saved"), isFunction);
    }
}

}  // namespace
}  // namespace vexilo::ember
