#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "cli/ember_service.h"
#include "cli_fixture.h"
#include "ember/s101.h"

namespace vexilo::test {
namespace {

using namespace std::chrono_literals;
using cli::EmberService;
using cli::ServeOptions;
using ember::Bytes;
using ember::Element;
using Clock = std::chrono::steady_clock;

Bytes Tlv(ember::Tag tag, const Bytes& content) {
    Bytes out;
    ember::AppendTlv(out, tag, content);
    return out;
}

Bytes RootOf(const Bytes& element) {
    Bytes top;
    ember::AppendTlv(top, ember::Context(0), element);
    return Tlv(ember::Application(0), Tlv(ember::Application(11), top));
}

Bytes Command(std::uint32_t app, const ember::Path& path, std::int64_t command) {
    Bytes cmd;
    ember::AppendContextInteger(cmd, 0, command);
    if (command == 33) {
        Bytes inv;
        ember::AppendContextInteger(inv, 0, 5);
        ember::AppendTlv(cmd, ember::Context(2), Tlv(ember::Application(22), inv));
    }
    Bytes children;
    ember::AppendTlv(children, ember::Context(0), Tlv(ember::Application(2), cmd));
    Bytes seq;
    ember::AppendContextRelativeOid(seq, 0, path);
    ember::AppendTlv(seq, ember::Context(2), Tlv(ember::Application(4), children));
    return RootOf(Tlv(ember::Application(app), seq));
}

Bytes Set(const ember::Path& path, std::int64_t value) {
    Bytes set;
    ember::AppendContextInteger(set, 2, value);
    Bytes seq;
    ember::AppendContextRelativeOid(seq, 0, path);
    ember::AppendTlv(seq, ember::Context(1), Tlv(ember::Universal(ember::kSet, true), set));
    return RootOf(Tlv(ember::Application(9), seq));
}

// A consumer on a real socket; the service runs in the test's thread between its calls.
class Consumer {
public:
    Consumer(EmberService& service, std::uint16_t port) : m_service(service) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
        ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
        m_service.Step(Clock::now() + 20ms);  // accepted
    }
    ~Consumer() { ::close(m_fd); }

