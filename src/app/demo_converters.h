#pragma once

namespace vexilo {

// Replaces the enumeration of converters by three simulated ones served inside the process
// (analog RGB, DVI, composite), each with an input signal and plausible status values, so the
// panel runs on any machine. They stay until the process ends.
void InstallDemoConverters();

}  // namespace vexilo
