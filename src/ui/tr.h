#pragma once

#include <string>

namespace vexilo::ui {

// The text `source` (UTF-8, from translation context `context`) in the language the panel
// speaks now; the source itself when no translation is installed or none is known.
std::string Tr(const char* context, const char* source);

// Marks a text where it is defined, so that the translation tools find it; Tr translates it
// where it is shown.
constexpr const char* TrNoop(const char* /*context*/, const char* source) {
    return source;
}

}  // namespace vexilo::ui