    void SendRaw(const Bytes& bytes) {
        ASSERT_EQ(::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    void Send(const Bytes& glow) { SendRaw(ember::EncodeEmberMessage(glow)); }
    // Messages received until `count` arrived or `wait` passed, serving meanwhile.
    std::vector<Bytes> Receive(std::size_t count = 1, std::chrono::milliseconds wait = 1000ms) {
        std::vector<Bytes> messages;
        const auto deadline = Clock::now() + wait;
        while (messages.size() < count && Clock::now() < deadline && !closed) {
            m_service.Step(Clock::now() + 10ms);
            std::uint8_t buffer[4096];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n == 0) {
                closed = true;
            } else if (n > 0) {
                std::vector<ember::S101Event> events;
                EXPECT_TRUE(m_decoder.Feed({buffer, static_cast<std::size_t>(n)}, events));
                for (auto& e : events) {
                    if (e.kind == ember::S101Event::kKeepAliveResponse) {
                        ++keepAlives;
                    } else {
                        messages.push_back(std::move(e.glow));
                    }
                }
            }
        }
        return messages;
    }
    bool closed = false;
    int keepAlives = 0;

private:
    EmberService& m_service;
    int m_fd = -1;
    ember::S101Decoder m_decoder;
};

// The value an answer holds for `path` (read back with the request decoder: a parameter with a
// value decodes as a set).
std::optional<ember::Value> ValueIn(const std::vector<Bytes>& messages, const ember::Path& path) {
    for (const Bytes& m : messages) {
        if (auto requests = ember::DecodeRequests(m)) {
            for (const auto& r : *requests) {
                if (r.kind == ember::Request::Kind::kSetValue && r.path == path) {
                    return r.value;
                }
            }
        }
    }
    return std::nullopt;
}

class EmberServiceTest : public CliTest {
protected:
    std::unique_ptr<EmberService> Start(ServeOptions options = {}) {
        options.port = 0;
        auto service = std::make_unique<EmberService>(options, log);
        std::string error;
        EXPECT_TRUE(service->Start(error)) << error;
        return service;
    }
    const Element* Find(const EmberService& s, const std::vector<std::string>& ids) {
        const Element* e = &s.Tree().Root();
        for (const std::string& id : ids) {
            e = e ? e->ChildNamed(id) : nullptr;
        }
        return e;
    }
    std::ostringstream log;
};

TEST(EmberServeOptions, ListenAddressesAndNodeIdentifiers) {
    const struct {
        const char* text;
        bool ok;
        const char* address;
        std::uint16_t port;
    } cases[] = {
        {"9000", true, "127.0.0.1", 9000}, {"0.0.0.0:9001", true, "0.0.0.0", 9001},
        {"[::1]:9002", true, "::1", 9002}, {"host:", false, "", 0},
        {"70000", false, "", 0},           {":9000", false, "", 0},
        {"[::1]9000", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string address = "127.0.0.1";
        std::uint16_t port = 0;
        std::string error;
        EXPECT_EQ(cli::ParseListenAddress(c.text, address, port, error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(address, c.address);
            EXPECT_EQ(port, c.port);
        }
    }
    EXPECT_EQ(cli::NodeIdentifier("pts/3"), "pts_3");
    EXPECT_EQ(cli::NodeIdentifier("ttyACM0"), "ttyACM0");
    EXPECT_EQ(cli::NodeIdentifier("COM3 (USB) ä"), "COM3__USB____");
}

TEST_F(EmberServiceTest, TreeFollowsTheModelAndReadOnlyLeavesOutChanges) {
    Add(SimKind::Rgb, "ttyACM0");
    Add(SimKind::Dvi, "pts/3");
    auto service = Start();
    const Element* root = Find(*service, {"vexilo"});
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[1]->identifier, "pts_3");
    EXPECT_EQ(root->children[0]->description, "KTP-RGB-SDI on ttyACM0");
    const Element* hpos = Find(*service, {"vexilo", "ttyACM0", "settings", "hpos"});
    ASSERT_NE(hpos, nullptr);
    EXPECT_EQ(hpos->minimum, ember::Value(std::int64_t{-500}));
    EXPECT_EQ(hpos->maximum, ember::Value(std::int64_t{500}));
    EXPECT_EQ(hpos->value, ember::Value(std::int64_t{0}));
    const Element* sync = Find(*service, {"vexilo", "ttyACM0", "settings", "sync_auto"});
    ASSERT_NE(sync, nullptr);
    EXPECT_EQ(sync->access, ember::Access::kRead);
    EXPECT_EQ(sync->parameterType, ember::ParameterType::kEnum);
    const Element* cable = Find(*service, {"vexilo", "pts_3", "settings", "cable_detect"});
    ASSERT_NE(cable, nullptr);
    EXPECT_EQ(cable->enumeration, "off\non");
    EXPECT_EQ(Find(*service, {"vexilo", "pts_3", "identity", "model"})->value,
              ember::Value(std::string("KTP-DVI-SDI")));
    EXPECT_EQ(Find(*service, {"vexilo", "ttyACM0", "status", "fpga_temperature"})->value,
              ember::Value(45.3));
    for (const char* fn : {"save", "revert", "factory"}) {
        EXPECT_NE(Find(*service, {"vexilo", "pts_3", fn}), nullptr) << fn;
    }
    service.reset();

    ServeOptions readOnly;
    readOnly.readOnly = true;
    service = Start(readOnly);
    for (const char* part : {"settings", "save", "revert", "factory"}) {
        EXPECT_EQ(Find(*service, {"vexilo", "ttyACM0", part}), nullptr) << part;
    }
    EXPECT_NE(Find(*service, {"vexilo", "ttyACM0", "status", "width"}), nullptr);
}

TEST_F(EmberServiceTest, SetSendsWhatVexiloctlSetSendsAndRefusalsAnswerTheValueHeld) {
    auto served = Add(SimKind::Rgb, "ttyACM0");
    auto other = Add(SimKind::Rgb, "ttyACM1");
    const Port otherEntry = entries.back();
    entries.pop_back();  // the second one is for vexiloctl alone
    auto service = Start();
    const ember::Path hpos = Find(*service, {"vexilo", "ttyACM0", "settings", "hpos"})->GetPath();
    Consumer c(*service, service->Port());
    served->ClearLog();
    c.Send(Set(hpos, 12));
    EXPECT_EQ(ValueIn(c.Receive(), hpos), ember::Value(std::int64_t{12}));
    const auto wire = served->LoggedCommands();
    EXPECT_EQ(served->Adjustments(served->ActiveFormat())[0], 512);

    served->ClearLog();
    for (std::int64_t refused : {9999, -501}) {
        c.Send(Set(hpos, refused));
        EXPECT_EQ(ValueIn(c.Receive(), hpos), ember::Value(std::int64_t{12})) << refused;
    }
    EXPECT_TRUE(served->LoggedCommands().empty()) << "a refused value sends nothing";
    EXPECT_NE(log.str().find("ttyACM0: hpos: '9999' is not allowed"), std::string::npos)
        << log.str();

    service.reset();
    entries = {otherEntry};
    other->ClearLog();
    ASSERT_EQ(Run({"--port", "ttyACM1", "set", "hpos=12"}), 0) << err.str();
    const auto cli = other->LoggedCommands();
    ASSERT_GE(cli.size(), wire.size());
    EXPECT_EQ(
        std::vector<std::uint8_t>(cli.end() - static_cast<std::ptrdiff_t>(wire.size()), cli.end()),
        wire);
}

TEST_F(EmberServiceTest, StatusIsPushedOnlyWhenItChanges) {
    auto sim = Add(SimKind::Rgb, "ttyACM0");
    ServeOptions fast;
    fast.statusEvery = 20ms;
    auto service = Start(fast);
    const Element* status = Find(*service, {"vexilo", "ttyACM0", "status"});
    Consumer c(*service, service->Port());
    c.Send(Command(10, status->GetPath(), 32));
    ASSERT_EQ(c.Receive().size(), 1u);
    EXPECT_TRUE(c.Receive(1, 200ms).empty()) << "ten rounds without a change push nothing";
    sim->SetInputFormat(kSimNoInput);
    const auto pushed = c.Receive(1, 1000ms);
    const ember::Path width = status->ChildNamed("width")->GetPath();
    EXPECT_EQ(ValueIn(pushed, width), ember::Value(std::int64_t{0}));
    EXPECT_FALSE(ValueIn(pushed, status->ChildNamed("fpga_temperature")->GetPath()))
        << "unchanged values are not pushed";
}

TEST_F(EmberServiceTest, ConvertersGoOfflineAndComeBackOnRescan) {
    Add(SimKind::Rgb, "ttyACM0");
    Add(SimKind::Ntsc, "ttyACM1");
    auto service = Start();
    const Element* ntsc = Find(*service, {"vexilo", "ttyACM1"});
    ASSERT_TRUE(ntsc && ntsc->online);
    Consumer c(*service, service->Port());
    c.Send(Command(10, ntsc->parent->GetPath(), 32));  // watches the converters' node
    c.Receive();
    const Port gone = entries.back();
    entries.pop_back();
    service->Rescan();
    EXPECT_FALSE(ntsc->online);
    EXPECT_EQ(c.Receive().size(), 1u) << "the change is pushed";
    // Its functions answer failure while it is away.
    c.Send(Command(20, ntsc->ChildNamed("save")->GetPath(), 33));
    const auto result = c.Receive();
    ASSERT_EQ(result.size(), 1u);
    const Bytes failed{0xA1, 0x03, 0x01, 0x01, 0x00};
    EXPECT_NE(std::search(result[0].begin(), result[0].end(), failed.begin(), failed.end()),
              result[0].end());
    // A set while it is away sends nothing and says so.
    c.Send(Set(ntsc->ChildNamed("settings")->children.front()->GetPath(), 1));
    c.Receive(1);
    EXPECT_NE(
        log.str().find("ttyACM1: " + ntsc->ChildNamed("settings")->children.front()->identifier +
                       ": the converter is offline; nothing was sent"),
        std::string::npos)
        << log.str();
    entries.push_back(gone);
    service->Rescan();
    EXPECT_TRUE(ntsc->online);
    EXPECT_EQ(Find(*service, {"vexilo"})->children.size(), 2u) << "the same node again";
    c.Receive(4, 200ms);
    // A converter plugged in: a new node, pushed to who watches the converters' node.
    Add(SimKind::Dvi, "ttyACM2");
    service->Rescan();
    EXPECT_EQ(Find(*service, {"vexilo"})->children.size(), 3u);
    bool told = false;
    for (const Bytes& m : c.Receive(1)) {
        told = told || std::search(m.begin(), m.end(), std::begin("ttyACM2"),
                                   std::end("ttyACM2") - 1) != m.end();
    }
    EXPECT_TRUE(told);
}

// The old node's settings would drive a converter of another kind with the wrong commands.
TEST_F(EmberServiceTest, AnotherKindOnTheSamePortGetsANodeOfItsOwn) {
    Add(SimKind::Dvi, "ttyACM0");
    auto service = Start();
    const Element* dvi = Find(*service, {"vexilo", "ttyACM0"});
    ASSERT_TRUE(dvi && dvi->online);
    entries.pop_back();
    service->Rescan();
    Add(SimKind::Rgb, "ttyACM0");
    service->Rescan();
    EXPECT_FALSE(dvi->online);
    const Element* rgb = Find(*service, {"vexilo", "ttyACM0_2"});
    ASSERT_TRUE(rgb && rgb->online);
    EXPECT_NE(Find(*service, {"vexilo", "ttyACM0_2", "settings", "hpos"}), nullptr);
    EXPECT_EQ(Find(*service, {"vexilo", "ttyACM0", "settings", "hpos"}), nullptr);
}

TEST_F(EmberServiceTest, AConverterThatFailsAReadIsTriedAgainWithoutAHotplugEvent) {
    auto sim = Add(SimKind::Rgb, "ttyACM0");
    ServeOptions fast;
    fast.statusEvery = 20ms;
    auto service = Start(fast);
    const Element* node = Find(*service, {"vexilo", "ttyACM0"});
    sim->AddFault({SimFaultKind::ErrorCode, 0x0A, 0x03, 1});
    const auto deadline = Clock::now() + 2s;
    while (node->online && Clock::now() < deadline) {
        service->Step(Clock::now() + 10ms);
    }
    EXPECT_FALSE(node->online);
    while (!node->online && Clock::now() < deadline) {
        service->Step(Clock::now() + 10ms);
    }
    EXPECT_TRUE(node->online);
    EXPECT_NE(log.str().find("ttyACM0: offline"), std::string::npos) << log.str();
}

TEST_F(EmberServiceTest, SaveRunsTheOperationAndReportsIt) {
    auto sim = Add(SimKind::Dvi, "ttyACM0");
    auto service = Start();
    const Element* save = Find(*service, {"vexilo", "ttyACM0", "save"});
    Consumer c(*service, service->Port());
    sim->ClearLog();
    c.Send(Command(20, save->GetPath(), 33));
    const auto result = c.Receive();
    ASSERT_EQ(result.size(), 1u);
    const std::string text(result[0].begin(), result[0].end());
    EXPECT_NE(text.find("saved"), std::string::npos);
    const auto sent = sim->LoggedCommands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), 0x09), sent.end());
}

TEST_F(EmberServiceTest, BadConsumersAreDroppedAndOthersServedWithinTheLimit) {
    Add(SimKind::Rgb, "ttyACM0");
    ServeOptions two;
    two.maxConsumers = 2;
    auto service = Start(two);
    Consumer good(*service, service->Port());
    Consumer bad(*service, service->Port());
    Consumer third(*service, service->Port());
    third.Receive(1, 100ms);
    EXPECT_TRUE(third.closed) << "beyond the limit";
    Bytes huge{ember::kBof};
    huge.insert(huge.end(), 10000, 0x11);
    bad.SendRaw(huge);
    bad.Receive(1, 200ms);
    EXPECT_TRUE(bad.closed);
    good.SendRaw(ember::KeepAliveRequest());
    good.Send(Command(10, {1}, 32));
    EXPECT_EQ(good.Receive().size(), 1u);
    EXPECT_EQ(good.keepAlives, 1);
    EXPECT_FALSE(good.closed);
}

}  // namespace
}  // namespace vexilo::test
