#pragma once

#include <string>
#include <string_view>

namespace vexilo {

// Conversions between UTF-8 and the system's ANSI code page, in which the converter keeps its
// serial number, model name, ID and version texts: CP932 on Linux, the process code page
// (CP_ACP) on Windows. The texts are ASCII in practice.

// False when a character has no form in the code page or the input is not UTF-8.
bool Utf8ToAnsi(std::string_view utf8, std::string& ansi);
// False when the bytes are not a valid text of the code page.
bool AnsiToUtf8(std::string_view ansi, std::string& utf8);

}  // namespace vexilo
