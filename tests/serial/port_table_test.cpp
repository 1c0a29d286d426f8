#include <gtest/gtest.h>

#include "serial/port_table.h"
#include "support/fake_comm.h"

namespace vexilo {
namespace {

class PortTableTest : public ::testing::Test {
protected:
    void SetUp() override { ClearPortTable(); }
    void TearDown() override { ClearPortTable(); }
};

TEST_F(PortTableTest, SamePathKeepsItsNumberAndOthersGetNewOnes) {
    const int a = RegisterPort("/dev/ttyACM0", "ttyACM0");
    const int b = RegisterPort("/dev/ttyACM1", "ttyACM1");
    EXPECT_GE(a, 1);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterPort("/dev/ttyACM0", "ttyACM0"), a);
    EXPECT_EQ(PortPath(a), "/dev/ttyACM0");
    EXPECT_EQ(PortLabel(b), "ttyACM1");
}

TEST_F(PortTableTest, NumbersBelowOneResolveToNothing) {
    RegisterPort("/dev/ttyACM0", "ttyACM0");
    EXPECT_EQ(PortPath(0), "");
    EXPECT_EQ(PortPath(-3), "");
}

TEST_F(PortTableTest, VirtualPortsOpenThroughTheirOwnOpener) {
    int calls = 0;
    const int v = RegisterPort("", "sim-rgb", [&calls] {
        ++calls;
        return std::make_unique<test::FakeComm>();
    });
    const int w = RegisterPort("", "sim-dvi", [] { return std::make_unique<test::FakeComm>(); });
    EXPECT_NE(v, w);  // virtual ports have no path, so each registration is its own port
    auto comm = CreatePortComm(v);
    ASSERT_NE(comm, nullptr);
    EXPECT_TRUE(comm->IsOpen());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(PortLabel(v), "sim-rgb");
}

TEST_F(PortTableTest, UnregisteredPortGetsASerialLinkThatIsNotOpen) {
    auto comm = CreatePortComm(42);
    ASSERT_NE(comm, nullptr);
    EXPECT_FALSE(comm->IsOpen());
}

}  // namespace
}  // namespace vexilo
