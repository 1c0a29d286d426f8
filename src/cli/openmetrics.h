#pragma once

#include <iosfwd>
#include <vector>

#include "cli/session.h"
#include "protocol/device_requests.h"

namespace vexilo::cli {

// Any of width, height and frame rate reported: the converter detects an input signal.
bool InputPresent(const requests::StatusBlock& s);

// The status of every selected converter in the OpenMetrics text format, for node exporter's
// textfile collector: how many converters were found, a converter-up gauge per port (0 for one
// that failed), and for those that answered their temperatures, supply voltage and whether an
// input signal is present. Without converters it is still a whole document.
// `blocks` and `reports` are in the order of `converters`.
void PrintOpenMetrics(std::ostream& out, const std::vector<Converter>& converters,
                      const std::vector<Report>& reports,
                      const std::vector<requests::StatusBlock>& blocks);

}  // namespace vexilo::cli
