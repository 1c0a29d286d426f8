#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/vexiloctl.h"
#include "discovery/devices.h"
#include "sim/sim_comm.h"
#include "sim/sim_converter.h"

namespace vexilo::test {

// vexiloctl in-process on simulated converters that discovery lists in the order added.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDeviceSource([this] { return entries; });
    }
    void TearDown() override { SetDeviceSource({}); }

    std::shared_ptr<CSimConverter> Add(const SimConfig& config, const std::string& label) {
        auto sim = std::make_shared<CSimConverter>(config);
        entries.push_back(SimPort(sim, label));
        sims.push_back(sim);
        return sim;
    }
    std::shared_ptr<CSimConverter> Add(SimKind kind, const std::string& label) {
        return Add(SimConfig::For(kind), label);
    }

    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return cli::RunVexiloctl(args, out, err);
    }

    std::vector<Port> entries;  // what discovery lists, in order
    std::vector<std::shared_ptr<CSimConverter>> sims;
    std::ostringstream out;
    std::ostringstream err;
};

}  // namespace vexilo::test
