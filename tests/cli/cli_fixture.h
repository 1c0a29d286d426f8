#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/vexiloctl.h"
#include "discovery/devices.h"
#include "serial/port_table.h"
#include "sim/sim_comm.h"
#include "sim/sim_converter.h"

namespace vexilo::test {

// vexiloctl in-process on simulated converters that discovery lists in the order added.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDeviceSource([this](DeviceEntry* table) {
            for (std::size_t i = 0; i < entries.size(); ++i) {
                table[i] = entries[i];
            }
            return static_cast<int>(entries.size());
        });
    }
    void TearDown() override {
        SetDeviceSource({});
        ClearPortTable();
    }

    std::shared_ptr<CSimConverter> Add(const SimConfig& config, const std::string& label) {
        auto sim = std::make_shared<CSimConverter>(config);
        entries.push_back({static_cast<int>(config.kind), RegisterSimPort(sim, label)});
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

    std::vector<DeviceEntry> entries;
    std::vector<std::shared_ptr<CSimConverter>> sims;
    std::ostringstream out;
    std::ostringstream err;
};

}  // namespace vexilo::test
