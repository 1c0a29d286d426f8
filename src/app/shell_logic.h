#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/devices.h"

namespace vexilo {

// True when an argument after the program name is "/s" in any case; nothing else counts.
bool HasShowSaveSwitch(const std::vector<std::string>& args);

// "KTP/Q Series Vexilo Panel  Ver. <version>", or without the version when it is empty.
std::string WindowTitle(const std::string& version);

// "KTP-RGB-SDI (ttyACM0)" for a series code other than 0, "KTQ-..." for 0, and no prefix when
// the converter gave none. At most 63 characters.
std::string TabCaption(std::optional<std::uint8_t> seriesCode, Kind kind,
                       const std::string& portLabel);

// Drops the pages that could not attach their converter: a dropped page's place is taken by the
// last page, so the survivors keep their order only when the dropped pages were at the end.
// Returns the new page count.
template <typename Page, typename HasDevice>
int DropPagesWithoutDevice(std::array<std::unique_ptr<Page>, MAX_DEVICES>& pages,
                           std::array<Port, MAX_DEVICES>& devices, int count, HasDevice hasDevice) {
    int i = 0;
    while (i < count) {
        if (pages[i] && hasDevice(*pages[i])) {
            ++i;
            continue;
        }
        pages[i].reset();
        --count;
        if (i < count) {
            pages[i] = std::move(pages[count]);
            devices[i] = devices[count];
            devices[count] = Port{};
        }
    }
    return count;
}

}  // namespace vexilo
