#pragma once

#include <cstdio>
#include <string>

namespace vexilo {

// Opens the frame trace's file for appending: never through a symbolic link, and not inherited
// by programs the process starts. nullptr with `error` set when it cannot be opened.
// (trace_file_posix.cpp, trace_file_win32.cpp)
std::FILE* OpenTraceFile(const std::string& path, std::string& error);

}  // namespace vexilo
