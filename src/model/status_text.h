#pragma once

#include <string>

#include "protocol/device_requests.h"

namespace vexilo::model {

// A status block as the panel and vexiloctl write it: "-----" for no data, 60 for 6000 and
// 59.94 for 5994 (frames per second), temperatures and voltage with one decimal.
struct StatusText {
    std::string width;
    std::string height;
    std::string frameRate;
    std::string scanning;  // "interlace", "progressive" or "-----"
    std::string fpgaTemperature;
    std::string mcuTemperature;
    std::string supplyVoltage;
};
StatusText FormatStatus(const requests::StatusBlock& status);

}  // namespace vexilo::model
