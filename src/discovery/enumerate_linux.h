#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "discovery/devices.h"

namespace vexilo {

// Lists the converters among <sysfsRoot>/class/tty/*: ttys whose device is a USB interface
// bound to cdc_acm on a USB device with our vendor ID and a product ID of the family. At most
// `capacity` ports, in natural tty-name order; each is /dev/<name>, labelled <name>.
std::vector<Port> EnumerateUsbConverters(int capacity, const std::string& sysfsRoot);

// Name order with digit runs compared as numbers: ttyACM2 before ttyACM10.
bool NaturalLess(std::string_view a, std::string_view b);

}  // namespace vexilo
