#pragma once

#include <string>

namespace vexilo {

// Converter kinds, from the USB product ID.
enum : int {
    DEVKIND_OTHER = 0,  // 0x0020, 0x0024-0x002F
    DEVKIND_DVI = 1,    // 0x0021
    DEVKIND_RGB = 2,    // 0x0022
    DEVKIND_NTSC = 3,   // 0x0023
};

inline constexpr int MAX_DEVICES = 16;

struct DeviceEntry {
    int kind = DEVKIND_OTHER;
    int port = 0;  // port number of the port table (serial/port_table.h)
};

// Lists the attached converters into `table` (MAX_DEVICES entries) and returns how many,
// 0 to MAX_DEVICES. Each converter's port is registered in the port table.
int EnumerateDevices(DeviceEntry* table);

}  // namespace vexilo
